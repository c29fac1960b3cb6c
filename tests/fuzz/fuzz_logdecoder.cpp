// libFuzzer target for the log decoder. Each input byte becomes one character
// of the received text, mostly hexadecimal digits so that separators and
// records form; every accepted record must hold a storable date and log number, and the text
// fed in two pieces must give the same records.
#include "comm/log_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char16_t alphabet[] = u"0123456789ABCDEF0A0A0A0A0A0a x\u3042";
    constexpr std::size_t letters = std::size(alphabet) - 1;
    QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
    for (std::size_t i = 0; i < size; ++i)
        text[static_cast<qsizetype>(i)] = QChar(alphabet[data[i] % letters]);

    const QList<LogRecord> records = decodeRecords(text);
    // The same text arriving in two pieces, cut where the first byte says.
    LogStreamDecoder decoder;
    const qsizetype cut = size > 0 ? static_cast<qsizetype>(data[0] % (size + 1)) : 0;
    decoder.feedHex(QStringView(text).first(cut));
    decoder.feedHex(QStringView(text).sliced(cut));
    if (decoder.take() != records)
        std::abort();

    for (const LogRecord& r : records) {
        // A record may also be refused for a field of a length no handset sends.
        if (r.valid && !(Log_Check(r.unitSn, r.dateText, r.timeText, r.dataNo, r.logNo, r.alcohol,
                                   r.unitCode) &&
                         r.dataNo.size() <= kDataNoMaxLength))
            std::abort();
        if (!r.valid)
            continue;
        const std::optional<int> logNo = logNumberValue(r.logNo);
        if (storedRecordDate(r).isNull() || !logNo || *logNo > 32767 || r.unitSn.size() > 10)
            std::abort();
    }
    return 0;
}

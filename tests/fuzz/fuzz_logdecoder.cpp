// libFuzzer target for the log decoder. Each input byte becomes one character of the received
// text, mostly hexadecimal digits so that separators and records form; the text fed in two
// pieces must give the same records, and every accepted record must hold a storable date and
// log number.
#include "comm/log_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char16_t alphabet[] = u"0123456789ABCDEF0A0A0A0A0A0a x\u3042";
    QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
    for (std::size_t i = 0; i < size; ++i)
        text[static_cast<qsizetype>(i)] = QChar(alphabet[data[i] % (std::size(alphabet) - 1)]);
    const QList<LogRecord> records = decodeRecords(text);
    LogStreamDecoder decoder; // cut where the first byte says
    const qsizetype cut = size > 0 ? static_cast<qsizetype>(data[0] % (size + 1)) : 0;
    decoder.feedHex(QStringView(text).first(cut));
    decoder.feedHex(QStringView(text).sliced(cut));
    if (decoder.take() != records)
        std::abort();
    for (const LogRecord& r : records) {
        const std::optional<int> logNo = logNumberValue(r.logNo);
        if (r.valid && (storedRecordDate(r).isNull() || !logNo || *logNo > 32767 ||
                        r.unitSn.size() > 10 || r.dataNo.size() > kDataNoMaxLength))
            std::abort();
    }
    return 0;
}

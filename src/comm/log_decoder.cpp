#include "comm/log_decoder.h"

#include "base/stored_date_time.h"

#include <utility>

namespace {

// Left, Mid and Right of the handset field texts: a part beyond the end of a
// short text is empty, so a short field gives a malformed date instead of
// reading past its end.
QStringView left(QStringView s, qsizetype n)
{
    return s.first(std::min(n, s.size()));
}

// `start` counts from 1.
QStringView mid(QStringView s, qsizetype start, qsizetype n)
{
    if (start > s.size())
        return {};
    const QStringView rest = s.sliced(start - 1);
    return rest.first(std::min(n, rest.size()));
}

QStringView right(QStringView s, qsizetype n)
{
    return s.last(std::min(n, s.size()));
}

// prefix & first pair & sep & second pair & sep & last pair, as the date
// ("20" & YY & "/" & MM & "/" & DD) and the time (HH & ":" & MM & ":" & SS).
QString threePairs(QLatin1String prefix, QStringView token, QChar sep)
{
    QString out;
    out.reserve(prefix.size() + 8);
    out += prefix;
    out += left(token, 2);
    out += sep;
    out += mid(token, 3, 2);
    out += sep;
    out += right(token, 2);
    return out;
}

QString dateText(QStringView token)
{
    return threePairs(QLatin1String("20"), token, QLatin1Char('/'));
}

QString timeText(QStringView token)
{
    return threePairs(QLatin1String(), token, QLatin1Char(':'));
}

// Two bytes of value "015001" read as "0.150"; the third byte is the unit code.
QString alcoholText(QStringView token)
{
    QString out;
    out.reserve(5);
    out += left(token, 1);
    out += QLatin1Char('.');
    out += mid(token, 2, 1);
    out += mid(token, 3, 2);
    return out;
}

bool followedByAlcohol(QStringView logNo)
{
    return logNo == u"08" || logNo == u"09" || logNo == u"10";
}

QString dateAndTime(QStringView date, QStringView time)
{
    QString out;
    out.reserve(date.size() + 1 + time.size());
    out += date;
    out += QLatin1Char(' ');
    out += time;
    return out;
}

} // namespace

void LogStreamDecoder::feedHex(QStringView piece)
{
    qsizetype pos = 0;
    if (haveHalf_ && !piece.isEmpty()) {
        haveHalf_ = false;
        const QChar pair[2] = {half_, piece.front()};
        if (pair[0] == QLatin1Char('0') && pair[1] == QLatin1Char('A'))
            closeField();
        else
            appendRun(QStringView(pair, 2));
        pos = 1;
    }
    // The characters between two separators go into the field in one run.
    const qsizetype end = piece.size();
    const QChar* text = piece.data();
    qsizetype runStart = pos;
    for (; pos + 1 < end; pos += 2) {
        if (text[pos] == QLatin1Char('0') && text[pos + 1] == QLatin1Char('A')) {
            appendRun(piece.sliced(runStart, pos - runStart));
            closeField();
            runStart = pos + 2;
        }
    }
    appendRun(piece.sliced(runStart, pos - runStart));
    if (pos < end) {
        half_ = text[pos];
        haveHalf_ = true;
    }
}

void LogStreamDecoder::feedBytes(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype separator = bytes.indexOf('\n');
        if (separator < 0) {
            appendBytes(bytes);
            return;
        }
        appendBytes(bytes.first(separator));
        closeField();
        bytes = bytes.sliced(separator + 1);
    }
}

void LogStreamDecoder::appendRun(QStringView pairs)
{
    if (pairs.isEmpty())
        return;
    const qsizetype left = room();
    if (pairs.size() > left && field_ >= 0)
        tokenOverlong_ = true;
    token_.append(pairs.first(std::min(left, pairs.size())));
}

// Each byte as its two upper-case hexadecimal digits.
void LogStreamDecoder::appendBytes(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qsizetype left = room() / 2;
    if (bytes.size() > left && field_ >= 0)
        tokenOverlong_ = true;
    bytes = bytes.first(std::min(left, bytes.size()));
    static const char digits[] = "0123456789ABCDEF";
    const qsizetype at = token_.size();
    token_.resize(at + 2 * bytes.size());
    QChar* out = token_.data() + at;
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        *out++ = QLatin1Char(digits[byte >> 4]);
        *out++ = QLatin1Char(digits[byte & 0x0F]);
    }
}

QList<LogRecord> LogStreamDecoder::take(qsizetype max)
{
    if (max < 0 || max >= records_.size())
        return std::exchange(records_, {});
    QList<LogRecord> out = records_.first(max);
    records_.remove(0, max);
    return out;
}

void LogStreamDecoder::closeField()
{
    const QStringView token(token_);
    if (field_ >= 1 && tokenOverlong_)
        recordMalformed_ = true;
    // Shorter or longer, the cuts of a date or time would overlap or skip
    // digits and make up a time the handset never sent.
    if ((field_ == 2 || field_ == 3) && token.size() != kDateTimeFieldLength)
        recordMalformed_ = true;
    switch (field_) {
    case 0:
        unitSn_ = token.toString();
        break;
    case 1:
        record_.dataNo = token.toString();
        break;
    case 2:
        if (lastDate_.changedTo(token))
            record_.dateText = dateText(token);
        break;
    case 3:
        if (lastTime_.changedTo(token))
            record_.timeText = timeText(token);
        break;
    case 4:
        if (lastLogNo_.changedTo(token))
            record_.logNo = lastLogNo_.text;
        if (followedByAlcohol(token))
            break;
        record_.alcohol.clear();
        record_.unitCode.clear();
        complete();
        break;
    case 5:
        record_.alcohol = alcoholText(token);
        record_.unitCode = right(token, 2).toString();
        complete();
        break;
    default: // the header
        break;
    }
    token_.truncate(0);
    tokenOverlong_ = false;
    ++field_;
}

// The record is complete: the field after it is the data number of the next
// record, as the unit serial number is sent once for the whole stream.
void LogStreamDecoder::complete()
{
    record_.unitSn = unitSn_;
    record_.valid = !recordMalformed_ &&
                    Log_Check(record_.unitSn, record_.dateText, record_.timeText, record_.dataNo,
                              record_.logNo, record_.alcohol, record_.unitCode) &&
                    record_.dataNo.size() <= kDataNoMaxLength;
    records_.append(record_);
    ++recordCount_;
    recordMalformed_ = false;
    field_ = 0;
}

QList<LogRecord> decodeRecords(QStringView hexText)
{
    LogStreamDecoder decoder;
    decoder.feedHex(hexText);
    return decoder.take();
}

std::optional<int> logNumberValue(QStringView logNo)
{
    if (logNo.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : logNo) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = std::min(value * 10 + (c.unicode() - '0'), 32768);
    }
    return value;
}

bool Log_Check(QStringView unitSn, QStringView dateText, QStringView timeText,
               QStringView /*dataNo*/, QStringView logNo, QStringView alcohol, QStringView unitCode)
{
    if (unitSn.size() > 10)
        return false;
    if (storedDateTime(dateAndTime(dateText, timeText)).isNull())
        return false;
    const std::optional<int> value = logNumberValue(logNo);
    if (!value || *value > 32767)
        return false;
    return alcohol.size() <= 10 && unitCode.size() <= 6;
}

QString storedRecordDate(const LogRecord& record)
{
    return storedDateTime(dateAndTime(record.dateText, record.timeText));
}

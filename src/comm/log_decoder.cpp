#include "comm/log_decoder.h"

#include "app/sql_text.h"

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

void complete(LogRecord& record, QList<LogRecord>& records)
{
    record.valid = Log_Check(record.unitSn, record.dateText, record.timeText, record.dataNo,
                             record.logNo, record.alcohol, record.unitCode) &&
                   record.dataNo.size() <= kDataNoMaxLength;
    records.append(record);
}

} // namespace

QList<LogRecord> decodeRecords(QStringView hexText)
{
    const QChar* text = hexText.data();
    const qsizetype length = hexText.size();
    const auto isSeparator = [text](qsizetype pos) {
        return text[pos] == QLatin1Char('0') && text[pos + 1] == QLatin1Char('A');
    };

    // A record closes at least four fields; counting the separators first
    // sizes the list once.
    qsizetype separators = 0;
    for (qsizetype pos = 0; pos + 1 < length; pos += 2)
        separators += isSeparator(pos);
    QList<LogRecord> records;
    records.reserve(separators / 4 + 1);

    int field = -1; // the field the next separator closes; -1 is the header
    qsizetype tokenStart = 0;
    QString unitSn;
    LogRecord record;
    // Records of one stream mostly repeat the date, time and log number of
    // the one before: a repeated field keeps the text already built.
    QStringView lastDate, lastTime, lastLogNo;
    bool haveDate = false, haveTime = false, haveLogNo = false;

    for (qsizetype pos = 0; pos + 1 < length; pos += 2) {
        if (!isSeparator(pos))
            continue;
        const QStringView token = hexText.sliced(tokenStart, pos - tokenStart);
        tokenStart = pos + 2;
        switch (field) {
        case 0:
            unitSn = token.toString();
            break;
        case 1:
            record.dataNo = token.toString();
            break;
        case 2:
            if (!haveDate || token != lastDate) {
                record.dateText = dateText(token);
                lastDate = token;
                haveDate = true;
            }
            break;
        case 3:
            if (!haveTime || token != lastTime) {
                record.timeText = timeText(token);
                lastTime = token;
                haveTime = true;
            }
            break;
        case 4:
            if (!haveLogNo || token != lastLogNo) {
                record.logNo = token.toString();
                lastLogNo = token;
                haveLogNo = true;
            }
            if (followedByAlcohol(token))
                break;
            record.unitSn = unitSn;
            record.alcohol.clear();
            record.unitCode.clear();
            complete(record, records);
            field = 0;
            break;
        case 5:
            record.unitSn = unitSn;
            record.alcohol = alcoholText(token);
            record.unitCode = right(token, 2).toString();
            complete(record, records);
            field = 0;
            break;
        default: // the header
            break;
        }
        ++field;
    }
    return records;
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

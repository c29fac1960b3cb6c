#include "base/stored_date_time.h"

namespace {

// Reads a fixed-width decimal field; -1 if any character is not a digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// Whether the text is "YYYY?MM?DD HH:MM:SS" with the given date separator
// and a real date and time.
bool isDateTime(QStringView text, QChar dateSep)
{
    if (text.size() != 19 || text[4] != dateSep || text[7] != dateSep ||
        text[10] != QLatin1Char(' ') || text[13] != QLatin1Char(':') ||
        text[16] != QLatin1Char(':'))
        return false;
    const int y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const int h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
    if (y < 100 || mo < 0 || d < 0 || h < 0 || mi < 0 || s < 0)
        return false;
    return QDate::isValid(y, mo, d) && QTime::isValid(h, mi, s);
}

} // namespace

QString storedDateTimeOfSlashed(QStringView text)
{
    if (!isDateTime(text, QLatin1Char('/')))
        return {};
    QString out = text.toString();
    out[4] = QLatin1Char('-');
    out[7] = QLatin1Char('-');
    return out;
}

QString storedDateTime(const QString& text)
{
    // A text in stored form already is given back itself, not copied.
    if (isDateTime(text, QLatin1Char('-')))
        return text;
    return storedDateTimeOfSlashed(text);
}

QString storedDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

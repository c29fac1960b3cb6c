#include "db/sql_text.h"

#include "db/db_error.h"

#include <QDateTime>

QString Sql_Quote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

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

// The text with dashes between the parts of the date.
QString dashed(QStringView text)
{
    QString out = text.toString();
    out[4] = QLatin1Char('-');
    out[7] = QLatin1Char('-');
    return out;
}

QString normalised(QStringView text, QChar dateSep)
{
    return isDateTime(text, dateSep) ? dashed(text) : QString();
}

} // namespace

QString storedDateTime(const QString& text)
{
    // A text in stored form already is given back itself, not copied.
    if (isDateTime(text, QLatin1Char('-')))
        return text;
    return normalised(text, QLatin1Char('/'));
}

QString storedDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString translateSql(const QString& sql)
{
    return translateSql(sql, DbEngine::Sqlite);
}

namespace {

bool startsName(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool insideName(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

} // namespace

QString translateSql(const QString& sql, DbEngine engine)
{
    const bool server = engine == DbEngine::Postgresql;
    QString out;
    out.reserve(sql.size() + 8);
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copy a quoted text or identifier whole; a doubled quote stays inside it.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(sql).mid(i, std::min(j + 1, n) - i);
            i = j;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const qsizetype end = sql.indexOf(QLatin1Char('#'), i + 1);
            if (end < 0)
                throw DbError(QStringLiteral("Unterminated date literal in: %1").arg(sql));
            const QStringView literal = QStringView(sql).mid(i + 1, end - i - 1);
            const QString stored = normalised(literal, QLatin1Char('/'));
            if (stored.isNull())
                throw DbError(QStringLiteral("Invalid date and time #%1#").arg(literal));
            out += QLatin1Char('\'') + stored + QLatin1Char('\'');
            i = end;
            continue;
        }
        if (server && startsName(c) && (i == 0 || !insideName(sql[i - 1]))) {
            qsizetype j = i + 1;
            while (j < n && insideName(sql[j]))
                ++j;
            const QStringView name = QStringView(sql).mid(i, j - i);
            if (name.compare(QLatin1String("user"), Qt::CaseInsensitive) == 0)
                out += QLatin1String("\"user\"");
            else
                out += name;
            i = j - 1;
            continue;
        }
        out += c;
    }
    static const QLatin1String forUpdate(" FOR UPDATE");
    if (!server && out.endsWith(forUpdate, Qt::CaseInsensitive))
        out.chop(forUpdate.size());
    return out;
}

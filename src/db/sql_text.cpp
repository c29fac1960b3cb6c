#include "db/sql_text.h"

#include "db/db_error.h"

QString Sql_Quote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
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
            const QString stored = storedDateTimeOfSlashed(literal);
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

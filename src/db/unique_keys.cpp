#include "db/unique_keys.h"

#include "db/row_stream.h"
#include "db/schema.h"

namespace unique_keys {

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString sameKey(const QString& column)
{
    return QStringLiteral("RTRIM(%1) = ?").arg(column);
}

QList<SharedKey> shared(Database& db, const schema::UniqueKey& key, bool trimmed)
{
    // Every row of a shared key, with the key as the index compares it (k0,
    // k1, ...) and the first field as stored (s), grouped by the key.
    QStringList compared, keyed, keys, notNull;
    for (qsizetype i = 0; i < key.fields.size(); ++i) {
        const QString& field = key.fields[i];
        compared << (i == 0 && trimmed ? QStringLiteral("RTRIM(%1)").arg(field) : field);
        keyed << QStringLiteral("%1 AS k%2").arg(compared.last()).arg(i);
        keys << QStringLiteral("k%1").arg(i);
        notNull << field + QStringLiteral(" IS NOT NULL");
    }
    const QString byKey = keys.join(QStringLiteral(", "));
    const QString sql =
        QStringLiteral("SELECT %1, s FROM (SELECT %2, %3 AS s, count(*) OVER (PARTITION BY %4) "
                       "AS n FROM %5 WHERE %6) x WHERE n > 1 ORDER BY %1, s")
            .arg(byKey, keyed.join(QStringLiteral(", ")), key.fields[0],
                 compared.join(QStringLiteral(", ")), key.table,
                 notNull.join(QStringLiteral(" AND ")));
    QList<SharedKey> out;
    const int width = int(key.fields.size());
    RowStream rows(db, sql, RowStream::kWhole);
    while (rows.next()) {
        QStringList values;
        for (int i = 0; i < width; ++i)
            values << QString::fromUtf8(rows.text(i));
        if (out.isEmpty() || out.last().key != values)
            out << SharedKey{key.table, key.fields, values, {}};
        out.last().stored << QString::fromUtf8(rows.text(width));
    }
    return out;
}

QString describe(const SharedKey& shared)
{
    const auto quoted = [](const QString& text) { return QLatin1Char('\'') + text + '\''; };
    QStringList parts;
    for (qsizetype i = 0; i < shared.fields.size(); ++i)
        parts << shared.fields[i] + QLatin1Char(' ') + quoted(shared.key.value(i));
    QStringList stored;
    for (const QString& s : shared.stored)
        stored << quoted(s);
    return QStringLiteral("%1: %2 (%3 rows: %4)")
        .arg(shared.table, parts.join(QStringLiteral(", ")))
        .arg(shared.stored.size())
        .arg(stored.join(QStringLiteral(", ")));
}

} // namespace unique_keys

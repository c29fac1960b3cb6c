#include "admin/list_edit_table.h"

#include "base/password.h"
#include "base/sjis_text.h"
#include "base/window_parts.h"
#include "db/database.h"

namespace list_edit {

namespace {

QString keyColumn(const ListEditSpec& spec)
{
    return QLatin1String(spec.fields[spec.keyField].column);
}

// "SELECT * FROM <table> WHERE <condition> ;"
QString selectWhere(const ListEditSpec& spec, const QString& condition)
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 ;").arg(QLatin1String(spec.table), condition);
}

// The key compared with its trailing blanks removed; the bound value is
// trimmed the same way.
QString keyWithoutBlanks(const ListEditSpec& spec)
{
    return QStringLiteral("RTRIM(%1) = ?").arg(keyColumn(spec));
}

} // namespace

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

bool fits(const FieldLimit& limit, const QString& text)
{
    if (limit.unit == FieldLimit::Unit::Characters)
        return window_parts::characterCount(text) <= limit.size;
    const auto bytes = sjis::encode(text);
    return bytes && bytes->size() <= limit.size;
}

QList<QStringList> readRows(Database& db, const ListEditSpec& spec)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY %2 ;")
                                        .arg(QLatin1String(spec.table), keyColumn(spec)));
    QList<QStringList> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const GridColumn& c : spec.columns)
            cells << (c.column ? rs.text(QLatin1String(c.column))
                               : QString::number(rows.size() + 1));
        rows << cells;
    }
    return rows;
}

QStringList readKeyList(Database& db, const ListEditSpec& spec)
{
    QStringList values;
    if (!*spec.keyListSql)
        return values;
    Recordset rs = db.openRecordset(QLatin1String(spec.keyListSql));
    for (; !rs.eof(); rs.moveNext())
        values << rs.text(keyColumn(spec));
    return values;
}

std::optional<QHash<int, QString>> findRow(Database& db, const ListEditSpec& spec,
                                           const QString& key)
{
    Recordset rs =
        db.openRecordset(selectWhere(spec, keyColumn(spec) + QStringLiteral(" = ?")), {key});
    if (rs.eof())
        return std::nullopt;
    QHash<int, QString> values;
    for (int i = 0; i < spec.fields.size(); ++i) {
        const EditField& f = spec.fields[i];
        if (f.column && !f.storedAsDigest)
            values.insert(i, rs.text(QLatin1String(f.column)));
    }
    return values;
}

void saveRow(Database& db, const ListEditSpec& spec, const QStringList& texts, const QDateTime& now)
{
    // A key is the same key with or without blanks at its end, and is stored
    // without them: an ID that signs in as shown, a serial number that meets its logs.
    const QString key = withoutTrailingBlanks(texts[spec.keyField]);
    // Looked for and written in one transaction: a reader never sees half a
    // change, and another PC's registration of the key is either seen or waits.
    Transaction tx(db);
    db.lockForChange({QLatin1String(spec.table)});
    Recordset rs = db.openRecordset(selectWhere(spec, keyWithoutBlanks(spec)), {key});
    if (rs.eof()) {
        rs.addNew();
        rs.setField(keyColumn(spec), key);
    }
    for (int i = 0; i < spec.fields.size(); ++i) {
        const EditField& f = spec.fields[i];
        if (i == spec.keyField || !f.column)
            continue;
        rs.setField(QLatin1String(f.column),
                    f.storedAsDigest ? password::hash(texts[i]) : texts[i]);
    }
    rs.setField(QStringLiteral("Date"), now);
    rs.update();
    rs.close();
    tx.commit();
}

void deleteRows(Database& db, const ListEditSpec& spec, const QString& key)
{
    QString condition = keyWithoutBlanks(spec);
    QVariantList values{withoutTrailingBlanks(key)};
    if (*spec.protectedKey) {
        condition += QStringLiteral(" AND %1 <> ?").arg(keyColumn(spec));
        values << QString::fromLatin1(spec.protectedKey);
    }
    Transaction tx(db);
    db.execute(
        QStringLiteral("DELETE FROM %1 WHERE %2 ;").arg(QLatin1String(spec.table), condition),
        values);
    tx.commit();
}

} // namespace list_edit

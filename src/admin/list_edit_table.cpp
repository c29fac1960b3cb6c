#include "admin/list_edit_table.h"

#include "base/password.h"
#include "base/sjis_text.h"
#include "base/texts/history.h"
#include "db/database.h"
#include "db/unique_keys.h"
#include "ui/window_parts.h"

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

using unique_keys::withoutTrailingBlanks;

} // namespace

bool fits(const FieldLimit& limit, const QString& text)
{
    if (limit.unit == FieldLimit::Unit::Characters)
        return window_parts::characterCount(text) <= limit.size;
    const auto bytes = sjis::encode(text);
    return bytes && bytes->size() <= limit.size;
}

QList<QStringList> readRows(Database& db, const ListEditSpec& spec, bool english)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY %2 ;")
                                        .arg(QLatin1String(spec.table), keyColumn(spec)));
    QList<QStringList> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const GridColumn& c : spec.columns) {
            if (!c.column)
                cells << QString::number(rows.size() + 1);
            else if (*c.mark.ja)
                cells << (rs.text(QLatin1String(c.column)) == QLatin1String("1")
                              ? c.mark.pick(english)
                              : QString());
            else
                cells << rs.text(QLatin1String(c.column));
        }
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

Saved saveRow(Database& db, const ListEditSpec& spec, const QStringList& texts,
              const QDateTime& now)
{
    Saved saved;
    // A key is the same key with or without blanks at its end, and is stored
    // without them: an ID that signs in as shown, a serial number that meets its logs.
    const QString key = withoutTrailingBlanks(texts[spec.keyField]);
    const QString column = keyColumn(spec);
    // Looked for and written in one transaction: a reader never sees half a
    // change, and another PC's registration of the key is either seen or waits.
    Transaction tx(db);
    db.lockForChange({QLatin1String(spec.table)});
    // The key's row is the first in key order (unique_keys.h): the one the
    // views and the sign-in read, where an older database holds several.
    Recordset rs =
        db.openRecordset(QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3 ;")
                             .arg(QLatin1String(spec.table), unique_keys::sameKey(column), column),
                         {key});
    const QString stored = rs.eof() ? QString() : rs.text(column);
    saved.added = rs.eof();
    if (saved.added)
        rs.addNew();
    const QString digest = [&] {
        for (int i = 0; i < spec.fields.size(); ++i) {
            if (spec.fields[i].storedAsDigest)
                return password::hash(texts[i]);
        }
        return QString();
    }();
    // A field's value as stored: the digest, a check box's 1 or 0 (always 1
    // for the key it is on for), or the text.
    const auto value = [&](int i) -> QVariant {
        const EditField& f = spec.fields[i];
        if (f.storedAsDigest)
            return digest;
        if (f.kind == EditField::Kind::Check)
            return texts[i] == QLatin1String("1") ||
                           (*f.alwaysOnFor && key == QLatin1String(f.alwaysOnFor))
                       ? 1
                       : 0;
        return texts[i];
    };
    // Every row stored with exactly that key (a database without unique keys
    // may hold it twice), or the new one.
    do {
        rs.setField(column, key); // a stored "0999 " becomes "0999", which its logs meet
        for (int i = 0; i < spec.fields.size(); ++i) {
            const EditField& f = spec.fields[i];
            if (i == spec.keyField || !f.column)
                continue;
            // A password that no longer fits the row's digest was changed.
            if (f.storedAsDigest && !saved.added && !saved.digestChanged)
                saved.digestChanged = !password::verify(texts[i], rs.text(QLatin1String(f.column)));
            rs.setField(QLatin1String(f.column), value(i));
        }
        rs.setField(QStringLiteral("Date"), now);
        rs.update();
        rs.moveNext();
    } while (!rs.eof() && rs.text(column) == stored);
    rs.close();
    tx.commit();
    return saved;
}

QString describe(const ListEditSpec& spec, const QStringList& values, bool english)
{
    QStringList parts{withoutTrailingBlanks(values[spec.keyField])};
    for (int i = 0; i < spec.fields.size(); ++i) {
        const EditField& f = spec.fields[i];
        if (i == spec.keyField || !f.column || f.storedAsDigest)
            continue;
        if (f.kind == EditField::Kind::Check)
            parts << (values[i] == QLatin1String("1") ? texts::history::CheckOn
                                                      : texts::history::CheckOff)
                         .pick(english)
                         .arg(f.label.pick(english));
        else
            parts << values[i];
    }
    return parts.join(QLatin1Char(' '));
}

void deleteRows(Database& db, const ListEditSpec& spec, const QString& key)
{
    QString condition = unique_keys::sameKey(keyColumn(spec));
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

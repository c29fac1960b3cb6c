#include "sets/selection_set_table.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "db/unique_keys.h"

namespace selection_set_table {

namespace {

// Every row of the set, whatever blanks end its stored name.
void deleteRows(Database& db, const SetTable& t, const QString& name)
{
    db.execute(QStringLiteral("DELETE From %1 WHERE %2 ;")
                   .arg(t.table, unique_keys::sameKey(QStringLiteral("Name"))),
               {unique_keys::withoutTrailingBlanks(name)});
}

} // namespace

QList<ListItem> contentItems(Database& db, bool english)
{
    QList<ListItem> items;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * From Log_Master ORDER BY Log_No"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString japanese = rs.text(QStringLiteral("Naiyou"));
        const QString englishText = rs.text(QStringLiteral("Naiyou2"));
        items << ListItem{english || japanese.isEmpty() ? englishText : japanese,
                          rs.field(QStringLiteral("Log_No"))};
    }
    return items;
}

QList<ListItem> unitItems(Database& db)
{
    QList<ListItem> items;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * From V_Unit_SN ORDER BY Unit_SN"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString serial = rs.text(QStringLiteral("Unit_SN"));
        items << ListItem{serial + QStringLiteral(" (") + rs.text(QStringLiteral("Name")) +
                              QStringLiteral(" )"),
                          serial};
    }
    return items;
}

QStringList names(Database& db, const SetTable& t)
{
    QStringList list;
    RowStream rows(db, QStringLiteral("SELECT DISTINCT Name From %1 ;").arg(t.table.toUpper()),
                   RowStream::kWhole);
    while (rows.next())
        list << QString::fromUtf8(rows.text(0));
    return list;
}

bool exists(Database& db, const SetTable& t, const QString& name)
{
    return !db.openRecordset(QStringLiteral("SELECT * From %1 WHERE %2 ;")
                                 .arg(t.table, unique_keys::sameKey(QStringLiteral("Name"))),
                             {unique_keys::withoutTrailingBlanks(name)})
                .eof();
}

QVariantList members(Database& db, const SetTable& t, const QString& name)
{
    QVariantList list;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT * From %1 WHERE Name = ? ORDER BY No ;").arg(t.table), {name});
    for (; !rs.eof(); rs.moveNext())
        list << rs.field(t.memberField);
    return list;
}

void write(Database& db, const SetTable& t, const QString& typedName, const QVariantList& members,
           const QDateTime& now)
{
    const QString name = unique_keys::withoutTrailingBlanks(typedName);
    // Another PC writing the same set waits, then replaces this one whole.
    Transaction tx(db);
    db.lockForChange({t.table});
    deleteRows(db, t, name);
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT * From %1 WHERE Name = ? ORDER BY No ;").arg(t.table), {name});
    int no = 0;
    for (const QVariant& member : members) {
        rs.addNew();
        rs.setField(QStringLiteral("No"), ++no);
        rs.setField(QStringLiteral("Name"), name);
        rs.setField(t.memberField, member);
        rs.setField(QStringLiteral("Date"), now);
        rs.update();
    }
    rs.close();
    tx.commit();
}

void remove(Database& db, const SetTable& t, const QString& name)
{
    deleteRows(db, t, name);
}

} // namespace selection_set_table

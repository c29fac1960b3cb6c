#include "db/log_master_table.h"

#include "db/database.h"

namespace log_master_table {

void Backup_LogMaster(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM Log_Master_Bak ;"));
    db.execute(QStringLiteral("INSERT INTO Log_Master_Bak SELECT * FROM Log_Master ;"));
}

void Write_LogMaster(Database& db, const QList<Entry>& entries, const QDateTime& now)
{
    db.execute(QStringLiteral("DELETE From Log_Master ;"));
    for (const Entry& e : entries) {
        Recordset rs = db.openRecordset(
            QStringLiteral("SELECT * From Log_Master WHERE Log_No = ? ;"), {e.logNo});
        if (rs.eof()) {
            rs.addNew();
            rs.setField(QStringLiteral("Log_No"), e.logNo);
        }
        rs.setField(QStringLiteral("Naiyou"), e.naiyou);
        rs.setField(QStringLiteral("Naiyou2"), e.naiyou2);
        rs.setField(QStringLiteral("Date"), now);
        rs.update();
        rs.close();
    }
}

void replace(Database& db, const QList<Entry>& entries, const QDateTime& now)
{
    // Another PC's change waits, then replaces this one whole.
    Transaction tx(db);
    db.lockForChange({QStringLiteral("Log_Master_Bak"), QStringLiteral("Log_Master")});
    Backup_LogMaster(db);
    Write_LogMaster(db, entries, now);
    tx.commit();
}

} // namespace log_master_table

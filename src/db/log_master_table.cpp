#include "db/log_master_table.h"

#include "base/stored_date_time.h"
#include "db/database.h"

#include <QHash>

namespace log_master_table {

namespace {

// Copies Log_Master into Log_Master_Bak; the previous backup is lost.
void Backup_LogMaster(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM Log_Master_Bak ;"));
    db.execute(QStringLiteral("INSERT INTO Log_Master_Bak SELECT * FROM Log_Master ;"));
}

} // namespace

void Write_LogMaster(Database& db, const QList<Entry>& entries, const QDateTime& now)
{
    db.execute(QStringLiteral("DELETE From Log_Master ;"));
    // One row per number, where it first appears, with the texts of its last
    // entry; all in one statement, so that a server records one change.
    QList<Entry> rows;
    QHash<int, qsizetype> rowOf;
    for (const Entry& e : entries) {
        if (const auto at = rowOf.constFind(e.logNo); at != rowOf.cend()) {
            rows[*at] = e;
        } else {
            rowOf.insert(e.logNo, rows.size());
            rows.append(e);
        }
    }
    if (rows.isEmpty())
        return;
    const QString stored = storedDateTime(now);
    QVariantList values;
    for (const Entry& e : std::as_const(rows))
        values << e.logNo << e.naiyou << e.naiyou2 << stored;
    const QStringList marks(rows.size(), QStringLiteral("(?, ?, ?, ?)"));
    db.execute(QStringLiteral("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2, Date) VALUES %1")
                   .arg(marks.join(QStringLiteral(", "))),
               values);
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

#include "db/history_repair.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "db/schema_archive.h"
#include "db/sql_text.h"

#include <QDateTime>
#include <QHash>
#include <QSysInfo>
#include <algorithm>

namespace history_repair {

namespace {

// The schema's own statements that make the history: its table, its index
// and its triggers.
QStringList historyStatements()
{
    QStringList out;
    for (const QString& sql : schema_archive::statements(DbEngine::Sqlite)) {
        if (sql.contains(QLatin1String("Op_History"), Qt::CaseInsensitive))
            out << sql;
    }
    return out;
}

// The triggers on Op_History as the file holds them: lower-case name -> SQL.
QHash<QString, QString> triggersOnHistory(Database& db)
{
    QHash<QString, QString> found;
    RowStream rows(db,
                   QStringLiteral("SELECT lower(name), sql FROM sqlite_master WHERE type = "
                                  "'trigger' AND lower(tbl_name) = 'op_history'"),
                   RowStream::kWhole);
    while (rows.next())
        found.insert(QString::fromUtf8(rows.text(0)), QString::fromUtf8(rows.text(1)));
    return found;
}

} // namespace

QStringList repair(Database& db)
{
    if (db.engine() != DbEngine::Sqlite)
        return {};
    QStringList repaired;
    const QStringList statements = historyStatements();
    if (!db.isTable(QStringLiteral("Op_History"))) {
        for (const QString& sql : statements) {
            if (!sql.startsWith(QLatin1String("CREATE TRIGGER")))
                db.execute(sql);
        }
        repaired << QStringLiteral("Op_History: missing");
    }
    QHash<QString, QString> found = triggersOnHistory(db);
    for (const QString& name : schema_archive::triggerNames()) {
        const auto own =
            std::find_if(statements.cbegin(), statements.cend(), [&](const QString& s) {
                return s.startsWith(QLatin1String("CREATE TRIGGER ") + name + QLatin1Char(' '));
            });
        if (own == statements.cend())
            continue;
        const QString held = found.take(name);
        if (held == *own)
            continue;
        if (!held.isEmpty())
            db.execute(QStringLiteral("DROP TRIGGER \"%1\"").arg(name));
        db.execute(*own);
        repaired << name + (held.isEmpty() ? QStringLiteral(": missing")
                                           : QStringLiteral(": changed"));
    }
    // Any other trigger could drop or change the rows as they are added.
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        db.execute(
            QStringLiteral("DROP TRIGGER \"%1\"").arg(QString(it.key()).replace('"', "\"\"")));
        repaired << it.key() + QStringLiteral(": not the program's, dropped");
    }
    if (!repaired.isEmpty())
        db.execute(QStringLiteral("INSERT INTO Op_History (Date, ID, PC, Operation, Details) "
                                  "VALUES (?, '', ?, ?, ?)"),
                   {storedDateTime(QDateTime::currentDateTime()),
                    QSysInfo::machineHostName().left(255), QLatin1String(kOperation),
                    repaired.join(QStringLiteral("; "))});
    return repaired;
}

} // namespace history_repair

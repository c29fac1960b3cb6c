#include "support/failing_trigger.h"

#include "db/database.h"
#include "db/sql_text.h"

void addFailingTrigger(Database& db, const QString& name, const QString& table,
                       const QString& event, const QString& condition, const QString& message,
                       const QString& sqlState)
{
    if (db.engine() == DbEngine::Sqlite) {
        db.execute(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN SELECT RAISE(ABORT, "
                                  "'%5'); END")
                       .arg(name, event, table,
                            condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition,
                            Sql_Quote(message)));
        return;
    }
    db.execute(QStringLiteral("CREATE OR REPLACE FUNCTION qvx_refuse() RETURNS trigger LANGUAGE "
                              "plpgsql AS $$ BEGIN RAISE EXCEPTION USING MESSAGE = TG_ARGV[0], "
                              "ERRCODE = TG_ARGV[1]; END $$"));
    // Quoted: a name such as Full is a keyword on the server.
    db.execute(QStringLiteral("CREATE TRIGGER \"%1\" BEFORE %2 ON %3 FOR EACH ROW %4 EXECUTE "
                              "FUNCTION qvx_refuse('%5', '%6')")
                   .arg(name.toLower(), event, table,
                        condition.isEmpty()
                            ? QString()
                            : QStringLiteral("WHEN (") + condition + QLatin1Char(')'),
                        Sql_Quote(message), sqlState));
}

void dropFailingTrigger(Database& db, const QString& name, const QString& table)
{
    if (db.engine() == DbEngine::Sqlite)
        db.execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(name));
    else
        db.execute(
            QStringLiteral("DROP TRIGGER IF EXISTS \"%1\" ON %2").arg(name.toLower(), table));
}

#include "db/schema_archive.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "db/schema.h"

namespace schema_archive {

namespace {

bool onServer(DbEngine engine)
{
    return engine == DbEngine::Postgresql;
}

// An update or a delete of a history row fails, whoever tries.
QStringList historyTriggers(DbEngine engine)
{
    const QString refusal = QStringLiteral("Op_History rows cannot be changed or deleted");
    const QStringList names = triggerNames(); // the update's, then the delete's
    if (onServer(engine))
        return {
            QStringLiteral("CREATE OR REPLACE FUNCTION op_history_kept() RETURNS trigger LANGUAGE "
                           "plpgsql AS $$ BEGIN RAISE EXCEPTION '%1'; END $$")
                .arg(refusal),
            QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE ON "
                           "Op_History FOR EACH STATEMENT EXECUTE FUNCTION op_history_kept()")
                .arg(names[0]),
            QStringLiteral("CREATE TRIGGER %1 BEFORE DELETE OR TRUNCATE "
                           "ON Op_History FOR EACH STATEMENT EXECUTE FUNCTION "
                           "op_history_kept()")
                .arg(names[1])};
    QStringList out;
    const char* changes[] = {"UPDATE", "DELETE"};
    for (int i = 0; i < 2; ++i)
        out << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON Op_History BEGIN "
                              "SELECT RAISE(ABORT, '%3'); END")
                   .arg(names[i], QLatin1String(changes[i]), refusal);
    return out;
}

} // namespace

QString logView(const QString& view, const QString& table, const QString& where, DbEngine engine)
{
    // "User" is a reserved word on the server: there the field is created
    // quoted in lower case, and the engine layer quotes the word in statements.
    const QString user =
        onServer(engine) ? QStringLiteral("''::text AS \"user\"") : QStringLiteral("'' AS User");
    return QStringLiteral(
               "CREATE VIEW %1 AS SELECT L.Unit_SN AS Unit_SN, L.Date AS Date, "
               "L.Data_No AS Data_No, L.Log_No AS Log_No, L.Alcohol AS Alcohol, L.Tani AS Tani, "
               "COALESCE(M.Naiyou, '') AS Naiyou, COALESCE(M.Naiyou2, '') AS Naiyou2, "
               "COALESCE(K.Name, '') AS Name, %2 "
               "FROM %3 L LEFT JOIN Log_Master M ON M.Log_No = L.Log_No "
               "LEFT JOIN Kiki_Name K ON K.Unit_SN = L.Unit_SN%4")
        .arg(view, user, table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
}

QStringList statements(DbEngine engine)
{
    const QString administer =
        onServer(engine)
            ? QStringLiteral("ALTER TABLE Login ADD COLUMN Kanri smallint NOT NULL DEFAULT 1 "
                             "CHECK (Kanri IN (0, 1))")
            : QStringLiteral("ALTER TABLE Login ADD COLUMN \"Kanri\" INTEGER NOT NULL DEFAULT 1 "
                             "CHECK (\"Kanri\" IN (0, 1))");
    QStringList out{
        schema::createTable(QStringLiteral("Log_Archive"), engine),
        // A log is archived once; a search reads the archive by date.
        QStringLiteral("CREATE UNIQUE INDEX Log_Archive_Key ON Log_Archive (Unit_SN, Date, "
                       "Data_No)"),
        QStringLiteral("CREATE INDEX Log_Archive_Date ON Log_Archive (Date)"),
        // Every archived log, with no per-row check: each log is in one place
        // (an older file reaches that at version 3; the view is made again at
        // version 6, archiveViewWithoutCheck()).
        logView(QStringLiteral("V_Log_Archive"), QStringLiteral("Log_Archive"), QString(), engine),
        schema::createTable(QStringLiteral("Op_History"), engine),
        QStringLiteral("CREATE INDEX Op_History_Date ON Op_History (Date)"),
        administer,
    };
    return out + historyTriggers(engine);
}

QStringList archiveViewWithoutCheck(DbEngine engine)
{
    const QString view = QStringLiteral("V_Log_Archive");
    const QString create = logView(view, QStringLiteral("Log_Archive"), QString(), engine);
    if (onServer(engine))
        return {QString(create).replace(0, 6, QStringLiteral("CREATE OR REPLACE"))};
    return {QStringLiteral("DROP VIEW ") + view, create};
}

namespace {

// The pairs listed at most; the others are counted.
constexpr int kPairsListed = 20;

QString fieldText(const RowStream& rows, int column)
{
    if (rows.isNull(column))
        return QStringLiteral("null");
    const std::string_view text = rows.text(column);
    return QLatin1Char('\'') + QString::fromUtf8(text.data(), qsizetype(text.size())) +
           QLatin1Char('\'');
}

} // namespace

QString sameLog(const QString& current, const QString& archived, const QStringList& fields)
{
    QStringList same;
    for (const char* key : {"Unit_SN", "Date", "Data_No"})
        same << QStringLiteral("%1.%3 = %2.%3").arg(current, archived, QLatin1String(key));
    for (const QString& field : fields)
        same << QStringLiteral("(%1.%3 = %2.%3 OR (%1.%3 IS NULL AND %2.%3 IS NULL))")
                    .arg(current, archived, field);
    return same.join(QStringLiteral(" AND "));
}

QString removeCurrentFromArchive(Database& db)
{
    const qint64 removed = db.execute(
        QStringLiteral("DELETE FROM Log_Archive WHERE EXISTS (SELECT 1 FROM Log_Data D WHERE %1)")
            .arg(sameLog(
                QStringLiteral("D"), QStringLiteral("Log_Archive"),
                {QStringLiteral("Log_No"), QStringLiteral("Alcohol"), QStringLiteral("Tani")})));
    RowStream rows(db, QStringLiteral("SELECT A.Unit_SN, A.Date, A.Data_No, A.Log_No, A.Alcohol, "
                                      "A.Tani, D.Log_No, D.Alcohol, D.Tani FROM Log_Archive A JOIN "
                                      "Log_Data D ON %1 ORDER BY A.Unit_SN, A.Date, A.Data_No")
                           .arg(sameLog(QStringLiteral("D"), QStringLiteral("A"), {})));
    QStringList pairs;
    qint64 differing = 0;
    while (rows.next()) {
        if (++differing > kPairsListed)
            continue;
        QStringList f;
        for (int column = 0; column < 9; ++column)
            f << fieldText(rows, column);
        pairs << QStringLiteral("Unit_SN %1, Date %2, Data_No %3: archived Log_No %4, Alcohol "
                                "%5, Tani %6; current Log_No %7, Alcohol %8, Tani %9")
                     .arg(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]);
    }
    QString said = QStringLiteral("%1 archived logs that Log_Data holds unchanged removed from "
                                  "the archive")
                       .arg(removed);
    if (differing == 0)
        return said;
    said += QStringLiteral("; %1 that differ kept in both tables, for a person to decide:")
                .arg(differing);
    for (const QString& pair : pairs)
        said += QStringLiteral("\n  ") + pair;
    if (differing > kPairsListed)
        said += QStringLiteral("\n  and %1 more").arg(differing - kPairsListed);
    return said;
}

QStringList tableNames()
{
    return {QStringLiteral("Log_Archive"), QStringLiteral("Op_History")};
}

QStringList triggerNames()
{
    return {QStringLiteral("op_history_kept_update"), QStringLiteral("op_history_kept_delete")};
}

} // namespace schema_archive

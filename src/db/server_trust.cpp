#include "db/server_trust.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "db/sql_text.h"

namespace server_trust {

namespace {

// A table whose changes the history records, the key it names them by (an
// expression over the table's fields) and the schema version from which it
// is recorded (a table added later is recorded from the version that adds it).
struct AuditedTable {
    const char* table;
    const char* key;
    int version = 4;
};

const QList<AuditedTable>& auditedTables()
{
    static const QList<AuditedTable> tables{
        {"Login", "ID"},
        {"Kiki_Name", "Unit_SN"},
        {"Log_Master", "Log_No"},
        {"Fukusu", "Name || ' ' || No"},
        {"UFukusu", "Name || ' ' || No"},
        {"Com_Port", "Port"},
        {"Check_Record", "Unit_SN || ' ' || Date || ' ' || Data_No", 5},
    };
    return tables;
}

// The events whose changed rows a trigger sees, and the transition tables
// it names them by.
struct Event {
    const char* name;
    const char* referencing;
};
constexpr Event kEvents[] = {
    {"INSERT", "REFERENCING NEW TABLE AS new_rows"},
    {"UPDATE", "REFERENCING OLD TABLE AS old_rows NEW TABLE AS new_rows"},
    {"DELETE", "REFERENCING OLD TABLE AS old_rows"},
    {"TRUNCATE", ""},
};

// Who made a change, as the server knows it: the client's address and the
// role signed in (not the definer's, which current_user would give).
constexpr auto kActor =
    "coalesce(host(inet_client_addr()), 'local') || ' (' || session_user || ')'";

// Arguments: the table as the schema spells it, and its key expression.
// The keys of old and new rows alike, each once, at most 300 of them; the
// details are cut to the field's 2,000 characters.
QString tableChangedFunction()
{
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION table_changed() RETURNS trigger LANGUAGE plpgsql "
               "SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$ "
               "DECLARE changed bigint; keys text; what text := TG_ARGV[0] || ' ' || TG_OP; "
               "BEGIN IF TG_OP <> 'TRUNCATE' THEN "
               "EXECUTE format('SELECT count(*) FROM %s', CASE TG_OP WHEN 'DELETE' THEN "
               "'old_rows' ELSE 'new_rows' END) INTO changed; "
               "IF changed = 0 THEN RETURN NULL; END IF; "
               "EXECUTE format('SELECT string_agg(k, '', '') FROM (SELECT DISTINCT "
               "coalesce((%s)::text, '''') AS k FROM %s ORDER BY 1 LIMIT 300) s', TG_ARGV[1], "
               "CASE TG_OP WHEN 'INSERT' THEN 'new_rows' WHEN 'DELETE' THEN 'old_rows' ELSE "
               "'(SELECT * FROM old_rows UNION ALL SELECT * FROM new_rows) c' END) INTO keys; "
               "what := what || ' ' || changed || ': ' || keys; END IF; "
               "IF char_length(what) > 2000 THEN what := left(what, 1999) || '…'; "
               "END IF; "
               "INSERT INTO Op_History (ID, PC, Operation, Details) VALUES ('', left(%1, 255), "
               "'%2', what); RETURN NULL; END $$")
        .arg(QLatin1String(kActor), QLatin1String(kTableChange));
}

// Checks its arguments, moves the logs and records itself, all or nothing.
QString restoreFunction()
{
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION restore_archived(first_day date, last_day date, "
               "login_id text, pc_name text, details_text text) RETURNS bigint LANGUAGE plpgsql "
               "SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$ "
               "DECLARE moved bigint; BEGIN "
               "IF first_day IS NULL OR last_day IS NULL OR first_day > last_day THEN RAISE "
               "EXCEPTION 'restore_archived: % to % is no period', first_day, last_day; END IF; "
               "IF NOT EXISTS (SELECT 1 FROM Login L WHERE L.ID = login_id) THEN RAISE "
               "EXCEPTION 'restore_archived: no login ID %', quote_nullable(login_id); END IF; "
               "IF pc_name IS NULL OR char_length(pc_name) NOT BETWEEN 1 AND 200 THEN RAISE "
               "EXCEPTION 'restore_archived: a PC name has 1 to 200 characters'; END IF; "
               "IF details_text IS NULL OR char_length(details_text) > 1900 OR "
               "strpos(details_text, '%1') = 0 THEN RAISE EXCEPTION 'restore_archived: the "
               "details hold %1 and at most 1,900 characters'; END IF; "
               "WITH moved_logs AS (INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, "
               "Alcohol, Tani, WDate) SELECT A.Unit_SN, A.Date, A.Data_No, A.Log_No, A.Alcohol, "
               "A.Tani, A.WDate FROM Log_Archive A WHERE A.Date >= first_day AND A.Date <= "
               "last_day + time '23:59:59' AND NOT EXISTS (SELECT 1 FROM Log_Data D WHERE "
               "D.Unit_SN = A.Unit_SN AND D.Date = A.Date AND D.Data_No = A.Data_No) ON CONFLICT "
               "DO NOTHING RETURNING Unit_SN, Date, Data_No) "
               "DELETE FROM Log_Archive A USING moved_logs M WHERE A.Unit_SN = M.Unit_SN AND "
               "A.Date = M.Date AND A.Data_No = M.Data_No; "
               "GET DIAGNOSTICS moved = ROW_COUNT; "
               "INSERT INTO Op_History (ID, PC, Operation, Details) VALUES (login_id, pc_name || "
               "' (' || session_user || ')', '%2', replace(details_text, '%1', to_char(moved, "
               "'FM999,999,999,999,990'))); RETURN moved; END $$")
        .arg(QLatin1String(kRestoredCount), QLatin1String(kRestore));
}

QString triggerName(const AuditedTable& t, const Event& e)
{
    return QStringLiteral("%1_changed_%2")
        .arg(QString::fromLatin1(t.table).toLower(), QString::fromLatin1(e.name).toLower());
}

QStringList triggers(const AuditedTable& t)
{
    QStringList out;
    for (const Event& e : kEvents) {
        const bool truncate = QLatin1String(e.name) == QLatin1String("TRUNCATE");
        out << QStringLiteral("CREATE OR REPLACE TRIGGER %1 AFTER %2 ON %3 %4 FOR EACH STATEMENT "
                              "EXECUTE FUNCTION table_changed('%3', '%5')")
                   .arg(triggerName(t, e), QLatin1String(e.name), QLatin1String(t.table),
                        QLatin1String(e.referencing),
                        truncate ? QString() : Sql_Quote(QLatin1String(t.key)));
    }
    return out;
}

} // namespace

QStringList triggerNames()
{
    QStringList names;
    for (const AuditedTable& t : auditedTables()) {
        for (const Event& e : kEvents)
            names << triggerName(t, e);
    }
    return names;
}

void apply(Database& db, int version)
{
    if (db.engine() != DbEngine::Postgresql)
        return;
    RowStream zone(db, QStringLiteral("SELECT current_setting('TimeZone')"), RowStream::kWhole);
    if (!zone.next())
        throw DbError(QStringLiteral("The server did not say its time zone."));
    QStringList statements{
        QStringLiteral("ALTER TABLE Op_History ALTER COLUMN Date SET DEFAULT date_trunc('second', "
                       "now() AT TIME ZONE '%1')")
            .arg(Sql_Quote(QString::fromUtf8(zone.text(0)))),
        QStringLiteral("ALTER TABLE Login ALTER COLUMN Kanri SET DEFAULT 0"),
        tableChangedFunction(),
        restoreFunction(),
    };
    for (const AuditedTable& t : auditedTables()) {
        if (t.version <= version)
            statements << triggers(t);
    }
    // Only the owner runs them, and through the triggers.
    for (const char* function : {"table_changed()", "op_history_kept()", kRestoreFunction})
        statements << QStringLiteral("REVOKE EXECUTE ON FUNCTION %1 FROM PUBLIC")
                          .arg(QLatin1String(function));
    for (const QString& sql : statements)
        db.execute(sql);
}

void audit(Database& db, int version)
{
    if (db.engine() != DbEngine::Postgresql)
        return;
    for (const AuditedTable& t : auditedTables()) {
        if (t.version == version) {
            for (const QString& sql : triggers(t))
                db.execute(sql);
        }
    }
}

qint64 restoreArchived(Database& db, const QDate& from, const QDate& to, const QString& loginId,
                       const QString& pc, const QString& details)
{
    const QString day = QStringLiteral("yyyy-MM-dd");
    RowStream rows(db,
                   QStringLiteral("SELECT restore_archived(CAST(? AS date), CAST(? AS date), "
                                  "CAST(? AS text), CAST(? AS text), CAST(? AS text))"),
                   {from.toString(day), to.toString(day), loginId, pc, details}, RowStream::kWhole);
    return rows.next() ? rows.integer(0) : 0;
}

} // namespace server_trust

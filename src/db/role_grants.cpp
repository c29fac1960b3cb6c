#include "db/role_grants.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "db/server_trust.h"

#include <QHash>

namespace role_grants {

namespace {

// The privileges a check compares, in this order.
const QStringList& allPrivileges()
{
    static const QStringList all{"SELECT",   "INSERT",     "UPDATE", "DELETE",
                                 "TRUNCATE", "REFERENCES", "TRIGGER"};
    return all;
}

QString quotedRole(const QString& role)
{
    return QLatin1Char('"') + QString(role).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QStringList split(const char* list)
{
    QStringList out;
    for (const QString& item :
         QString::fromLatin1(list).split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << item.trimmed();
    return out;
}

// What `role` may do on each table of the listing, by lower-case name: the
// privileges of allPrivileges() it holds, joined by ",".
QString expected(const Rights& r)
{
    QStringList held = split(r.privileges);
    if (*r.columns)
        held << QStringLiteral("INSERT");
    QStringList ordered;
    for (const QString& p : allPrivileges()) {
        if (held.contains(p))
            ordered << p;
    }
    return ordered.join(QLatin1Char(','));
}

[[noreturn]] void refuse(const QString& why)
{
    throw DbError(why + QStringLiteral(" Nothing was changed."));
}

// Refuses a role that could undo what the grants keep it from.
void checkRole(Database& db, const QString& role)
{
    RowStream rows(
        db,
        QStringLiteral("SELECT r.rolsuper::int, r.rolcreaterole::int, "
                       "pg_has_role(r.oid, d.datdba, 'MEMBER')::int, "
                       "pg_has_role(r.oid, n.nspowner, 'MEMBER')::int, "
                       "pg_has_role(r.oid, c.relowner, 'MEMBER')::int, "
                       "has_schema_privilege(r.oid, n.oid, 'CREATE')::int, "
                       "has_schema_privilege(r.oid, n.oid, 'USAGE')::int "
                       "FROM pg_roles r, pg_database d, pg_namespace n, pg_class c "
                       "WHERE r.rolname = ? AND d.datname = current_database() AND n.nspname = "
                       "'public' AND c.oid = 'public.log_data'::regclass"),
        {role}, RowStream::kWhole);
    if (!rows.next())
        refuse(QStringLiteral("There is no role %1 on the server.").arg(role));
    const struct {
        bool refused;
        const char* why;
    } checks[] = {
        {rows.integer(0) != 0, "is a superuser"},
        {rows.integer(1) != 0, "may create roles"},
        {rows.integer(2) != 0, "owns the database"},
        {rows.integer(3) != 0, "owns the schema public (the owner of a schema may drop any "
                               "table in it)"},
        {rows.integer(4) != 0, "owns the tables"},
        {rows.integer(5) != 0, "may create objects in the schema public (as its owner: REVOKE "
                               "CREATE ON SCHEMA public FROM PUBLIC)"},
        {rows.integer(6) == 0, "may not use the schema public (as its owner: GRANT USAGE ON "
                               "SCHEMA public TO the role)"},
    };
    for (const auto& c : checks) {
        if (c.refused)
            refuse(QStringLiteral("The role %1 %2, so it cannot be the program's role; the "
                                  "program's role must be able to do only what the program does.")
                       .arg(role, QLatin1String(c.why)));
    }
}

// The restore function runs with its owner's rights: a superuser's would be
// too many, and another role's would not be the tables'.
void checkSetUpRole(Database& db)
{
    RowStream rows(db,
                   QStringLiteral("SELECT u.rolsuper::int, (c.relowner = u.oid)::int, "
                                  "(p.proowner = c.relowner)::int, pg_get_userbyid(c.relowner) "
                                  "FROM pg_roles u, pg_class c, pg_proc p WHERE u.rolname = "
                                  "current_user AND c.oid = 'public.log_data'::regclass AND "
                                  "p.oid = 'public.%1'::regprocedure")
                       .arg(QLatin1String(server_trust::kRestoreFunction)),
                   RowStream::kWhole);
    if (!rows.next())
        refuse(QStringLiteral("The set-up role was not found."));
    const QString owner = QString::fromUtf8(rows.text(3));
    if (rows.integer(0) != 0)
        refuse(QStringLiteral("The set-up runs as a superuser, so restore_archived would run "
                              "with a superuser's rights. Give the tables to a role that is not "
                              "a superuser (REASSIGN OWNED BY %1 TO quarvenix_admin, in this "
                              "database) and run the set-up as that role.")
                   .arg(owner));
    if (rows.integer(1) == 0 || rows.integer(2) == 0)
        refuse(QStringLiteral("Run the set-up as the role that owns the tables and "
                              "restore_archived (%1).")
                   .arg(owner));
}

void revokeAndGrant(Database& db, const QString& role)
{
    const QString who = quotedRole(role);
    QStringList statements;
    for (const char* kind : {"TABLES", "SEQUENCES", "FUNCTIONS"})
        statements << QStringLiteral("REVOKE ALL ON ALL %1 IN SCHEMA public FROM %2")
                          .arg(QLatin1String(kind), who);
    for (const Rights& r : rights()) {
        statements << QStringLiteral("GRANT %1 ON %2 TO %3")
                          .arg(QLatin1String(r.privileges), QLatin1String(r.object), who);
        if (*r.columns)
            statements << QStringLiteral("GRANT INSERT (%1) ON %2 TO %3")
                              .arg(QLatin1String(r.columns), QLatin1String(r.object), who);
    }
    statements << QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2")
                      .arg(QLatin1String(server_trust::kRestoreFunction), who);
    for (const QString& sql : statements)
        db.execute(sql);
}

// What the role may do now, whoever granted it: exactly the listing.
void checkGranted(Database& db, const QString& role)
{
    QHash<QString, QString> wanted;
    for (const Rights& r : rights())
        wanted.insert(QString::fromLatin1(r.object).toLower(), expected(r));
    QStringList columns;
    for (const QString& p : allPrivileges()) {
        const bool perColumn = p == "SELECT" || p == "INSERT" || p == "UPDATE" || p == "REFERENCES";
        columns << QStringLiteral("CASE WHEN %1(r.name, c.oid, '%2') THEN '%2' END")
                       .arg(perColumn ? QLatin1String("has_any_column_privilege")
                                      : QLatin1String("has_table_privilege"),
                            p);
    }
    RowStream rows(db,
                   QStringLiteral("WITH r AS (SELECT CAST(? AS name) AS name) SELECT c.relname, "
                                  "concat_ws(',', %1) FROM pg_class c, r WHERE c.relnamespace = "
                                  "'public'::regnamespace AND c.relkind IN ('r', 'v', 'm', 'p', "
                                  "'f') ORDER BY 1")
                       .arg(columns.join(QStringLiteral(", "))),
                   {role}, RowStream::kWhole);
    QStringList wrong;
    while (rows.next()) {
        const QString table = QString::fromUtf8(rows.text(0));
        const QString held = QString::fromUtf8(rows.text(1));
        if (held != wanted.value(table))
            wrong << QStringLiteral("%1 may %2 (should: %3)")
                         .arg(table, held.isEmpty() ? QStringLiteral("nothing") : held,
                              wanted.value(table).isEmpty() ? QStringLiteral("nothing")
                                                            : wanted.value(table));
    }
    RowStream others(
        db,
        QStringLiteral("SELECT has_column_privilege(?, 'public.op_history', 'date', "
                       "'INSERT')::int, has_function_privilege(?, 'public.table_changed()', "
                       "'EXECUTE')::int, has_function_privilege(?, 'public.%1', 'EXECUTE')::int")
            .arg(QLatin1String(server_trust::kRestoreFunction)),
        {role, role, role}, RowStream::kWhole);
    if (others.next()) {
        if (others.integer(0) != 0)
            wrong << QStringLiteral("op_history may be dated by the role");
        if (others.integer(1) != 0)
            wrong << QStringLiteral("table_changed() may be run by the role");
        if (others.integer(2) == 0)
            wrong << QStringLiteral("restore_archived() may not be run by the role");
    }
    if (!wrong.isEmpty())
        refuse(QStringLiteral("After the grants the role %1 still has other rights than the "
                              "program needs, through another role or PUBLIC: %2.")
                   .arg(role, wrong.join(QStringLiteral("; "))));
}

} // namespace

const QList<Rights>& rights()
{
    static const QList<Rights> all{
        {"Log_Data", "SELECT, INSERT, DELETE", "",
         "search; store what a read receives; a deletion empties it"},
        {"Log_Data_Bak", "INSERT, DELETE", "", "the copy a deletion keeps"},
        {"Log_Master", "SELECT, INSERT, DELETE", "", "contents; a log master change replaces them"},
        {"Log_Master_Bak", "INSERT, DELETE", "", "the copy a log master change keeps"},
        {"Kiki_Name", "SELECT, INSERT, UPDATE, DELETE", "", "handset names"},
        {"Login", "SELECT, INSERT, UPDATE, DELETE", "", "sign-in and login IDs"},
        {"Fukusu", "SELECT, INSERT, UPDATE, DELETE", "", "content selection sets"},
        {"UFukusu", "SELECT, INSERT, UPDATE, DELETE", "", "unit selection sets"},
        {"Log_Archive", "SELECT, INSERT", "",
         "search the archive; a deletion and a file load add to it (only restore_archived "
         "takes logs out)"},
        {"Op_History", "SELECT", "ID, PC, Operation, Details",
         "read and add history rows; the server dates them"},
        {"Db_Version", "SELECT", "", "the version check at the start"},
        {"V_Log_Data", "SELECT", "", "search"},
        {"V_Log_Archive", "SELECT", "", "search with the archive"},
        {"V_Unit_SN", "SELECT", "", "the list of units"},
        {"V_FUKUSU", "SELECT", "", "search by a content set"},
        {"Check_Record", "SELECT, INSERT, UPDATE", "",
         "the check record book: records are added and changed (read locked), never deleted"},
    };
    return all;
}

QStringList grant(Database& db, const QString& role)
{
    checkSetUpRole(db);
    checkRole(db, role);
    revokeAndGrant(db, role);
    checkGranted(db, role);
    QStringList lines;
    for (const Rights& r : rights())
        lines << QStringLiteral("%1: %2%3 (%4)")
                     .arg(QLatin1String(r.object), QLatin1String(r.privileges),
                          *r.columns ? QStringLiteral(", INSERT (%1)").arg(QLatin1String(r.columns))
                                     : QString(),
                          QLatin1String(r.purpose));
    lines << QStringLiteral("%1: EXECUTE (restore archived logs; it records itself)")
                 .arg(QLatin1String(server_trust::kRestoreFunction));
    return lines;
}

} // namespace role_grants

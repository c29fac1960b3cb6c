#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// The rights of the program's role on a server (quarvenix-initdb --grant):
// what the program does, and nothing else. The tables belong to a set-up
// role; the program's role may not change Db_Version, take logs out of the
// archive (restore_archived() does that, server_trust.h), date, change or
// delete a history row, or change the schema.
namespace role_grants {

// A table or view of the schema and what the program does with it.
struct Rights {
    const char* object;     // as the schema spells it
    const char* privileges; // on the whole table: "SELECT, INSERT"
    const char* columns;    // INSERT on these fields only; "" for none
    const char* purpose;    // for the administrator
};
// Every table and view the role may use; those missing get nothing.
const QList<Rights>& rights();

// In the caller's transaction, run as the role that owns the tables: first
// takes every right on the schema's tables, views, sequences and functions
// from `role` (a column's right goes with its table's), then grants what
// rights() lists and EXECUTE on the restore function, then checks what
// `role` may do now, also through other roles and PUBLIC. Throws DbError
// with a sentence that says why, so that the caller rolls back, when
// `role` does not exist, is a superuser, may create roles, owns (or is a
// member of the owner of) the database, the schema public or the tables,
// may create in public, when the set-up role is a superuser or does not own
// the tables and the restore function, or when `role` may do more or less
// than listed afterwards. Returns what was granted, a line each.
QStringList grant(Database& db, const QString& role);

} // namespace role_grants

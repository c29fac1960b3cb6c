#pragma once

#include "db/unique_keys.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// The version of a Quarvenix database, and the steps that bring an older one
// up to date.
//
// A database keeps its version in the table Db_Version (one row); one
// without that table is of version 0, as every database made before versions
// were kept. A new database is made at the current version
// (schema::statements()).
//
// Who upgrades: the program, an SQLite file when it opens it, once its claim
// on the file is held (DB_Connect); quarvenix-initdb --upgrade FILE likewise;
// quarvenix-initdb --postgresql a server database, under the set-up lock. A
// PC never changes a server's schema: it refuses a server database of a
// lower version and says to run the tool. Every program refuses a database
// of a higher version than its own, which a newer program changed.
//
// upgrade() runs every step above the database's version in order, each
// raising the version by one, then adds each unique key of
// schema::uniqueKeys() whose index is missing (found by name), unless rows
// share that key, and on an SQLite file makes again what of the history is
// missing or changed (history_repair.h). A key is not a step: rows that share a key must not keep a
// file from being upgraded, so its index waits until a person has removed
// the extra rows, and is added at the next upgrade.
//
// To add a step (a table, a field, a plain index):
//  1. declare the new shape in schema.cpp, so that a new database has it:
//     the table in tables(), the field in its table, the index in
//     statements();
//  2. append {next version, what it changes, function} to steps() in
//     schema_upgrade.cpp; the function makes the same change on either
//     engine, with the statements of schema.cpp (never a second definition).
//     It must not depend on the rows: a step is never refused;
//  3. in the tests' makeOldStyle() (tests/support/test_db.cpp) undo the
//     change; the upgrade tests then check on both engines that an old
//     database, upgraded, has the shape of a new one.
// A new unique key needs no step: add it to schema::uniqueKeys().
namespace schema_upgrade {

// The version this program makes and works on: that of its last step.
int currentVersion();

// The version of an open database; 0 when it keeps none. Throws DbError
// (DbFault::BadVersion) when Db_Version is not one row holding a whole
// number from 1 to 32767, or is not a table.
int versionOf(Database& db);

// Refuses, with DbError, a database this program must not work on: of a
// higher version (DbFault::NewerSchema), or on a server of a lower version
// (DbFault::OlderSchema).
void checkVersion(Database& db);

// What an upgrade did, and what it could not do.
struct Result {
    int from = 0;
    int to = 0;
    QStringList changes; // what each step run changed
    QStringList indexesAdded;
    int keysTrimmed = 0; // stored keys whose trailing blanks were removed
    // The keys whose index is still missing because rows share them.
    QList<unique_keys::SharedKey> sharedKeys;
    // What of an SQLite file's history was missing or changed and is made
    // again (history_repair.h).
    QStringList historyRepaired;
    bool changed() const
    {
        return to != from || !indexesAdded.isEmpty() || !historyRepaired.isEmpty();
    }
};
// "from version 0 to 1 (keeps its version); added the unique indexes A, B; …".
QString summary(const Result& result);

// Brings the database up to date inside the caller's transaction; the caller
// commits (or rolls back to change nothing). Throws DbError, NewerSchema for
// a database of a higher version.
Result upgrade(Database& db);

// Inside a transaction: on a server, waits for and then holds, until the
// transaction ends, the lock that lets one set-up or upgrade of the database
// run at a time. On an SQLite file the claim does that; nothing happens.
void holdSetUpLock(Database& db);

// quarvenix-initdb --upgrade FILE: claims the file as the program does,
// upgrades it and commits, also where rows share a key (their index waits,
// as when the program opens the file). ok is false on any failure and where
// rows share a key; message says what was done and lists those rows.
struct FileUpgrade {
    bool ok = false;
    QString message;
};
FileUpgrade upgradeFile(const QString& path);

} // namespace schema_upgrade

#pragma once

#include "db/log_master_table.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct ServerAddress;

// The database as delivered: every table and view, the Com_Port row (port 1),
// the login "admin" (password 846), the default log master and the standard
// content set.
namespace delivered_db {

inline constexpr auto kAdminId = "admin";
inline constexpr auto kAdminPassword = "846";
// The standard content set's name in the language of the texts.
QString standardSetName(bool english);

// The three delivered files. The test file serves the test builds of both
// languages, so it holds the standard set under both names.
enum class DeliveredFile { Japanese, English, Test };

// Creates the file at path. Refuses (returns an error) when the file exists;
// the database is built in a temporary file first and renamed into place, so
// a failure never leaves a half-made database behind. Empty result: success.
QString create(const QString& path, DeliveredFile file,
               const QList<log_master_table::Entry>& master, const QDateTime& now);
// The Japanese or the English file.
inline QString create(const QString& path, bool english,
                      const QList<log_master_table::Entry>& master, const QDateTime& now)
{
    return create(path, english ? DeliveredFile::English : DeliveredFile::Japanese, master, now);
}

// Creates the three database files in dir, each only when missing. Returns
// the errors, one per line; empty on success.
QString createMissing(const QString& dir, const QList<log_master_table::Entry>& master,
                      const QDateTime& now);

// Sets up a database on a PostgreSQL server as create() sets up that file:
// every table, key, index and view, and the same rows, then what keeps the
// record trusted (server_trust.h); all in one transaction, so a failure
// leaves the database as it was. A database that holds every table already
// is brought up to date (Upgraded: the steps and unique keys of
// schema_upgrade.h) or left alone (AlreadySetUp); where rows share a unique
// key, or a newer program changed it, it is left as it was and the message
// says why, listing the rows (Failed). One that holds only some of the
// tables is refused. With grantRole, the same transaction then gives that
// role what the program needs and nothing else (role_grants.h), or refuses
// the role and changes nothing (Failed).
struct ServerSetup {
    enum Outcome { Created, Upgraded, AlreadySetUp, Failed };
    Outcome outcome = Failed;
    QString message;
};
ServerSetup setUpServer(const ServerAddress& server, DeliveredFile file,
                        const QList<log_master_table::Entry>& master, const QDateTime& now,
                        const QString& grantRole = {});

} // namespace delivered_db

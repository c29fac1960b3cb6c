#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Database;

// What keeps a server's record trustworthy whoever connects to it (schema
// version 4). The program's role (role_grants.h) may only do what the
// program does; what it does, and what anyone else does to the tables of
// the record, leaves a row in Op_History that no one but the tables' owner
// can change:
//
// - Op_History.Date takes the server's clock in the zone of the set-up
//   (written into the default as a literal: localtimestamp would follow each
//   client's time-zone setting), and the program's role may not set it.
// - Login.Kanri defaults to 0: a new ID does not administer.
// - Every INSERT, UPDATE and DELETE of the audited tables adds one history
//   row per statement (operation TableChange), naming the keys it touched;
//   a TRUNCATE adds one without keys. The row's PC holds the client's
//   address and the role signed in: "192.168.0.5 (quarvenix)".
// - Archived logs go back to Log_Data only through restore_archived(), a
//   function that runs with its owner's rights, moves the logs and adds its
//   own history row in the caller's transaction.
namespace server_trust {

// The history operation codes the server writes (op_history.h knows them).
inline constexpr auto kTableChange = "TableChange";
inline constexpr auto kRestore = "Restore";

// On a server: creates or replaces all of the above in the caller's
// transaction, as the tables' owner, with the triggers of the audited tables
// of a database of `version` (4 or later). Nothing on an SQLite file.
void apply(Database& db, int version);

// On a server: the triggers of the audited tables that `version` (after 4)
// adds, in the caller's transaction. Nothing on an SQLite file.
void audit(Database& db, int version);

// The triggers apply() creates, by lower-case name.
QStringList triggerNames();

// The restore function's name and signature, for grants.
inline constexpr auto kRestoreFunction = "restore_archived(date, date, text, text, text)";
// In restoreArchived()'s details, where the server writes the number of
// logs moved.
inline constexpr auto kRestoredCount = "{count}";

// On a server: moves the archived logs of the days from `from` to `to` that
// Log_Data lacks back into it, deletes them from the archive and adds the
// history row (login ID, this PC, `details` with kRestoredCount replaced by
// the number moved), in the caller's transaction or one of its own. The
// number moved. Throws DbError, also for arguments the function refuses.
qint64 restoreArchived(Database& db, const QDate& from, const QDate& to, const QString& loginId,
                       const QString& pc, const QString& details);

} // namespace server_trust

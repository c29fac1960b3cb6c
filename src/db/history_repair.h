#pragma once

#include <QStringList>

class Database;

// The operation history of an SQLite file keeps its rows through its table
// and its two triggers; whoever holds the file can drop or change them.
// When the file opens, whatever of them is missing or not as the schema
// makes it is made again (and a trigger on Op_History that the schema does
// not make is dropped), and the history records that in a row of its own.
namespace history_repair {

// The operation code of that row (op_history.h knows it).
inline constexpr auto kOperation = "HistoryRepair";

// On an SQLite file that keeps a history (version 2 or later), inside the
// caller's transaction: repairs as above and returns what was repaired
// ("op_history_kept_delete: missing"), nothing when all was in order. On a
// server, nothing happens: its history belongs to the tables' owner.
QStringList repair(Database& db);

} // namespace history_repair

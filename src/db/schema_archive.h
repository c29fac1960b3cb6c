#pragma once

#include "db/db_engine.h"

#include <QStringList>

class Database;

// What keeps records findable, on either engine:
//
// - Log_Archive: every log a preservation took out of Log_Data (its fields,
//   plus HDate, when it was preserved), each log once (unique key
//   Unit_SN, Date, Data_No), indexed by date for the search. The program
//   never empties it.
// - V_Log_Archive: the archived logs, with the columns of V_Log_Data, so that
//   a search reads both through one statement. Each log is in one place, so
//   the view reads every archived row with no check against Log_Data; a pair
//   the upgrade kept in both tables for a person to decide shows as both
//   copies. (Until version 6 the view left out the archived logs that
//   Log_Data also held, a check that cost a lookup per row.)
// - Op_History: one row per operation (when, login ID, PC, operation code,
//   details), numbered in the order added. Rows can only be added: triggers
//   refuse an update or a delete (and on the server TRUNCATE).
// - Login.Kanri: 1 when the ID may administer; every row starts with 1.
namespace schema_archive {

// The statements that add all of that to a database holding the other tables
// (a new one, or an older one being upgraded).
QStringList statements(DbEngine engine);

// The tables, as the schema spells them.
QStringList tableNames();
// The triggers that keep Op_History's rows, by lower-case name.
QStringList triggerNames();

// The log view's statement over a table of logs: the columns of V_Log_Data,
// a join without a match giving the empty text; `where` ("" for none)
// filters the table's rows, known as L.
QString logView(const QString& view, const QString& table, const QString& where, DbEngine engine);

// The condition that a log of Log_Data (named `current` in the statement) and
// an archived log (`archived`) are one log: the same key, and each of
// `fields` equal (a null equal only to a null).
QString sameLog(const QString& current, const QString& archived, const QStringList& fields);

// A log is in one place: inside the caller's transaction, every archived log
// that Log_Data holds with the same key and equal Log_No, Alcohol and Tani
// leaves the archive. An archived log whose current copy differs stays in
// both, for a person to decide which is right. Says what it did: the count
// removed, and the pairs kept.
QString removeCurrentFromArchive(Database& db);

// The statements that make V_Log_Archive read every archived log with the
// joins of V_Log_Data and no per-row check (on the server the view is
// replaced in place, so that its grants stay).
QStringList archiveViewWithoutCheck(DbEngine engine);

} // namespace schema_archive

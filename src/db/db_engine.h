#pragma once

// The two database engines the engine layer runs on. Only the engine layer,
// the schema and the start-up look at it; windows and procedures never do.
enum class DbEngine {
    Sqlite,     // a database file beside the program
    Postgresql, // a shared server
};

// What the statements of a transaction see of other connections' commits. On
// a server, each statement of a PerStatement transaction sees what was
// committed before that statement; every statement of a OneSnapshot
// transaction sees what was committed before the first, and changing a row
// that another connection changed meanwhile fails with DbFault::Conflict.
// SQLite's transactions are one snapshot either way.
// A Writing transaction reads what it is about to replace: on SQLite it holds
// the file's write lock from its start (BEGIN IMMEDIATE), so nothing changes
// between its reads and its writes; on a server it is PerStatement, and its
// reads lock their rows with FOR UPDATE.
enum class DbIsolation { PerStatement, OneSnapshot, Writing };

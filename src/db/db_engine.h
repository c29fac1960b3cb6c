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
enum class DbIsolation { PerStatement, OneSnapshot };

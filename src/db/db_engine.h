#pragma once

// The two database engines the engine layer runs on. Only the engine layer,
// the schema and the start-up look at it; windows and procedures never do.
enum class DbEngine {
    Sqlite,     // a database file beside the program
    Postgresql, // a shared server
};

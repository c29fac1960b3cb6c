#pragma once

#include <QString>
#include <memory>
#include <string_view>

class Database;

// One row of V_Log_Data as the grid loader takes it: each field's UTF-8
// bytes ("" for null), valid until the next row is read.
struct LogGridRow {
    std::string_view user;
    std::string_view unitSN;
    std::string_view name;
    std::string_view dataNo;
    std::string_view date; // stored form "YYYY-MM-DD HH:MM:SS"
    std::string_view alcohol;
    std::string_view tani;
    std::string_view naiyou;
    std::string_view naiyou2;
    bool hasLogNo = false;
    int logNo = 0;
};

// Where the loader's rows come from: the search statement running on the
// database engine, read forward once.
class LogGridRows {
public:
    virtual ~LogGridRows() = default;
    // Reads the next row into `row`; false after the last. Throws DbError.
    virtual bool next(LogGridRow& row) = 0;
};

// Starts the statement (engine syntax, no #date# literals) on the engine of
// `db`. Throws DbError when the engine refuses it.
std::unique_ptr<LogGridRows> openLogGridRows(Database& db, const QString& sql);

#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/switches.h"
#include "main/log_grid_model.h"
#include "main/log_interner.h"

class Database;

// Reads the rows of a SELECT over V_Log_Data straight from the engine into the
// grid's compact records: each distinct text is formatted once, each row
// becomes a few numbers.
class LogGridLoader {
public:
    explicit LogGridLoader(const Switches& sw);

    // Reads every row of the statement (engine syntax, no #date# literals).
    // Throws DbError; what was read so far is kept only if it succeeds.
    void load(Database& db, const QString& sql);

    int rowCount() const { return static_cast<int>(records_.size()); }
    // Hands the rows to the model in one step.
    void moveInto(LogGridModel& model);

private:
    Switches sw_;
    LogInterner units_, names_, dataNos_, contents_, measured_;
    LogGridRecords records_;
    std::string key_;
};

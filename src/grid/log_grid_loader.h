#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "base/switches.h"
#include "grid/log_grid_model.h"
#include "grid/log_interner.h"

class RowStream;

// Reads the rows of a search into the grid's compact records: each distinct
// text is formatted once, each row becomes four numbers. While they are
// read, the grid shows the rows read so far when the caller asks for them
// (at most each time they have doubled), and all of them at the end.
class LogGridLoader {
public:
    // Asked after every kRowsPerCheck rows with the rows read so far and a
    // function that shows them in the grid, to be called before the event
    // loop runs (the first time, and whenever they have doubled since);
    // false stops the load.
    using KeepGoing = std::function<bool(int rowsRead, const std::function<void()>& show)>;
    static constexpr int kRowsPerCheck = 1024;

    explicit LogGridLoader(const Switches& sw);

    // Reads every row of a search of V_Log_Data into the model, which is
    // emptied first. False when keepGoing stopped it; the rows read so far
    // are then not to be shown. Throws DbError.
    bool load(RowStream& rows, LogGridModel& model, const KeepGoing& keepGoing = {});
    // Of the rows loaded, those whose column Archived is 1 (read from the archive).
    int archivedRows() const { return archived_; }

private:
    std::uint32_t whenCode(std::string_view stored);
    // What the rows read so far point into.
    LogGridTexts texts() const;

    Switches sw_;
    LogInterner units_, dataNos_, contents_;
    QStringList names_;                // by unit index
    std::vector<std::int32_t> logNos_; // by content index
    QStringList contentTexts_;
    std::vector<double> measured_;
    QStringList taniCodes_;
    std::vector<log_grid_when::DateTime> oddWhens_;
    std::unordered_map<std::uint64_t, std::uint32_t> oddIndex_;
    std::string key_;
    // The day part of the last date read (dates repeat from row to row).
    std::uint32_t lastDate_ = 0;
    std::optional<std::uint32_t> lastDay_;
    int archived_ = 0;
};

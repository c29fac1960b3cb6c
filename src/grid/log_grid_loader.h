#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/switches.h"
#include "grid/log_grid_model.h"
#include "grid/log_interner.h"

class RowStream;

// Reads the rows of a search into the grid's compact records: each distinct
// text is formatted once, each row becomes four numbers. While they are
// read, the grid shows the rows read so far when the caller asks for them
// (at most each time they have doubled), and all of them at the end.
//
// A row costs little more than reading it: only the fields that decide its
// cells are read (the measured value and its unit only for a measurement),
// a handset or content seen a little before is known without a lookup, and
// a date of a day seen before only has its time read.
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
    struct Columns;
    std::uint32_t unitIndex(const RowStream& rows, const Columns& at);
    std::uint32_t contentIndex(const RowStream& rows, const Columns& at);
    std::uint32_t internContent(std::int32_t logNo, std::string_view shown, bool measured,
                                std::string_view alcohol, std::string_view tani);
    bool contentIs(std::uint32_t index, std::int32_t logNo, std::string_view shown, bool measured,
                   std::string_view alcohol, std::string_view tani) const;
    std::uint32_t whenCode(std::string_view stored);
    std::uint32_t fullWhenCode(std::string_view stored);
    static std::size_t daySlot(std::string_view stored);
    // What the rows read so far point into.
    LogGridTexts texts() const;

    Switches sw_;
    LogInterner units_, dataNos_, contents_;
    // The start of a content cell by its shown text, and the unit codes.
    LogInterner prefixes_, taniTexts_;
    QStringList names_;                // by unit index
    std::vector<std::int32_t> logNos_; // by content index
    QStringList contentTexts_;
    std::vector<double> measured_;
    QStringList taniCodes_;
    std::vector<log_grid_when::DateTime> oddWhens_;
    std::unordered_map<std::uint64_t, std::uint32_t> oddIndex_;
    std::string key_;

    // The handsets and contents seen last, each in a slot of its own by a
    // quick hash of its fields (its index + 1, 0 when free), so that a row
    // that repeats one seen a little before is known by comparing its
    // fields with the entry's bytes; and the same for days.
    std::vector<std::uint32_t> unitSlots_, contentSlots_;
    struct DaySlot {
        std::array<char, 11> text{}; // "YYYY-MM-DD "
        std::uint32_t code = 0;      // 0: free
    };
    std::vector<DaySlot> daySlots_;
    int archived_ = 0;
};

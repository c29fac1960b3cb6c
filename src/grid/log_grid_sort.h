#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "base/switches.h"

struct LogGridRecord;
class LogGridRecords;
struct LogGridTexts;

// Sorting of the grid's rows on precomputed keys: each record gets the rank
// of its cell text among the distinct texts of the column, and the shown
// order is rearranged by a stable counting sort on those ranks.
namespace log_grid_sort {

struct Keys {
    std::vector<std::uint32_t> rank; // per record; equal texts have equal ranks
    std::uint32_t count = 0;         // ranks are 0 .. count-1
};

// Ranks under the text order without regard to case (columns 0 to 5).
Keys textKeys(const LogGridTexts& texts, const LogGridRecords& records, int col,
              const Switches& sw);

// Ranks of the time column under the generic comparison.
Keys genericTimeKeys(const LogGridTexts& texts, const LogGridRecords& records, const Switches& sw);

// Reorders `order` (indexes into the records) by rank; ties keep their order.
void stableSort(std::vector<std::uint32_t>& order, const Keys& keys, bool descending);

} // namespace log_grid_sort

#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A log's date and time as the grid keeps it: one 32-bit code per row.
//
// A real date from 1 January 2000 to 16 September 2089 with a real time packs
// into the code itself: the day counted from 1 January 2000 (1 = that day) in the
// upper 15 bits, the second of the day in the lower 17. Code 0 is "no date".
// Any other date-time (earlier, later, or digit fields that are no real date
// or time) is kept in a side table of the search; its code holds the table
// index in second values from 86400 up, which no real time uses.
namespace log_grid_when {

// A date and time as its cells show them: yyyymmdd (0 = no date) and hhmmss.
struct DateTime {
    std::uint32_t date = 0;
    std::uint32_t time = 0;
    bool operator==(const DateTime&) const = default;
};

inline constexpr std::uint32_t kNoDate = 0;

// "YYYY-MM-DD HH:MM:SS" (digits in each field) as date and time; nothing for
// any other text or a date of 0.
std::optional<DateTime> parseStored(std::string_view text);

// The day part of a real date in the packed range, or nothing.
std::optional<std::uint32_t> packDay(std::uint32_t date);
// The second of the day of a real time, or nothing.
std::optional<std::uint32_t> packTime(std::uint32_t time);
// The code of a day part and a second of the day.
inline std::uint32_t packed(std::uint32_t day, std::uint32_t second)
{
    return (day << 17) | second;
}
// The code of a date-time that packs, or nothing.
std::optional<std::uint32_t> pack(const DateTime& dt);
// How many entries a side table can have.
inline constexpr std::uint64_t kMaxSide = std::uint64_t(1 << 15) * ((1 << 17) - 86400);
// The code of entry `index` of the side table (index < kMaxSide).
std::uint32_t sideCode(std::uint32_t index);
bool isSide(std::uint32_t code);
std::uint32_t sideIndex(std::uint32_t code);

// The date and time of a code; side codes are looked up in `side`.
DateTime unpack(std::uint32_t code, const std::vector<DateTime>& side);

// Day part of a packed code (codes of one day share it); only for codes
// that are neither kNoDate nor side codes.
inline std::uint32_t dayOf(std::uint32_t code)
{
    return code >> 17;
}
// Second of the day of a packed code (same condition).
inline std::uint32_t secondOf(std::uint32_t code)
{
    return code & 0x1ffffu;
}

// yyyymmdd of a packed day part.
std::uint32_t dateOfDay(std::uint32_t day);

} // namespace log_grid_when

#pragma once

#include "stats/stat_limit.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>
#include <vector>

class LogGridRecords;
struct LogGridTexts;

// The figures of the statistics window, counted from the grid's compact
// records in two passes (the time range first, then everything else), never
// from formatted cells.
//
// Times are seconds counted from the start of Julian day 0: the Julian day
// number times 86400 plus the second of the day. A row whose date and time
// is no real one (or that has none) counts as a log of its unit but has no
// place in time.
//
// Values are counted as the handset reports them, with their unit code
// (Tani): the figures of values are those of one code, the most frequent one,
// against the company's limit for it; values of other codes are only counted.
namespace log_statistics {

inline constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kSecondsPerDay = 86400;

// How many days one bar of the log chart holds: the narrowest width that
// keeps the bars at most kMaxBars.
enum class BarWidth { Day, Week, Month, Year };
inline constexpr int kMaxBars = 100;
BarWidth barWidthFor(std::int64_t firstDay, std::int64_t lastDay);
// The first day (Julian day number) of the bar holding `day`; weeks start on Monday.
std::int64_t barStart(std::int64_t day, BarWidth width);

// The measured-value chart shows, per unit and time slot, the lowest and the
// highest value at their own times: every value shows while a slot holds at
// most two, and the chart keeps at most 2 * kValueSlots points per unit and
// about 2 * kValuePoints in all, however many rows there are.
inline constexpr int kValueSlots = 500;
inline constexpr int kValuePoints = 5000;

struct ValuePoint {
    std::int64_t time = kNoTime;
    double value = 0;
    bool operator==(const ValuePoint&) const = default;
};

// One row of the per-unit table.
struct UnitFigures {
    QString unit; // the grid's unit cell: user, serial number head and serial number
    QString name;
    std::int64_t logs = 0;
    std::int64_t measurements = 0; // of the code the figures are of
    std::int64_t atOrAboveLimit = 0;
    std::int64_t otherCodes = 0;  // measurements of other codes
    std::int64_t first = kNoTime; // the earliest and latest log with a time
    std::int64_t last = kNoTime;
    std::vector<ValuePoint> points; // in time order
};

struct CodeCount {
    QString code;
    std::int64_t measurements = 0;
};

struct Figures {
    // The unit code the figures of values are of ("" when the values have
    // none, or there are no values), and its limit.
    QString code;
    double limit = stat_limit::kDefault;
    // Every code with its number of measurements, most first (ties by code).
    std::vector<CodeCount> codes;
    std::int64_t rows = 0;
    std::int64_t measurements = 0; // of `code`
    std::int64_t atOrAboveLimit = 0;
    std::int64_t otherCodes = 0;      // measurements of other codes
    std::int64_t firstTime = kNoTime; // over every row with a time
    std::int64_t lastTime = kNoTime;

    // The log chart: the content texts, most logs first (ties by text), and
    // per bar the number of logs of each.
    BarWidth width = BarWidth::Day;
    QStringList contents;
    std::vector<std::int64_t> barStarts; // Julian day of each bar's first day
    std::vector<std::int64_t> counts;    // counts[bar * contents.size() + content]
    std::int64_t count(std::size_t bar, qsizetype content) const
    {
        return counts[bar * std::size_t(contents.size()) + std::size_t(content)];
    }

    // By unit text, then name.
    std::vector<UnitFigures> units;
};

// The figures of every record, with values at or above their code's limit
// counted apart.
Figures compute(const LogGridTexts& texts, const LogGridRecords& records,
                const stat_limit::Limits& limits);

// A unit code as the window names it: the code, or the language's "none".
QString codeText(const QString& code, bool english);

// A time as the grid shows a date and a time, in the window's language.
QString timeText(std::int64_t time, bool english);

// The line above the charts: the time range, the numbers of logs and of
// measurements, and how many are at or above the limit; a second line when
// the values carry several unit codes.
QString summary(const Figures& figures, bool english);

// The per-unit table: headings and one row of texts per unit. The column of
// measurements of other codes is there only when there are any; the counts
// are the columns from 2 up to the first log's.
inline constexpr int kOtherCodesColumn = 5;
inline bool isCountColumn(int column, int columns)
{
    return column >= 2 && column < columns - 2;
}
QStringList tableHeadings(const Figures& figures, bool english);
QList<QStringList> tableRows(const Figures& figures, bool english);

} // namespace log_statistics

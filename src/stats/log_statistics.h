#pragma once

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
namespace log_statistics {

inline constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kSecondsPerDay = 86400;

// The limit the window starts with, until the operator keeps another.
inline constexpr double kDefaultLimit = 0.150;

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
    std::int64_t measurements = 0;
    std::int64_t atOrAboveLimit = 0;
    std::int64_t first = kNoTime; // the earliest and latest log with a time
    std::int64_t last = kNoTime;
    std::vector<ValuePoint> points; // in time order
};

struct Figures {
    double limit = kDefaultLimit;
    std::int64_t rows = 0;
    std::int64_t measurements = 0;
    std::int64_t atOrAboveLimit = 0;
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

// The figures of every record, with values at or above `limit` counted apart.
Figures compute(const LogGridTexts& texts, const LogGridRecords& records, double limit);

// A time as the grid shows a date and a time, in the window's language.
QString timeText(std::int64_t time, bool english);

// The line above the charts: the time range, the numbers of logs and of
// measurements, and how many are at or above the limit.
QString summary(const Figures& figures, bool english);

// The per-unit table: headings and one row of texts per unit.
QStringList tableHeadings(bool english);
QList<QStringList> tableRows(const Figures& figures, bool english);

} // namespace log_statistics

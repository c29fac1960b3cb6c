#include "stats/log_statistics.h"

#include "base/texts/stats.h"
#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace log_statistics {

namespace {

// The Julian day number of packed day part 0 (day part 1 is 1 January 2000).
constexpr std::int64_t kPackedDayZero = 2451545 - 1;

// Per content: its place among the content texts, its measured value and the
// value's unit code.
struct ContentFacts {
    std::vector<std::uint32_t> group; // index into `texts`
    std::vector<double> value;        // NaN: no measured value
    std::vector<std::uint32_t> code;  // index into `codes`
    QStringList texts;
    QStringList codes;
};

ContentFacts contentFacts(const LogGridTexts& texts)
{
    ContentFacts facts;
    QHash<QString, std::uint32_t> index, codeIndex;
    const qsizetype n = texts.contents.size();
    facts.group.reserve(std::size_t(n));
    facts.value.reserve(std::size_t(n));
    facts.code.reserve(std::size_t(n));
    const auto place = [](QHash<QString, std::uint32_t>& places, QStringList& list,
                          const QString& text) {
        auto at = places.constFind(text);
        if (at == places.constEnd()) {
            at = places.insert(text, std::uint32_t(list.size()));
            list.append(text);
        }
        return *at;
    };
    for (qsizetype c = 0; c < n; ++c) {
        facts.group.push_back(place(
            index, facts.texts,
            (c < texts.contentTexts.size() ? texts.contentTexts[c] : texts.contents[c]).trimmed()));
        facts.value.push_back(std::size_t(c) < texts.measured.size()
                                  ? texts.measured[std::size_t(c)]
                                  : std::numeric_limits<double>::quiet_NaN());
        facts.code.push_back(place(codeIndex, facts.codes, texts.taniCodes.value(c)));
    }
    return facts;
}

// The time of each date-time of the side table; kNoTime where it is no real one.
std::vector<std::int64_t> sideTimes(const LogGridTexts& texts)
{
    std::vector<std::int64_t> times;
    times.reserve(texts.oddWhens.size());
    for (const log_grid_when::DateTime& dt : texts.oddWhens) {
        const QDate date(int(dt.date / 10000), int(dt.date / 100 % 100), int(dt.date % 100));
        const std::uint32_t h = dt.time / 10000, m = dt.time / 100 % 100, s = dt.time % 100;
        const bool real = date.isValid() && date.toJulianDay() >= 0 && h < 24 && m < 60 && s < 60;
        times.push_back(real ? date.toJulianDay() * kSecondsPerDay + h * 3600 + m * 60 + s
                             : kNoTime);
    }
    return times;
}

inline std::int64_t timeOf(std::uint32_t when, const std::vector<std::int64_t>& side)
{
    if (when == log_grid_when::kNoDate)
        return kNoTime;
    if (log_grid_when::isSide(when))
        return side[log_grid_when::sideIndex(when)];
    return (kPackedDayZero + log_grid_when::dayOf(when)) * kSecondsPerDay +
           log_grid_when::secondOf(when);
}

std::int64_t nextBarStart(std::int64_t start, BarWidth width)
{
    switch (width) {
    case BarWidth::Day:
        return start + 1;
    case BarWidth::Week:
        return start + 7;
    case BarWidth::Month:
        return QDate::fromJulianDay(start).addMonths(1).toJulianDay();
    case BarWidth::Year:
        return QDate::fromJulianDay(start).addYears(1).toJulianDay();
    }
    return start + 1;
}

// The lowest and highest measurement of a unit in one time slot.
struct Slot {
    double low = 0, high = 0;
    std::int64_t lowTime = kNoTime, highTime = kNoTime;
};

struct UnitSums {
    std::int64_t logs = 0, measurements = 0, atOrAbove = 0, otherCodes = 0;
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = kNoTime;
};

// What the first pass finds: the time range of all rows, and per unit code
// the number of values and the time range of those with a time.
struct FirstPass {
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
    std::int64_t first = kNever, last = kNoTime;
    std::vector<std::int64_t> codeCount, codeFirst, codeLast;
};

FirstPass firstPass(const LogGridRecords& records, const ContentFacts& facts,
                    const std::vector<std::int64_t>& side)
{
    FirstPass p;
    const std::size_t codes = std::size_t(facts.codes.size());
    p.codeCount.assign(codes, 0);
    p.codeFirst.assign(codes, FirstPass::kNever);
    p.codeLast.assign(codes, kNoTime);
    const std::size_t n = records.size();
    for (std::size_t i = 0; i < n; ++i) {
        const LogGridRecord& r = records[i];
        const std::int64_t t = timeOf(r.when, side);
        const bool measured = !std::isnan(facts.value[r.content]);
        const std::uint32_t code = facts.code[r.content];
        p.codeCount[code] += measured;
        if (t == kNoTime)
            continue;
        p.first = std::min(p.first, t);
        p.last = std::max(p.last, t);
        if (measured) {
            p.codeFirst[code] = std::min(p.codeFirst[code], t);
            p.codeLast[code] = std::max(p.codeLast[code], t);
        }
    }
    return p;
}

// The code whose values are shown, with the time range of its values.
struct ShownCode {
    std::uint32_t code = 0;
    std::int64_t firstValue = FirstPass::kNever;
    std::int64_t lastValue = kNoTime;
};

// The values shown are those of the most frequent code; sets the figures'
// codes, code and limit.
ShownCode chooseCode(Figures& f, const ContentFacts& facts, const FirstPass& pass,
                     const stat_limit::Limits& limits)
{
    const std::size_t codes = std::size_t(facts.codes.size());
    const std::vector<std::int64_t>& codeCount = pass.codeCount;
    std::vector<std::uint32_t> byCount;
    for (std::uint32_t c = 0; c < codes; ++c)
        if (codeCount[c] > 0)
            byCount.push_back(c);
    std::sort(byCount.begin(), byCount.end(), [&](std::uint32_t a, std::uint32_t b) {
        return codeCount[a] != codeCount[b] ? codeCount[a] > codeCount[b]
                                            : facts.codes[a] < facts.codes[b];
    });
    for (const std::uint32_t c : byCount)
        f.codes.push_back({facts.codes[qsizetype(c)], codeCount[c]});
    ShownCode shown;
    shown.code = byCount.empty() ? std::uint32_t(codes) : byCount.front();
    if (!byCount.empty()) {
        f.code = facts.codes[qsizetype(shown.code)];
        shown.firstValue = pass.codeFirst[shown.code];
        shown.lastValue = pass.codeLast[shown.code];
    }
    f.limit = limits.of(f.code);
    return shown;
}

// The bars of the log chart over the rows' time range, and per day from the
// first the bar that holds it.
struct Bars {
    std::int64_t firstDay = 0;
    std::vector<std::uint32_t> barOf;
};

Bars makeBars(Figures& f, const FirstPass& pass)
{
    Bars bars;
    if (pass.last == kNoTime)
        return bars;
    f.firstTime = pass.first;
    f.lastTime = pass.last;
    bars.firstDay = pass.first / kSecondsPerDay;
    const std::int64_t lastDay = pass.last / kSecondsPerDay;
    f.width = barWidthFor(bars.firstDay, lastDay);
    bars.barOf.resize(std::size_t(lastDay - bars.firstDay + 1));
    for (std::int64_t start = barStart(bars.firstDay, f.width); start <= lastDay;) {
        const std::int64_t next = nextBarStart(start, f.width);
        for (std::int64_t d = std::max(start, bars.firstDay); d < next && d <= lastDay; ++d)
            bars.barOf[std::size_t(d - bars.firstDay)] = std::uint32_t(f.barStarts.size());
        f.barStarts.push_back(start);
        start = next;
    }
    return bars;
}

// What the second pass counts: logs per bar and content text, per unit its
// sums, and per unit and value slot the lowest and highest value.
struct SecondPass {
    std::size_t groups = 0;
    std::vector<std::int64_t> counts; // counts[bar * groups + group]
    std::int64_t slotCount = 1;
    std::vector<Slot> cells; // cells[unit * slotCount + slot]
    std::vector<UnitSums> sums;
};

SecondPass secondPass(const LogGridRecords& records, const ContentFacts& facts,
                      const std::vector<std::int64_t>& side, const Figures& f, const Bars& bars,
                      const ShownCode& shown, std::size_t units)
{
    SecondPass p;
    p.groups = std::size_t(facts.texts.size());
    p.counts.resize(f.barStarts.size() * p.groups);
    p.slotCount = std::clamp<std::int64_t>(
        kValuePoints / std::int64_t(std::max<std::size_t>(units, 1)), 1, kValueSlots);
    const std::int64_t firstValue = shown.firstValue;
    const std::int64_t slotSeconds =
        shown.lastValue == kNoTime
            ? 1
            : std::max<std::int64_t>(1, (shown.lastValue - firstValue) / p.slotCount + 1);
    p.cells.resize(shown.lastValue == kNoTime ? 0 : units * std::size_t(p.slotCount));
    p.sums.resize(units);
    const std::size_t n = records.size();
    const double limit = f.limit;
    for (std::size_t i = 0; i < n; ++i) {
        const LogGridRecord& r = records[i];
        const std::int64_t t = timeOf(r.when, side);
        UnitSums& u = p.sums[r.unit];
        ++u.logs;
        if (t != kNoTime) {
            u.first = std::min(u.first, t);
            u.last = std::max(u.last, t);
            ++p.counts[bars.barOf[std::size_t(t / kSecondsPerDay - bars.firstDay)] * p.groups +
                       facts.group[r.content]];
        }
        const double v = facts.value[r.content];
        if (std::isnan(v))
            continue;
        if (facts.code[r.content] != shown.code) {
            ++u.otherCodes;
            continue;
        }
        ++u.measurements;
        u.atOrAbove += v >= limit;
        if (t == kNoTime)
            continue;
        // Ties go to the earlier time, so the points do not depend on the rows' order.
        Slot& s = p.cells[std::size_t(r.unit) * std::size_t(p.slotCount) +
                          std::size_t((t - firstValue) / slotSeconds)];
        if (s.lowTime == kNoTime || v < s.low || (v == s.low && t < s.lowTime)) {
            s.low = v;
            s.lowTime = t;
        }
        if (s.highTime == kNoTime || v > s.high || (v == s.high && t < s.highTime)) {
            s.high = v;
            s.highTime = t;
        }
    }
    return p;
}

// Content texts by number of logs; the counts follow their columns.
void contentColumns(Figures& f, const ContentFacts& facts, const SecondPass& pass)
{
    const std::size_t groups = pass.groups;
    const std::vector<std::int64_t>& counts = pass.counts;
    std::vector<std::int64_t> totals(groups);
    for (std::size_t b = 0; b < f.barStarts.size(); ++b)
        for (std::size_t g = 0; g < groups; ++g)
            totals[g] += counts[b * groups + g];
    std::vector<std::size_t> order(groups);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return totals[a] != totals[b] ? totals[a] > totals[b]
                                      : facts.texts[qsizetype(a)] < facts.texts[qsizetype(b)];
    });
    // Texts of undated rows only have no bar and are left out.
    while (!order.empty() && totals[order.back()] == 0)
        order.pop_back();
    f.counts.reserve(f.barStarts.size() * order.size());
    for (const std::size_t g : order)
        f.contents.append(facts.texts[qsizetype(g)]);
    for (std::size_t b = 0; b < f.barStarts.size(); ++b)
        for (const std::size_t g : order)
            f.counts.push_back(counts[b * groups + g]);
}

// The per-unit rows with their value points, and the totals over them;
// sorted by unit text, then name.
void unitRows(Figures& f, const LogGridTexts& texts, const SecondPass& pass)
{
    const std::size_t units = pass.sums.size();
    const std::int64_t slotCount = pass.slotCount;
    f.units.reserve(units);
    for (std::size_t k = 0; k < units; ++k) {
        const UnitSums& s = pass.sums[k];
        UnitFigures u;
        u.unit = texts.units[qsizetype(k)];
        u.name = qsizetype(k) < texts.names.size() ? texts.names[qsizetype(k)] : QString();
        u.logs = s.logs;
        u.measurements = s.measurements;
        u.atOrAboveLimit = s.atOrAbove;
        u.otherCodes = s.otherCodes;
        if (s.last != kNoTime) {
            u.first = s.first;
            u.last = s.last;
        }
        for (std::int64_t j = 0; j < std::int64_t(pass.cells.empty() ? 0 : slotCount); ++j) {
            const Slot& c = pass.cells[k * std::size_t(slotCount) + std::size_t(j)];
            if (c.lowTime == kNoTime)
                continue;
            const ValuePoint low{c.lowTime, c.low}, high{c.highTime, c.high};
            if (low == high) {
                u.points.push_back(low);
            } else {
                u.points.push_back(low.time <= high.time ? low : high);
                u.points.push_back(low.time <= high.time ? high : low);
            }
        }
        f.measurements += u.measurements;
        f.atOrAboveLimit += u.atOrAboveLimit;
        f.otherCodes += u.otherCodes;
        f.units.push_back(std::move(u));
    }
    std::stable_sort(f.units.begin(), f.units.end(),
                     [](const UnitFigures& a, const UnitFigures& b) {
                         return a.unit != b.unit ? a.unit < b.unit : a.name < b.name;
                     });
}

} // namespace

BarWidth barWidthFor(std::int64_t firstDay, std::int64_t lastDay)
{
    for (const BarWidth width : {BarWidth::Day, BarWidth::Week, BarWidth::Month}) {
        int bars = 0;
        for (std::int64_t d = barStart(firstDay, width); d <= lastDay && bars <= kMaxBars;
             d = nextBarStart(d, width))
            ++bars;
        if (bars <= kMaxBars)
            return width;
    }
    return BarWidth::Year;
}

std::int64_t barStart(std::int64_t day, BarWidth width)
{
    switch (width) {
    case BarWidth::Day:
        return day;
    case BarWidth::Week:
        return day - day % 7; // Julian day 0 was a Monday
    case BarWidth::Month: {
        const QDate d = QDate::fromJulianDay(day);
        return QDate(d.year(), d.month(), 1).toJulianDay();
    }
    case BarWidth::Year:
        return QDate(QDate::fromJulianDay(day).year(), 1, 1).toJulianDay();
    }
    return day;
}

Figures compute(const LogGridTexts& texts, const LogGridRecords& records,
                const stat_limit::Limits& limits)
{
    Figures f;
    f.rows = std::int64_t(records.size());
    const ContentFacts facts = contentFacts(texts);
    const std::vector<std::int64_t> side = sideTimes(texts);
    const FirstPass first = firstPass(records, facts, side);
    const ShownCode shown = chooseCode(f, facts, first, limits);
    const Bars bars = makeBars(f, first);
    const SecondPass second =
        secondPass(records, facts, side, f, bars, shown, std::size_t(texts.units.size()));
    contentColumns(f, facts, second);
    unitRows(f, texts, second);
    return f;
}

} // namespace log_statistics

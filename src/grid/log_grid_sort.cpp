#include "grid/log_grid_sort.h"

#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"

#include <algorithm>
#include <numeric>

namespace log_grid_sort {

namespace {

// Gives each distinct 64-bit value of a column a dense id, in order of first
// appearance. Small values (table indexes, days, seconds of the day) are
// looked up directly, others hashed.
class DistinctValues {
public:
    DistinctValues() : slots_(1024, 0) {}

    std::uint32_t id(std::uint64_t value)
    {
        if (value < kDirect) {
            if (direct_.empty())
                direct_.assign(kDirect, 0);
            std::uint32_t& slot = direct_[value];
            if (slot == 0) {
                values_.push_back(value);
                slot = static_cast<std::uint32_t>(values_.size());
            }
            return slot - 1;
        }
        std::size_t mask = slots_.size() - 1;
        std::size_t i = mix(value) & mask;
        for (; slots_[i] != 0; i = (i + 1) & mask) {
            if (values_[slots_[i] - 1] == value)
                return slots_[i] - 1;
        }
        const auto newId = static_cast<std::uint32_t>(values_.size());
        values_.push_back(value);
        slots_[i] = newId + 1;
        if (values_.size() * 2 > slots_.size())
            grow();
        return newId;
    }

    const std::vector<std::uint64_t>& values() const { return values_; }

private:
    static std::uint64_t mix(std::uint64_t v)
    {
        v ^= v >> 33;
        v *= 0xff51afd7ed558ccdULL;
        v ^= v >> 33;
        return v;
    }

    void grow()
    {
        slots_.assign(slots_.size() * 2, 0);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint32_t k = 0; k < values_.size(); ++k) {
            std::size_t i = mix(values_[k]) & mask;
            while (slots_[i] != 0)
                i = (i + 1) & mask;
            slots_[i] = k + 1;
        }
    }

    static constexpr std::uint64_t kDirect = std::uint64_t(1) << 18;

    std::vector<std::uint32_t> direct_; // value -> id + 1; 0 = not seen
    std::vector<std::uint32_t> slots_;  // hashed: id + 1; 0 = free
    std::vector<std::uint64_t> values_;
};

// Ranks the records by their column value: ids of the distinct values first,
// then the distinct values sorted by `less`, equal ones sharing a rank.
template <class ValueFn, class PrepareFn>
Keys rankBy(const LogGridRecords& records, ValueFn valueOf, PrepareFn prepare)
{
    Keys keys;
    keys.rank.resize(records.size());
    DistinctValues distinct;
    for (std::size_t r = 0; r < records.size(); ++r)
        keys.rank[r] = distinct.id(valueOf(records[r]));

    // compare(a, b) on distinct ids, three-way.
    const auto compare = prepare(distinct.values());
    std::vector<std::uint32_t> sorted(distinct.values().size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(),
              [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
    std::vector<std::uint32_t> rankOfId(sorted.size());
    std::uint32_t rank = 0;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        if (k > 0 && compare(sorted[k - 1], sorted[k]) != 0)
            ++rank;
        rankOfId[sorted[k]] = rank;
    }
    keys.count = sorted.empty() ? 0 : rank + 1;
    for (std::uint32_t& r : keys.rank)
        r = rankOfId[r];
    return keys;
}

// Distinct values compared by a number made once from each.
template <class NumberFn> auto asNumbers(NumberFn numberOf)
{
    return [numberOf](const std::vector<std::uint64_t>& values) {
        std::vector<std::uint64_t> numbers;
        numbers.reserve(values.size());
        for (const std::uint64_t v : values)
            numbers.push_back(numberOf(v));
        return [numbers = std::move(numbers)](std::uint32_t a, std::uint32_t b) {
            return numbers[a] < numbers[b] ? -1 : (numbers[a] > numbers[b] ? 1 : 0);
        };
    };
}

// Distinct values compared by a key made once from each one's cell text.
template <class TextFn, class KeyFn, class CompareFn>
auto asTexts(TextFn textOf, KeyFn keyOf, CompareFn compareKeys)
{
    return [textOf, keyOf, compareKeys](const std::vector<std::uint64_t>& values) {
        using Key = decltype(keyOf(QString()));
        std::vector<Key> shown;
        shown.reserve(values.size());
        for (const std::uint64_t v : values)
            shown.push_back(keyOf(textOf(v)));
        return [shown = std::move(shown), compareKeys](std::uint32_t a, std::uint32_t b) {
            return compareKeys(shown[a], shown[b]);
        };
    };
}

template <class TextFn> auto asCaseBlindTexts(TextFn textOf)
{
    return asTexts(
        textOf, [](QString t) { return t; },
        [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive);
        });
}

// The date and time columns are ranked on keys taken from the packed code:
// its day part or its second of the day plus one (0 = no date), or a side
// table entry flagged above 32 bits. Each distinct key becomes yyyymmdd or
// hhmmss + 1 once: date and time texts are fixed-width, so their text order
// is that numeric order, and no date (empty text) comes first.
constexpr std::uint64_t kSideKey = std::uint64_t(1) << 32;

std::uint64_t dayKey(const LogGridRecord& r)
{
    using namespace log_grid_when;
    if (r.when == kNoDate)
        return 0;
    return isSide(r.when) ? kSideKey | sideIndex(r.when) : dayOf(r.when);
}

std::uint64_t timeKey(const LogGridRecord& r)
{
    using namespace log_grid_when;
    if (r.when == kNoDate)
        return 0;
    return isSide(r.when) ? kSideKey | sideIndex(r.when) : std::uint64_t(secondOf(r.when)) + 1;
}

auto dateNumber(const LogGridTexts& texts)
{
    return [&texts](std::uint64_t key) -> std::uint64_t {
        if (key == 0)
            return 0;
        if (key & kSideKey) {
            // Year 0 shows an empty date cell, as no date does.
            const std::uint32_t date =
                texts.oddWhens[static_cast<std::size_t>(key & ~kSideKey)].date;
            return date < 10000 ? 0 : date;
        }
        return log_grid_when::dateOfDay(static_cast<std::uint32_t>(key));
    };
}

auto timeNumber(const LogGridTexts& texts)
{
    return [&texts](std::uint64_t key) -> std::uint64_t {
        if (key == 0)
            return 0;
        if (key & kSideKey)
            return std::uint64_t(texts.oddWhens[static_cast<std::size_t>(key & ~kSideKey)].time) +
                   1;
        const auto s = static_cast<std::uint32_t>(key - 1);
        return std::uint64_t(s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60) + 1;
    };
}

QString timeText(std::uint64_t number, bool english)
{
    if (number == 0)
        return {};
    const auto t = static_cast<int>(number - 1);
    return log_row_format::timeCell(t / 10000, t / 100 % 100, t % 100, english);
}

// A text prepared once for many comparisons under the grid's generic
// comparison: texts that read as numbers compare as numbers and come before
// all other texts, which compare as text.
struct GenericKey {
    bool isNumber = false;
    double number = 0.0;
    QString text;
};

GenericKey genericKey(const QString& text)
{
    GenericKey key;
    key.number = text.toDouble(&key.isNumber);
    key.text = text;
    return key;
}

int genericCompare(const GenericKey& a, const GenericKey& b)
{
    if (a.isNumber && b.isNumber)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.isNumber != b.isNumber)
        return a.isNumber ? -1 : 1;
    return QString::compare(a.text, b.text, Qt::CaseSensitive);
}

} // namespace

Keys textKeys(const LogGridTexts& texts, const LogGridRecords& records, int col, const Switches&)
{
    const auto tableText = [](const QStringList& table) {
        return [&table](std::uint64_t v) { return table[static_cast<qsizetype>(v)]; };
    };
    switch (col) {
    case 0:
        return rankBy(
            records, [](const LogGridRecord& r) { return r.unit; },
            asCaseBlindTexts(tableText(texts.units)));
    case 1:
        return rankBy(
            records, [](const LogGridRecord& r) { return r.unit; },
            asCaseBlindTexts(tableText(texts.names)));
    case 2:
        return rankBy(
            records, [](const LogGridRecord& r) { return r.dataNo; },
            asCaseBlindTexts([&texts](std::uint64_t v) {
                return log_data_no::text(static_cast<std::uint32_t>(v), texts);
            }));
    case 3:
        return rankBy(records, dayKey, asNumbers(dateNumber(texts)));
    case 4:
        return rankBy(records, timeKey, asNumbers(timeNumber(texts)));
    case 5:
        return rankBy(
            records, [](const LogGridRecord& r) { return r.content; },
            asCaseBlindTexts(tableText(texts.contents)));
    default: {
        // Column 6 is empty in every row.
        Keys keys;
        keys.rank.assign(records.size(), 0);
        keys.count = records.empty() ? 0 : 1;
        return keys;
    }
    }
}

Keys genericTimeKeys(const LogGridTexts& texts, const LogGridRecords& records, const Switches& sw)
{
    const bool en = sw.english();
    const auto numberOf = timeNumber(texts);
    return rankBy(
        records, timeKey,
        asTexts([en, numberOf](std::uint64_t key) { return timeText(numberOf(key), en); },
                genericKey,
                [](const GenericKey& a, const GenericKey& b) { return genericCompare(a, b); }));
}

void stableSort(std::vector<std::uint32_t>& order, const Keys& keys, bool descending)
{
    if (keys.count <= 1)
        return;
    const auto bucket = [&](std::uint32_t record) {
        const std::uint32_t k = keys.rank[record];
        return descending ? keys.count - 1 - k : k;
    };
    std::vector<std::uint32_t> start(std::size_t(keys.count) + 1, 0);
    for (const std::uint32_t record : order)
        ++start[bucket(record) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::uint32_t> sorted(order.size());
    for (const std::uint32_t record : order)
        sorted[start[bucket(record)]++] = record;
    order.swap(sorted);
}

} // namespace log_grid_sort

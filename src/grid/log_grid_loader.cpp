#include "grid/log_grid_loader.h"

#include "db/row_stream.h"
#include "grid/log_row_format.h"
#include "grid/log_row_keys.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

using namespace log_row_keys;

QString fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString cellText(std::string_view bytes)
{
    // Printable ASCII, the usual case, needs neither decoding nor blanks.
    for (const char c : bytes) {
        if (c < 0x20 || c > 0x7e)
            return log_row_format::cellSafe(fromUtf8(bytes));
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

constexpr int kUnitSlotBits = 8, kContentSlotBits = 14, kDaySlotBits = 10;

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// True for the usual form of an alcohol text: digits, no leading zero but a
// lone one, then maybe a point and more digits ("0.150", "12").
bool plainDecimal(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    if (i == 0 || (i > 1 && s[0] == '0'))
        return false;
    if (i == s.size())
        return true;
    if (s[i] != '.' || ++i == s.size())
        return false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    return i == s.size();
}

// The number an alcohol text stands for ("0.150"), NaN when it is none.
double measuredValue(std::string_view alcohol)
{
    double value = 0;
    if (plainDecimal(alcohol) &&
        std::from_chars(alcohol.data(), alcohol.data() + alcohol.size(), value).ec == std::errc())
        return value;
    bool ok = false;
    value = QLocale::c().toDouble(fromUtf8(alcohol).trimmed(), &ok);
    return ok && std::isfinite(value) ? value : kNoValue;
}

// The second of the day of a time "HH:MM:SS" that is a real one.
std::optional<std::uint32_t> secondOfDay(const char* p)
{
    const auto digit = [p](int i) { return std::uint32_t(static_cast<unsigned char>(p[i]) - '0'); };
    const std::uint32_t h1 = digit(0), h2 = digit(1), m1 = digit(3), m2 = digit(4), s1 = digit(6),
                        s2 = digit(7);
    if (h1 > 9 || h2 > 9 || m1 > 9 || m2 > 9 || s1 > 9 || s2 > 9 || p[2] != ':' || p[5] != ':')
        return std::nullopt;
    const std::uint32_t hour = h1 * 10 + h2, minute = m1 * 10 + m2, second = s1 * 10 + s2;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

// The length of "YYYY-MM-DD " in a stored date and time (parseStored's form).
constexpr std::size_t kDayLength = 11;
constexpr std::size_t kStoredLength = 19;

} // namespace

// Where the fields of a row are.
struct LogGridLoader::Columns {
    int user, unit, name, dataNo, date, alcohol, tani, naiyou, naiyou2, logNo, archived;
};

LogGridLoader::LogGridLoader(const Switches& sw)
    : sw_(sw), unitSlots_(std::size_t(1) << kUnitSlotBits),
      contentSlots_(std::size_t(1) << kContentSlotBits), daySlots_(std::size_t(1) << kDaySlotBits)
{
}

bool LogGridLoader::load(RowStream& rows, LogGridModel& model, const KeepGoing& keepGoing)
{
    model.setSwitches(sw_);
    model.startFill();
    LogGridRecords& records = model.fillRecords();
    // Showing rows costs the grid work over all rows shown: after the first
    // time, the rows are shown again only once they have doubled.
    std::size_t nextShown = 0;
    const std::function<void()> show = [&] {
        if (records.size() >= nextShown) {
            model.showFilled(texts());
            nextShown = records.size() * 2;
        }
    };
    const Columns at{rows.column("User"),    rows.column("Unit_SN"), rows.column("Name"),
                     rows.column("Data_No"), rows.column("Date"),    rows.column("Alcohol"),
                     rows.column("Tani"),    rows.column("Naiyou"),  rows.column("Naiyou2"),
                     rows.column("Log_No"),  rows.column("Archived")};
    archived_ = 0;
    int untilCheck = kRowsPerCheck;
    while (rows.next()) {
        LogGridRecord r;
        r.unit = unitIndex(rows, at);
        const std::string_view dataNo = rows.text(at.dataNo);
        r.dataNo = log_data_no::pack(dataNo.data(), dataNo.size());
        if (r.dataNo == log_data_no::kIndexFlag)
            r.dataNo |= dataNos_.intern(dataNo, cellText);
        r.when = whenCode(rows.text(at.date));
        r.content = contentIndex(rows, at);
        records.push_back(r);
        if (at.archived >= 0 && rows.integer(at.archived) == 1)
            ++archived_;
        if (--untilCheck == 0) {
            untilCheck = kRowsPerCheck;
            if (keepGoing && !keepGoing(static_cast<int>(records.size()), show))
                return false;
        }
    }
    model.showFilled(texts());
    return true;
}

std::uint32_t LogGridLoader::unitIndex(const RowStream& rows, const Columns& at)
{
    const std::string_view user = rows.text(at.user), unitSN = rows.text(at.unit),
                           name = rows.text(at.name);
    std::uint32_t& slot = unitSlots_[slotOf(fold(unitSN), kUnitSlotBits)];
    if (slot != 0) {
        KeyMatch key(units_.bytes(slot - 1));
        if (key.field(user) && key.field(unitSN) && key.last(name))
            return slot - 1;
    }
    key_.clear();
    appendField(key_, user);
    appendField(key_, unitSN);
    key_.append(name);
    const std::uint32_t index = units_.intern(key_, [&](std::string_view) {
        names_.append(cellText(name));
        return cellText(user) + sw_.SN_Head + cellText(unitSN);
    });
    slot = index + 1;
    return index;
}

// The content cell and the row colour follow from the log number, the shown
// content text and, for a measurement, the measured value.
std::uint32_t LogGridLoader::contentIndex(const RowStream& rows, const Columns& at)
{
    // Read as a number: no text is made for it.
    const RowSource::Integer logNoField = rows.integerField(at.logNo);
    const bool hasLogNo = !logNoField.null;
    const int logNoValue = static_cast<int>(logNoField.value);
    const std::int32_t logNo = hasLogNo ? logNoValue : kNoLogNo;
    const bool en = sw_.english();
    // The shown text: Naiyou2 in English; in Japanese Naiyou, or Naiyou2 when it is empty.
    std::string_view shown = rows.text(en ? at.naiyou2 : at.naiyou);
    if (!en && shown.empty())
        shown = rows.text(at.naiyou2);
    const bool measured = log_row_format::showsMeasuredValue(hasLogNo, logNoValue, sw_);
    const std::string_view alcohol = measured ? rows.text(at.alcohol) : std::string_view(),
                           tani = measured ? rows.text(at.tani) : std::string_view();
    std::uint32_t& slot = contentSlots_[slotOf(
        (fold(alcohol) * 31 + fold(tani)) * 31 + std::uint32_t(logNo), kContentSlotBits)];
    if (slot != 0 && contentIs(slot - 1, logNo, shown, measured, alcohol, tani))
        return slot - 1;
    const std::uint32_t index = internContent(logNo, shown, measured, alcohol, tani);
    slot = index + 1;
    return index;
}

// Whether content `index` is the one of these fields (see internContent).
bool LogGridLoader::contentIs(std::uint32_t index, std::int32_t logNo, std::string_view shown,
                              bool measured, std::string_view alcohol, std::string_view tani) const
{
    KeyMatch key(contents_.bytes(index));
    if (!key.value(logNo) || !key.field(shown))
        return false;
    return measured ? key.field(alcohol) && key.last(tani) : key.last({});
}

std::uint32_t LogGridLoader::internContent(std::int32_t logNo, std::string_view shown,
                                           bool measured, std::string_view alcohol,
                                           std::string_view tani)
{
    key_.clear();
    appendValue(key_, logNo);
    appendField(key_, shown);
    if (measured) {
        appendField(key_, alcohol);
        key_.append(tani);
    }
    return contents_.intern(key_, [&](std::string_view) {
        const bool en = sw_.english();
        const QString& prefix = prefixes_.texts()[prefixes_.intern(shown, [&](std::string_view) {
            return log_row_format::contentPrefix(fromUtf8(shown), en);
        })];
        logNos_.push_back(logNo);
        contentTexts_.append(prefix);
        measured_.push_back(measured ? measuredValue(alcohol) : kNoValue);
        taniCodes_.append(measured ? taniTexts_.texts()[taniTexts_.intern(tani, cellText)]
                                   : QString());
        return measured ? prefix + cellText(std::string(alcohol).append(tani)) : prefix;
    });
}

// The slot of the day of a stored date and time, by "YY-MM-DD".
std::size_t LogGridLoader::daySlot(std::string_view stored)
{
    std::uint64_t word = 0;
    std::memcpy(&word, stored.data() + 2, sizeof word);
    return slotOf(word, kDaySlotBits);
}

std::uint32_t LogGridLoader::whenCode(std::string_view stored)
{
    // A date of a day seen before: only its time is read.
    if (stored.size() == kStoredLength) {
        const DaySlot& slot = daySlots_[daySlot(stored)];
        if (slot.code != 0 && sameBytes(slot.text.data(), stored.data(), kDayLength)) {
            if (const std::optional<std::uint32_t> second = secondOfDay(stored.data() + kDayLength))
                return log_grid_when::packed(slot.code, *second);
        }
    }
    return fullWhenCode(stored);
}

std::uint32_t LogGridLoader::fullWhenCode(std::string_view stored)
{
    using namespace log_grid_when;
    const std::optional<DateTime> dt = parseStored(stored);
    if (!dt)
        return kNoDate;
    if (const std::optional<std::uint32_t> day = packDay(dt->date)) {
        DaySlot& slot = daySlots_[daySlot(stored)];
        std::memcpy(slot.text.data(), stored.data(), kDayLength);
        slot.code = *day;
        if (const std::optional<std::uint32_t> second = packTime(dt->time))
            return packed(*day, *second);
    }
    const std::uint64_t value = (std::uint64_t(dt->date) << 32) | dt->time;
    const auto [at, added] =
        oddIndex_.try_emplace(value, static_cast<std::uint32_t>(oddWhens_.size()));
    if (added) {
        if (oddWhens_.size() >= kMaxSide)
            throw std::length_error("too many distinct dates");
        oddWhens_.push_back(*dt);
    }
    return sideCode(at->second);
}

LogGridTexts LogGridLoader::texts() const
{
    LogGridTexts texts;
    texts.units = units_.texts();
    texts.names = names_;
    texts.dataNos = dataNos_.texts();
    texts.contents = contents_.texts();
    texts.logNos = logNos_;
    texts.contentTexts = contentTexts_;
    texts.measured = measured_;
    texts.taniCodes = taniCodes_;
    texts.oddWhens = oddWhens_;
    return texts;
}

#include "grid/log_grid_when.h"

namespace log_grid_when {

namespace {

constexpr std::uint32_t kSecondBits = 17;
constexpr std::uint32_t kSecondsPerDay = 86400;
// Second values from 86400 to 2^17 - 1 carry side-table indexes.
constexpr std::uint32_t kSidePerDay = (1u << kSecondBits) - kSecondsPerDay;
constexpr std::uint32_t kLastDay = (1u << (32 - kSecondBits)) - 1;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
constexpr std::int64_t daysFromCivil(std::int64_t y, std::uint32_t m, std::uint32_t d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<std::uint32_t>(y - era * 400);
    const std::uint32_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::uint32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

// yyyymmdd of a number of days since 1970-01-01.
constexpr std::uint32_t civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<std::uint32_t>(z - era * 146097);
    const std::uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::uint32_t mp = (5 * doy + 2) / 153;
    const std::uint32_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::uint32_t m = mp < 10 ? mp + 3 : mp - 9;
    const auto y = static_cast<std::uint32_t>(std::int64_t(yoe) + era * 400 + (m <= 2));
    return y * 10000 + m * 100 + d;
}

constexpr std::int64_t kFirstDay = daysFromCivil(2000, 1, 1); // day part 1

constexpr std::uint32_t daysInMonth(std::uint32_t y, std::uint32_t m)
{
    constexpr std::uint32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    return m == 2 && leap ? 29 : days[m - 1];
}

std::uint32_t twoDigits(const char* p)
{
    return std::uint32_t(p[0] - '0') * 10 + std::uint32_t(p[1] - '0');
}

bool digitsAt(std::string_view s, std::initializer_list<int> at)
{
    for (const int i : at) {
        const char c = s[std::size_t(i)];
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

std::optional<DateTime> parseStored(std::string_view s)
{
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':' || !digitsAt(s, {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}))
        return std::nullopt;
    const char* p = s.data();
    const DateTime dt{(twoDigits(p) * 100 + twoDigits(p + 2)) * 10000 + twoDigits(p + 5) * 100 +
                          twoDigits(p + 8),
                      twoDigits(p + 11) * 10000 + twoDigits(p + 14) * 100 + twoDigits(p + 17)};
    if (dt.date == 0)
        return std::nullopt;
    return dt;
}

std::optional<std::uint32_t> packDay(std::uint32_t date)
{
    const std::uint32_t y = date / 10000, m = date / 100 % 100, d = date % 100;
    if (y < 2000 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return std::nullopt;
    const std::int64_t day = daysFromCivil(y, m, d) - kFirstDay + 1;
    if (day > kLastDay)
        return std::nullopt;
    return static_cast<std::uint32_t>(day);
}

std::optional<std::uint32_t> packTime(std::uint32_t time)
{
    const std::uint32_t h = time / 10000, m = time / 100 % 100, s = time % 100;
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

std::optional<std::uint32_t> pack(const DateTime& dt)
{
    const std::optional<std::uint32_t> day = packDay(dt.date);
    const std::optional<std::uint32_t> second = packTime(dt.time);
    if (!day || !second)
        return std::nullopt;
    return packed(*day, *second);
}

std::uint32_t sideCode(std::uint32_t index)
{
    return packed(index / kSidePerDay, kSecondsPerDay + index % kSidePerDay);
}

bool isSide(std::uint32_t code)
{
    return secondOf(code) >= kSecondsPerDay;
}

std::uint32_t sideIndex(std::uint32_t code)
{
    return dayOf(code) * kSidePerDay + (secondOf(code) - kSecondsPerDay);
}

std::uint32_t dateOfDay(std::uint32_t day)
{
    return civilFromDays(kFirstDay + std::int64_t(day) - 1);
}

DateTime unpack(std::uint32_t code, const std::vector<DateTime>& side)
{
    if (code == kNoDate)
        return {};
    if (isSide(code))
        return side[sideIndex(code)];
    const std::uint32_t s = secondOf(code);
    return {dateOfDay(dayOf(code)), s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60};
}

} // namespace log_grid_when

#include "log_stream.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace handset {

namespace {

constexpr std::uint8_t kSeparator = 0x0A;

// Two decimal digits in one byte: 42 becomes 0x42.
std::uint8_t digitsByte(int value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

void addField(Bytes& out, std::initializer_list<int> twoDigitValues)
{
    for (const int v : twoDigitValues)
        out.push_back(digitsByte(v));
    out.push_back(kSeparator);
}

bool parseStart(const std::string& text, std::time_t& out)
{
    std::tm tm{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%*1[ T]%d:%d:%d", &year, &month, &day, &hour, &minute,
                    &second) != 6)
        return false;
    if (year < 2000 || year > 2099)
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    out = timegm(&tm);
    return out != static_cast<std::time_t>(-1);
}

// The gap after record k: varied, about two hours on average.
std::time_t gapAfter(int k)
{
    return 60 * (7 + (k * 37) % 240) + (k * 13) % 60;
}

// The time of every record, as wall-clock time counted like UTC (so that no
// daylight-saving step moves a record).
std::vector<std::time_t> recordTimes(const StreamOptions& options, std::time_t start)
{
    const int count = std::max(0, options.records);
    std::vector<std::time_t> stamps(static_cast<std::size_t>(count));
    if (options.today <= 0) {
        for (int k = 0; k < count; ++k) {
            stamps[static_cast<std::size_t>(k)] = start;
            start += gapAfter(k);
        }
        return stamps;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::time_t wallNow = timegm(&local);
    const std::time_t midnight = wallNow - wallNow % 86400;
    const int todayCount = std::min(count, options.today);
    const int earlier = count - todayCount;
    for (int j = 0; j < todayCount; ++j)
        stamps[static_cast<std::size_t>(earlier + j)] =
            midnight + (wallNow - midnight) * (j + 1) / (todayCount + 1);
    std::time_t at = midnight - 60;
    for (int k = earlier - 1; k >= 0; --k) {
        stamps[static_cast<std::size_t>(k)] = at;
        at -= gapAfter(k);
    }
    return stamps;
}

} // namespace

std::optional<Bytes> fromHex(const std::string& text, std::string& error)
{
    Bytes out;
    int high = -1;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            error = std::string("not a hexadecimal digit: ") + c;
            return std::nullopt;
        }
        const int v = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) {
        error = "odd number of hexadecimal digits";
        return std::nullopt;
    }
    return out;
}

std::string toHex(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

Bytes preamble()
{
    // A start byte, an identification text and a checksum-like tail; what a
    // real handset puts here is not read by the program.
    Bytes out{0x02};
    for (const char c : std::string("QVX-HANDSET SIM 2.9 READY"))
        out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0x03);
    out.push_back(0x5A);
    return out; // 28 bytes
}

std::optional<Bytes> generate(const StreamOptions& options, std::string& error)
{
    std::optional<Generator> generator = Generator::make(options, error);
    if (!generator)
        return std::nullopt;
    return generator->stream();
}

std::optional<Generator> Generator::make(const StreamOptions& options, std::string& error)
{
    if (options.unit.empty() || options.unit.size() % 2 != 0) {
        error = "--unit needs an even number of decimal digits";
        return std::nullopt;
    }
    for (const char c : options.unit) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            error = "--unit needs decimal digits";
            return std::nullopt;
        }
    }
    std::time_t at = 0;
    if (options.today <= 0 && !parseStart(options.start, at)) {
        error = "--start needs YYYY-MM-DDTHH:MM:SS with a year from 2000 to 2099";
        return std::nullopt;
    }
    auto header = fromHex(options.headerHex, error);
    if (!header)
        return std::nullopt;
    for (const std::uint8_t b : *header) {
        if (b == kSeparator) {
            error = "--header must not contain 0A";
            return std::nullopt;
        }
    }
    Generator generator(options);
    generator.header_ = std::move(*header);
    generator.stamps_ = recordTimes(options, at);
    generator.next_ = generator.stamps_.empty() ? at : generator.stamps_.back();
    return generator;
}

Bytes Generator::stream()
{
    Bytes out = header_;
    out.push_back(kSeparator);
    const std::string& unit = options_.unit;
    for (std::size_t i = 0; i < unit.size(); i += 2)
        out.push_back(digitsByte((unit[i] - '0') * 10 + (unit[i + 1] - '0')));
    out.push_back(kSeparator);
    for (const std::time_t stamp : stamps_)
        writeRecord(out, stamp);
    return out;
}

Bytes Generator::more(int count)
{
    Bytes out;
    for (int i = 0; i < count; ++i) {
        // Every later record comes after the one before, as the first ones do.
        if (written_ > 0)
            next_ += gapAfter(written_ - 1);
        writeRecord(out, next_);
    }
    return out;
}

// Everyday events cycle through the delivered log master; every n-th record
// is a measurement (08, 09, 10) with a varied value and unit code.
void Generator::writeRecord(Bytes& out, std::time_t stamp)
{
    static constexpr std::array events{1, 21, 41, 55, 2, 3, 11, 17, 30, 6, 12, 50, 4, 13};
    static constexpr std::array measurements{8, 9, 10};
    const int k = written_++;
    const int dataNo = (options_.firstDataNo + k) % 10000;
    addField(out, {dataNo / 100, dataNo % 100});
    std::tm tm{};
    gmtime_r(&stamp, &tm);
    addField(out, {tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday});
    addField(out, {tm.tm_hour, tm.tm_min, tm.tm_sec});
    const bool measured =
        options_.alcoholEvery > 0 && k % options_.alcoholEvery == options_.alcoholEvery - 1;
    if (measured) {
        const int j = measurementIndex_++;
        addField(out, {measurements[static_cast<std::size_t>(j) % measurements.size()]});
        const int value = (j * 37 + 15) % 1000; // 0.015 .. 0.999
        addField(out, {value / 100, value % 100, j % 4 == 3 ? 2 : 1});
    } else {
        addField(out, {events[static_cast<std::size_t>(eventIndex_++) % events.size()]});
    }
}

} // namespace handset

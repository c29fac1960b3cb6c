#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

// The bytes a handset sends after "A": an optional 28-byte preamble, then the
// log stream (header, 0x0A, unit serial number, 0x0A, then records of data
// number, date, time, log number and, after log numbers 08, 09 and 10, an
// alcohol field, every field ended by 0x0A). Every field byte carries two
// decimal digits, so 0x0A never occurs inside a field.
namespace handset {

using Bytes = std::vector<std::uint8_t>;

struct StreamOptions {
    std::string unit = "0080"; // decimal digits, an even count
    int records = 20;
    int alcoholEvery = 3; // every n-th record is a measurement; 0: none
    int firstDataNo = 0;
    std::string start = "2024-04-01 08:00:00";
    std::string headerHex; // bytes before the first 0x0A
    // When set, the last `today` records fall between today's midnight and
    // now (local time) and the others on the days before; `start` is unused.
    int today = 0;
};

// The generated stream; an empty optional with a reason when an option is wrong.
std::optional<Bytes> generate(const StreamOptions& options, std::string& error);

// The generated stream, and records that go on after it for a handset that
// never runs out: their data numbers and times continue where it ended.
class Generator {
public:
    // Empty with a reason when an option is wrong.
    static std::optional<Generator> make(const StreamOptions& options, std::string& error);

    // Header, unit serial number and the options' records.
    Bytes stream();
    // `count` further records.
    Bytes more(int count);

private:
    explicit Generator(const StreamOptions& options) : options_(options) {}
    void writeRecord(Bytes& out, std::time_t stamp);

    StreamOptions options_;
    Bytes header_;
    std::vector<std::time_t> stamps_;
    std::time_t next_ = 0;
    int written_ = 0;
    int eventIndex_ = 0;
    int measurementIndex_ = 0;
};

// Bytes from hexadecimal text; blanks and line ends are ignored.
std::optional<Bytes> fromHex(const std::string& text, std::string& error);

std::string toHex(const Bytes& bytes);

// 28 bytes whose first byte is not 0x0A and that contain no 0x0A.
Bytes preamble();

} // namespace handset

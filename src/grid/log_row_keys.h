#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The byte keys by which the grid loader knows the texts of a row again:
// fields appended with their lengths, read back field by field, and quick
// hashes that pick a slot for a handset, content or day seen before.
namespace log_row_keys {

// A value of type T in the bytes at p.
template <class T> inline T load(const char* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// A quick hash of a text: its length and its first and last bytes.
inline std::uint64_t fold(std::string_view s)
{
    const std::size_t n = s.size();
    const char* p = s.data();
    if (n >= 8)
        return load<std::uint64_t>(p) ^ (load<std::uint64_t>(p + n - 8) * 31) ^ n;
    if (n >= 4)
        return (std::uint64_t(load<std::uint32_t>(p)) << 32 | load<std::uint32_t>(p + n - 4)) ^ n;
    std::uint64_t h = n;
    for (std::size_t i = 0; i < n; ++i)
        h = h * 131 + static_cast<unsigned char>(p[i]);
    return h;
}

// The slot of a hash among 2^bits. The high half is folded in first: a
// quick hash of digit texts differs mostly in a few high bytes, which the
// multiplication alone would leave to few slots.
inline std::size_t slotOf(std::uint64_t h, int bits)
{
    h ^= h >> 32;
    return static_cast<std::size_t>((h * 0x9e3779b97f4a7c15ULL) >> (64 - bits));
}

// Appends a field with its length in front, so neighbouring fields of a
// key cannot run into each other.
template <class T> inline void appendValue(std::string& key, T value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

inline void appendField(std::string& key, std::string_view field)
{
    appendValue(key, static_cast<std::uint32_t>(field.size()));
    key.append(field);
}

// Whether two byte strings of one length are the same: the short texts of a
// row are compared a word at a time (the last word overlapping the one
// before), without a call.
inline bool sameBytes(const char* a, const char* b, std::size_t n)
{
    using W8 = std::uint64_t;
    using W4 = std::uint32_t;
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            if (load<W8>(a + i) != load<W8>(b + i))
                return false;
        }
        return load<W8>(a + n - 8) == load<W8>(b + n - 8);
    }
    if (n >= 4)
        return load<W4>(a) == load<W4>(b) && load<W4>(a + n - 4) == load<W4>(b + n - 4);
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

inline bool same(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

// Reads back a key made by appendValue and appendField, comparing it with
// the fields it should hold, in the order they were appended.
class KeyMatch {
public:
    explicit KeyMatch(std::string_view key) : rest_(key) {}
    template <class T> bool value(T v)
    {
        if (rest_.size() < sizeof v || load<T>(rest_.data()) != v)
            return false;
        rest_.remove_prefix(sizeof v);
        return true;
    }
    bool field(std::string_view f)
    {
        if (!value(static_cast<std::uint32_t>(f.size())) || rest_.size() < f.size() ||
            !sameBytes(rest_.data(), f.data(), f.size()))
            return false;
        rest_.remove_prefix(f.size());
        return true;
    }
    // The last field, appended without its length.
    bool last(std::string_view f) const { return same(rest_, f); }

private:
    std::string_view rest_;
};

} // namespace log_row_keys

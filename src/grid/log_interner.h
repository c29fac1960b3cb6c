#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Maps byte strings to small indexes, so each distinct text is kept once.
// Open addressing on a power-of-two table; meant for the few thousand
// distinct texts of one search, looked up once per row. Neighbouring rows
// often repeat a text, so the last one found is tried first.
class LogInterner {
public:
    LogInterner() : slots_(64, 0) {}

    // The index of bytes; make(bytes) builds the stored QString of a new one.
    template <class Make> std::uint32_t intern(std::string_view bytes, Make&& make)
    {
        if (last_ < entries_.size() && holds(entries_[last_], bytes))
            return last_;
        last_ = find(bytes, make);
        return last_;
    }

    qsizetype size() const { return texts_.size(); }
    // The bytes of entry `index`.
    std::string_view bytes(std::uint32_t index) const
    {
        const Entry& e = entries_[index];
        return std::string_view(pool_).substr(e.offset, e.length);
    }
    // The stored texts, by index.
    const QStringList& texts() const { return texts_; }

private:
    struct Entry {
        std::uint64_t hash;
        std::size_t offset;
        std::size_t length;
    };

    bool holds(const Entry& e, std::string_view bytes) const
    {
        return e.length == bytes.size() &&
               (bytes.empty() || std::memcmp(pool_.data() + e.offset, bytes.data(), e.length) == 0);
    }

    template <class Make> std::uint32_t find(std::string_view bytes, Make&& make)
    {
        const std::uint64_t h = hash(bytes);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == 0)
                break;
            const Entry& e = entries_[slot - 1];
            if (e.hash == h && holds(e, bytes))
                return slot - 1;
        }
        const auto index = static_cast<std::uint32_t>(entries_.size());
        entries_.push_back({h, pool_.size(), bytes.size()});
        pool_.append(bytes);
        texts_.append(make(bytes));
        if (entries_.size() * 2 > slots_.size())
            grow();
        else
            place(index, mask);
        return index;
    }

    // Eight bytes at a time: keys are a few dozen bytes, hashed once per row.
    static std::uint64_t hash(std::string_view bytes)
    {
        std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ bytes.size();
        const char* p = bytes.data();
        std::size_t n = bytes.size();
        const auto mix = [&h](std::uint64_t word) {
            h = (h ^ word) * 0xff51afd7ed558ccdULL;
            h ^= h >> 32;
        };
        for (; n >= 8; p += 8, n -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            mix(word);
        }
        if (n > 0) {
            // The last eight bytes when there are as many, else the bytes
            // gathered in a register: no narrow stores read back as one word.
            std::uint64_t word = 0;
            if (bytes.size() >= 8) {
                std::memcpy(&word, bytes.data() + bytes.size() - 8, 8);
            } else {
                for (std::size_t i = 0; i < n; ++i)
                    word |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
            }
            mix(word);
        }
        return h ^ (h >> 29);
    }

    void place(std::uint32_t index, std::size_t mask)
    {
        std::size_t i = entries_[index].hash & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = index + 1;
    }

    void grow()
    {
        slots_.assign(slots_.size() * 2, 0);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint32_t k = 0; k < entries_.size(); ++k)
            place(k, mask);
    }

    std::vector<std::uint32_t> slots_; // entry index + 1; 0 = free
    std::uint32_t last_ = 0;           // the entry found last
    std::vector<Entry> entries_;
    std::string pool_;
    QStringList texts_;
};

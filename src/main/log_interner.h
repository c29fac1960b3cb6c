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
// distinct texts of one search, looked up once per row.
class LogInterner {
public:
    LogInterner() : slots_(64, 0) {}

    // The index of bytes; make(bytes) builds the stored QString of a new one.
    template <class Make> std::uint32_t intern(std::string_view bytes, Make&& make)
    {
        const std::uint64_t h = hash(bytes);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == 0)
                break;
            const Entry& e = entries_[slot - 1];
            if (e.hash == h && e.length == bytes.size() &&
                std::memcmp(pool_.data() + e.offset, bytes.data(), bytes.size()) == 0)
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

    qsizetype size() const { return texts_.size(); }
    QStringList takeTexts() { return std::move(texts_); }

private:
    struct Entry {
        std::uint64_t hash;
        std::size_t offset;
        std::size_t length;
    };

    static std::uint64_t hash(std::string_view bytes)
    {
        std::uint64_t h = 1469598103934665603ULL; // FNV-1a
        for (const char c : bytes)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
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
    std::vector<Entry> entries_;
    std::string pool_;
    QStringList texts_;
};

#pragma once

#include "app/clock.h"

#include <QString>
#include <functional>

class Database;

// The outcome of storing one read.
struct DecodeOutcome {
    int records = 0;    // complete records found in the text
    int stored = 0;     // rows written
    int duplicates = 0; // valid records already stored
    int invalid = 0;    // records refused by Log_Check
    QString error;      // engine message when storing failed (rows committed so far stay)
    bool ok() const { return error.isEmpty(); }
};

// Records handled per transaction: a read killed halfway keeps every finished chunk.
inline constexpr int kLogStoreChunk = 5000;

// Decodes the received hexadecimal text and stores each valid record that is not stored yet.
// `yield` is called between chunks so the window stays responsive (the read button stays
// clickable).
DecodeOutcome Log_Decode(Database& db, const QString& hexText, const Clock& now,
                         const std::function<void()>& yield = {});

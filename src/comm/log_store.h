#pragma once

#include "base/clock.h"
#include "comm/log_decoder.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <functional>

class Database;

// What storing a stream did.
struct DecodeOutcome {
    int records = 0;           // complete records found in the stream
    int stored = 0;            // rows written
    int duplicates = 0;        // valid records already stored
    int invalid = 0;           // records refused by Log_Check
    QString error;             // engine message when storing failed (rows committed so far stay)
    bool storeUnknown = false; // the failure was a commit the server did not confirm
    bool ok() const { return error.isEmpty(); }
};

// Records handled per transaction: a read killed halfway keeps every finished chunk.
inline constexpr int kLogStoreChunk = 5000;

// The storage of decoded records in Log_Data: each valid record is written
// unless a row with the same unit serial number, date and data number is
// stored already. This is the one place that knows how a record becomes a row.
class LogStore {
public:
    explicit LogStore(Database& db) : db_(db) {}

    // Stores the records in one transaction, with WDate = `wdate` (stored
    // form). Adds what it did to `into`. A record another program stored
    // meanwhile counts as a duplicate; a transaction the server gave up for
    // another one's sake (a deadlock) is run again, a few times at most.
    // Throws DbError; the transaction is then rolled back, `into` is left as
    // it was and earlier calls stay committed.
    void store(const QList<LogRecord>& records, const QString& wdate, DecodeOutcome& into);

private:
    Database& db_;
};

// A stream decoded as it arrives and stored in chunks of kLogStoreChunk
// records: what the read command does while the handset sends, and what
// Log_Decode does with a whole text. After a storage failure nothing more is
// stored; records are still counted.
class LogIntake {
public:
    LogIntake(Database& db, Clock now) : store_(db), now_(std::move(now)) {}

    void feedBytes(QByteArrayView bytes) { decoder_.feedBytes(bytes); }
    void feedHex(QStringView hex) { decoder_.feedHex(hex); }
    qsizetype waiting() const { return decoder_.waiting(); }

    // Stores every full chunk waiting; with `all` also the rest. `between` runs
    // before each chunk but the first of the intake's life. False once a chunk
    // has failed.
    bool storeChunks(bool all, const std::function<void()>& between = {});

    // The figures so far; records counts every complete record decoded.
    DecodeOutcome outcome() const;

private:
    LogStreamDecoder decoder_;
    LogStore store_;
    Clock now_;
    DecodeOutcome outcome_;
    int chunks_ = 0;
};

// Decodes the received hexadecimal text and stores each valid record that is not stored yet.
// `yield` is called between chunks so the window stays responsive.
DecodeOutcome Log_Decode(Database& db, const QString& hexText, const Clock& now,
                         const std::function<void()>& yield = {});

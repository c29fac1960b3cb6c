#pragma once

#include "base/clock.h"
#include "comm/log_decoder.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>
#include <functional>
#include <span>
#include <utility>
#include <vector>

class Database;
struct LogRow;

// What storing a stream did.
struct DecodeOutcome {
    int records = 0;    // complete records found in the stream
    int stored = 0;     // rows written
    int duplicates = 0; // valid records already stored
    int archived = 0;   // valid records the archive holds (preserved before): not stored again
    int invalid = 0;    // records refused by Log_Check
    QString error;      // engine message when storing failed (rows committed so far stay)
    bool storeUnknown = false; // the failure was a commit the server did not confirm
    bool ok() const { return error.isEmpty(); }
};

// Records handled per transaction: a read killed halfway keeps every finished chunk.
inline constexpr int kLogStoreChunk = 5000;

// Which of a batch of logs a table of logs (Log_Data or Log_Archive) holds,
// by key (unit serial number, date and time, data number). One look-up per
// unit of the batch, over the span of its dates, on the table's key index: a
// batch is a handset's records of a few days or months, so the look-up reads
// about as many rows as the batch holds, and none at all in the usual case.
class HeldKeys {
public:
    // A log of the batch; `date` in stored form ("YYYY-MM-DD HH:MM:SS").
    void want(const QString& unitSn, const QString& date);
    // Looks the batch up, inside the caller's transaction if one is open.
    // Throws DbError.
    void lookUp(Database& db, const QString& table);
    bool none() const { return held_.isEmpty(); }
    bool holds(const QString& unitSn, const QString& date, const QString& dataNo) const;

private:
    QHash<QString, std::pair<QString, QString>> spans_; // unit: first and last date
    QSet<QString> held_;
};

// The storage of decoded records in Log_Data: each valid record is written
// unless a row with the same unit serial number, date and data number is
// stored already, or the archive holds it (it was preserved and taken out of
// Log_Data: a log is in one place). This is the one place that knows how a
// record becomes a row.
class LogStore {
public:
    explicit LogStore(Database& db) : db_(db) {}

    // Stores the records in one transaction, with WDate = `wdate` (stored
    // form). Adds what it did to `into`. A record another program stored
    // meanwhile counts as a duplicate, one the archive holds as archived;
    // a transaction the server gave up for another one's sake (a deadlock)
    // is run again, a few times at most. Throws DbError; the transaction is
    // then rolled back, `into` is left as it was and earlier calls stay
    // committed.
    void store(const QList<LogRecord>& records, const QString& wdate, DecodeOutcome& into);

private:
    // The rows the archive does not hold: `rows` itself, or those copied into `kept`.
    std::span<const LogRow> withoutArchived(const std::vector<LogRow>& rows,
                                            std::vector<LogRow>& kept);

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

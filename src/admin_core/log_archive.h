#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

class Database;

// The archive of preserved logs (Log_Archive), without a window: what a
// deletion puts into it, the logs put back into Log_Data (restore), and an
// earlier preservation file read into it. A log is in one place: in Log_Data
// or in the archive, once. Failures are thrown as DbError.
namespace log_archive {

// The logs of the days from `first` to `last`: from 00:00:00 of the first to
// 23:59:59 of the last. No period: every log.
struct Period {
    QDate first;
    QDate last;
    // " WHERE Date >= ? AND Date <= ?" and its two values; "" and none without a period.
    static QString where(const std::optional<Period>& period);
    static QVariantList values(const std::optional<Period>& period);
};

// Inside the caller's transaction: every log of Log_Data (of the period) not
// archived yet goes into the archive, marked as preserved at `now`. The
// number added.
qint64 archiveLogData(Database& db, const QDateTime& now, const std::optional<Period>& period = {});

// The archived logs of the days from `from` to `to` (inclusive) that are not
// in Log_Data.
qint64 restorableCount(Database& db, const QDate& from, const QDate& to);

// Who restores, for the history row of a restore: the login ID, this PC's
// name and the details, where server_trust::kRestoredCount stands for the
// number put back.
struct Restorer {
    QString loginId;
    QString pc;
    QString details;
};

// True where restore() writes its history row itself, in its transaction:
// on a server, whose function is the only way out of the archive
// (server_trust.h). On an SQLite file the caller writes the row.
bool restoreRecordsItself(const Database& db);

// Moves those logs back into Log_Data in one transaction (a log stored there
// meanwhile is skipped): on a file a month at a time, on a server through its
// restore function, which also writes the history row for `by`.
// `restoredSoFar` is told the logs put back so far. The number put back.
qint64 restore(Database& db, const QDate& from, const QDate& to, const Restorer& by,
               const std::function<void(qint64 restored)>& restoredSoFar = {});

// Reading a preservation file (Shift_JIS, CR LF, one log a line, as the
// preservation writes it) into the archive.
struct LoadOutcome {
    enum class Failure { None, File, Line, TooLong };
    Failure failure = Failure::None;
    QString detail;  // the file's error, the line that cannot be read, or the start of one too long
    qint64 line = 0; // the number of that line, from 1
    qint64 lines = 0;   // the logs the file holds
    qint64 added = 0;   // of them, those added to the archive
    qint64 current = 0; // those Log_Data holds, not added
    qint64 archivedBefore() const { return lines - added - current; }
    bool ok() const { return failure == Failure::None; }
};
// The file is checked line by line while the logs are stored, in one
// transaction: a line that cannot be read (not Shift_JIS, no serial number
// after snHead, a date that does not exist, a content the log master does
// not know, a control character) or that is longer than
// preservation_line::kMaxLineBytes stores nothing at all and is reported
// with its number. A log archived before, or one that Log_Data holds, is not
// stored. `read` is told the bytes read so far
// against the file's size.
LoadOutcome loadFile(Database& db, const QString& path, const QString& snHead, const QDateTime& now,
                     const std::function<void(qint64 read, qint64 size)>& progress = {});

} // namespace log_archive

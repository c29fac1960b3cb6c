#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

class Database;

// The archive of preserved logs (Log_Archive), without a window: what a
// deletion puts into it, the logs put back into Log_Data (restore), and an
// earlier preservation file read into it. A log is in the archive once, and
// the program never removes one. Failures are thrown as DbError.
namespace log_archive {

// Inside the caller's transaction: every log of Log_Data not archived yet
// goes into the archive, marked as preserved at `now`. The number added.
qint64 archiveLogData(Database& db, const QDateTime& now);

// The archived logs of the days from `from` to `to` (inclusive) that are not
// in Log_Data.
qint64 restorableCount(Database& db, const QDate& from, const QDate& to);

// Puts those logs back into Log_Data in one transaction (a log stored there
// meanwhile is skipped); the archive keeps its rows. `restored` is told the
// logs put back so far. The number put back.
qint64 restore(Database& db, const QDate& from, const QDate& to,
               const std::function<void(qint64 restored)>& restoredSoFar = {});

// Reading a preservation file (Shift_JIS, CR LF, one log a line, as the
// preservation writes it) into the archive.
struct LoadOutcome {
    enum class Failure { None, File, Line };
    Failure failure = Failure::None;
    QString detail;   // the file's error, or the line that cannot be read
    qint64 line = 0;  // the number of that line, from 1
    qint64 lines = 0; // the logs the file holds
    qint64 added = 0; // of them, those not archived before
    bool ok() const { return failure == Failure::None; }
};
// The file is checked line by line while the logs are stored, in one
// transaction: a line that cannot be read (not Shift_JIS, no serial number
// after snHead, a date that does not exist, a content the log master does
// not know) stores nothing at all and is reported with its number. A log
// archived before is not stored again. `read` is told the bytes read so far
// against the file's size.
LoadOutcome loadFile(Database& db, const QString& path, const QString& snHead, const QDateTime& now,
                     const std::function<void(qint64 read, qint64 size)>& progress = {});

} // namespace log_archive

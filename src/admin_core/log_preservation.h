#pragma once

#include "admin_core/log_archive.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class Database;

// The preservation of the stored logs, without a window: the preservation
// file, the backup of Log_Data into Log_Data_Bak and the emptying of Log_Data.
namespace log_preservation {

enum class Operation { Save = 0, SaveAndDelete = 1, Delete = 2 };

using log_archive::Period;

// The logs of Log_Data in the period (all of them without one).
qint64 logCount(Database& db, const std::optional<Period>& period = {});

// Writes one line per row of "SELECT * FROM V_Log_Data ;", in the order the
// database gives them: snHead and the unit, the date (as dateText() gives
// it), the data number, then the content (Naiyou, else Naiyou2, else
// "セットエラー", whatever the language) followed directly by Alcohol and
// Tani. Fields are written as they are: no quotes, no escaping, no trimming.
// The file is Shift_JIS with CR LF, streamed into a file beside it under a
// temporary name (StagedFile): the file at path is replaced only once it is
// complete and on the disk. Returns "" or what went wrong
// with the file; a database failure is thrown as DbError.
// rowsWritten, when given, is told the number of lines written every few
// thousand lines, and at the end. With a period, the lines of its logs only.
QString Write_LogFile(Database& db, const QString& path, const QString& snHead,
                      const std::function<void(qint64)>& rowsWritten = {},
                      const std::optional<Period>& period = {});

// Log_Data_Bak emptied and refilled with every row of Log_Data (of the period).
void Backup_LogData(Database& db, const std::optional<Period>& period = {});
// Log_Data emptied (of the period's logs); the number of logs deleted.
qint64 Delete_LogData(Database& db, const std::optional<Period>& period = {});

struct Outcome {
    enum class Failure {
        None,
        File,            // the file could not be written; nothing was changed
        Database,        // the database refused; nothing was changed and no file written
        DeletionUnknown, // the connection was lost during the commit: the logs may or may
                         // not be deleted; the file is at its path all the same
        FileNotPlaced,   // the logs were deleted, but the file kept its temporary name
    };
    Failure failure = Failure::None;
    QString detail;
    qint64 rows = 0; // the logs written, or deleted
    bool ok() const { return failure == Failure::None; }
};

// Runs an operation. The file is written completely before any table is
// touched; the backup and the deletion run in one transaction together with
// the reading of the logs written, so a failure at any step leaves Log_Data
// and Log_Data_Bak as they were. The file takes the place of an earlier one
// only once the deletion has committed: after a failure no file is written
// and an earlier one stays as it was. The three steps see one snapshot: the logs
// written, backed up and deleted are the same, and logs that other PCs store
// meanwhile stay in Log_Data. An operation that the server gives up for
// another one's sake (two PCs deleting at once) runs again from the start.
// The logs deleted go into the archive of preserved logs (Log_Archive),
// marked as preserved at `preservedAt`, in the same transaction. With a
// period, the file, the backup, the archive and the deletion take the
// period's logs only, and the other logs stay in Log_Data.
//
// report, when given, is told each step as it begins, and while the file is
// written the lines written so far against the logs there are (counted
// first, in the same snapshot).
enum class Step { Writing, BackingUp, Archiving, Deleting };
using ProgressReport = std::function<void(Step step, qint64 done, qint64 total)>;
Outcome Run_Preserve(Database& db, Operation operation, const QString& path, const QString& snHead,
                     const QDateTime& preservedAt, const ProgressReport& report = {},
                     const std::optional<Period>& period = {});

} // namespace log_preservation

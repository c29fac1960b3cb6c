#pragma once

#include "db/db_error.h"

#include <QString>

// The program's claim on its database file: an exclusive lock on a lock file
// beside it, held until release() or the end of the process. The operating
// system releases it when the process ends in any way (killed, crashed, in a
// container with its own process ids), so a dead holder never locks anyone
// out; a live holder refuses every other claim, from any user.
//
// On Unix the lock is flock() on a file that only its user may open, or in a
// group-writable folder also the folder's group (dataFileMode()): others
// could otherwise lock its user out. A lock file of the group is opened
// read-only when it is not writable. On Windows the lock is the file opened
// without sharing.
class DbClaim {
public:
    // No claim.
    DbClaim() = default;
    // A claim refused before any lock was tried.
    DbClaim(DbFault fault, QString error) : fault_(fault), error_(std::move(error)) {}
    ~DbClaim();
    DbClaim(DbClaim&& other) noexcept;
    DbClaim& operator=(DbClaim&& other) noexcept;
    DbClaim(const DbClaim&) = delete;
    DbClaim& operator=(const DbClaim&) = delete;

    // Takes the lock on lockPath, creating the file when it is missing.
    static DbClaim take(const QString& lockPath);
    // The program's claim on a database file: the lock on "<file>.lock"
    // beside the real file (a link's target), so that every link to it shares
    // one claim. Refused with DbFault::Missing when the file does not exist.
    static DbClaim onDatabase(const QString& dbPath);

    bool held() const;
    // Why a claim was refused: SecondCopy while another holder of this user
    // lives, OtherUser while another user's does or when the lock file is
    // another user's and cannot be opened (error() then names that user and
    // the lock file), ReadOnly when the lock file cannot be made, Other with
    // the system's message in error().
    DbFault fault() const { return fault_; }
    const QString& error() const { return error_; }

    void release();

private:
#ifdef Q_OS_WIN
    void* handle_ = nullptr; // HANDLE of the file opened without sharing
#else
    int fd_ = -1; // the descriptor holding the flock()
#endif
    DbFault fault_ = DbFault::Other;
    QString error_;
};

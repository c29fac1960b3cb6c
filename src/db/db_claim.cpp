#include "db/db_claim.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString lockFailure(const QString& lockPath, int error)
{
    return QStringLiteral("Cannot lock %1: %2").arg(lockPath, qt_error_string(error));
}

} // namespace

DbClaim DbClaim::onDatabase(const QString& dbPath)
{
    const QFileInfo file(dbPath);
    if (!file.isFile())
        return DbClaim(DbFault::Missing,
                       QStringLiteral("Database file not found: %1").arg(file.filePath()));
    return take(file.canonicalFilePath() + QStringLiteral(".lock"));
}

DbClaim::~DbClaim()
{
    release();
}

DbClaim::DbClaim(DbClaim&& other) noexcept
    :
#ifdef Q_OS_WIN
      handle_(std::exchange(other.handle_, nullptr)),
#else
      fd_(std::exchange(other.fd_, -1)),
#endif
      fault_(other.fault_), error_(std::move(other.error_))
{
}

DbClaim& DbClaim::operator=(DbClaim&& other) noexcept
{
    if (this != &other) {
        release();
#ifdef Q_OS_WIN
        handle_ = std::exchange(other.handle_, nullptr);
#else
        fd_ = std::exchange(other.fd_, -1);
#endif
        fault_ = other.fault_;
        error_ = std::move(other.error_);
    }
    return *this;
}

#ifdef Q_OS_WIN

DbClaim DbClaim::take(const QString& lockPath)
{
    // A file opened without sharing cannot be opened again until its handle
    // is closed, which Windows does when the process ends.
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(lockPath.utf16()), GENERIC_READ,
                                 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DbFault fault = error == ERROR_SHARING_VIOLATION ? DbFault::SecondCopy
                              : error == ERROR_ACCESS_DENIED   ? DbFault::ReadOnly
                                                               : DbFault::Other;
        return DbClaim(fault, lockFailure(lockPath, static_cast<int>(error)));
    }
    DbClaim claim;
    claim.handle_ = h;
    return claim;
}

bool DbClaim::held() const
{
    return handle_ != nullptr;
}

void DbClaim::release()
{
    if (handle_)
        CloseHandle(static_cast<HANDLE>(std::exchange(handle_, nullptr)));
}

#else

namespace {

bool permissionDenied(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

DbClaim DbClaim::take(const QString& lockPath)
{
    const QByteArray name = QFile::encodeName(lockPath);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        // Whatever the umask: the next user of a shared folder opens it too.
        ::fchmod(fd, 0666);
    } else if (errno == EEXIST) {
        fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        // Another user's lock file: flock() needs no write permission.
        if (fd < 0 && permissionDenied(errno))
            fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        const int error = errno;
        return DbClaim(permissionDenied(error) ? DbFault::ReadOnly : DbFault::Other,
                       lockFailure(lockPath, error));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return DbClaim(error == EWOULDBLOCK ? DbFault::SecondCopy : DbFault::Other,
                       lockFailure(lockPath, error));
    }
    DbClaim claim;
    claim.fd_ = fd;
    return claim;
}

bool DbClaim::held() const
{
    return fd_ >= 0;
}

void DbClaim::release()
{
    // The lock file stays: removing it would let a later claim lock a new
    // file while a waiting one locks the removed one.
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

#endif

#include "db/db_claim.h"

#include "db/db_files.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
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

QString userName(uid_t uid)
{
    const struct passwd* pw = ::getpwuid(uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

// The user of the process holding a flock() on the file (from /proc/locks,
// by the file's inode); -1 when it cannot be told.
qint64 flockHolder(const struct stat& file)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // "1: FLOCK  ADVISORY  WRITE 4242 08:01:1311 0 EOF"; "1: -> FLOCK ..." waits.
    const QByteArray inode = ':' + QByteArray::number(quint64(file.st_ino));
    while (!locks.atEnd()) {
        const QList<QByteArray> f = locks.readLine().simplified().split(' ');
        if (f.size() < 6 || f[1] != "FLOCK" || !f[5].endsWith(inode))
            continue;
        struct stat proc {};
        if (f[4].toLongLong() > 0 && ::stat(("/proc/" + f[4]).constData(), &proc) == 0)
            return proc.st_uid;
    }
    return -1;
}

// Refused for another user's sake: that user's name and the lock file.
DbClaim otherUser(uid_t uid, const QString& lockPath)
{
    return DbClaim(DbFault::OtherUser, userName(uid) + QLatin1Char('\n') + lockPath);
}

} // namespace

DbClaim DbClaim::take(const QString& lockPath)
{
    const QByteArray name = QFile::encodeName(lockPath);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        // Whatever the umask: this user's, or also the group's in a shared folder.
        ::fchmod(fd, dataFileMode(QFileInfo(lockPath).path()));
    } else if (errno == EEXIST) {
        fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        // A lock file of the folder's group: flock() needs no write permission.
        if (fd < 0 && permissionDenied(errno))
            fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    }
    struct stat st {};
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES && ::stat(name.constData(), &st) == 0 && st.st_uid != ::geteuid())
            return otherUser(st.st_uid, lockPath);
        return DbClaim(permissionDenied(error) ? DbFault::ReadOnly : DbFault::Other,
                       lockFailure(lockPath, error));
    }
    // An earlier version let everyone write it, and so lock its user out.
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 0007))
        ::fchmod(fd, st.st_mode & 0770);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK)
            return DbClaim(DbFault::Other, lockFailure(lockPath, error));
        const qint64 holder = flockHolder(st);
        const uid_t user = holder >= 0 ? uid_t(holder) : st.st_uid;
        return user != ::geteuid() ? otherUser(user, lockPath)
                                   : DbClaim(DbFault::SecondCopy, lockFailure(lockPath, error));
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

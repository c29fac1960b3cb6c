#include "comm/port_access.h"

#include "base/texts/comm.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace t = texts::com;

#ifdef Q_OS_WIN

// Windows names no group and keeps no lock files: QSerialPort's answer stands.
PortAccess portAccess(const QString& path)
{
    return {PortAccess::Kind::Usable, path, {}, {}};
}

PortAccess whyNotOpened(const QString& path)
{
    return portAccess(path);
}

static QString userName()
{
    return qEnvironmentVariable("USERNAME");
}

#else

namespace {

// The folders where serial lock files are kept, as QSerialPort looks for them.
const QStringList& lockFolders()
{
    static const QStringList folders{QStringLiteral("/var/lock"),
                                     QStringLiteral("/etc/locks"),
                                     QStringLiteral("/var/spool/locks"),
                                     QStringLiteral("/var/spool/uucp"),
                                     QStringLiteral("/tmp"),
                                     QStringLiteral("/var/tmp"),
                                     QStringLiteral("/var/lock/lockdev"),
                                     QStringLiteral("/run/lock")};
    return folders;
}

// "LCK..ttyUSB0" for /dev/ttyUSB0; a path outside /dev keeps its folders,
// each "/" turned into "_", as QSerialPort names them.
QString lockName(QString path)
{
    if (path.startsWith(QLatin1String("/dev/")))
        path.remove(0, 5);
    return QStringLiteral("LCK..") + path.replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString programOf(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                             : QString();
    return name.isEmpty() ? QStringLiteral("pid %1").arg(pid)
                          : QStringLiteral("%1, pid %2").arg(name).arg(pid);
}

// The living process that a lock file names for one of the names; "".
QString lockHolder(const QStringList& names)
{
    for (const QString& name : names) {
        for (const QString& folder : lockFolders()) {
            QFile lock(folder + QLatin1Char('/') + lockName(name));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            bool ok = false;
            const qint64 pid = QString::fromLatin1(lock.readLine()).trimmed().toLongLong(&ok);
            if (ok && pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
                return programOf(pid);
        }
    }
    return {};
}

QString groupOf(const QString& device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return {};
    const struct group* g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
}

QString userName()
{
    const struct passwd* pw = ::getpwuid(::getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : qEnvironmentVariable("USER");
}

} // namespace

PortAccess portAccess(const QString& path)
{
    PortAccess a;
    a.device = QFileInfo(path).canonicalFilePath();
    if (a.device.isEmpty()) {
        a.kind = PortAccess::Kind::Missing;
        a.device = QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : path;
        return a;
    }
    if (::access(QFile::encodeName(a.device).constData(), R_OK | W_OK) != 0 &&
        (errno == EACCES || errno == EPERM)) {
        a.kind = PortAccess::Kind::Refused;
        a.group = groupOf(a.device);
        return a;
    }
    a.holder = lockHolder({a.device, path});
    if (!a.holder.isEmpty())
        a.kind = PortAccess::Kind::Held;
    return a;
}

PortAccess whyNotOpened(const QString& path)
{
    PortAccess a = portAccess(path);
    if (a.kind != PortAccess::Kind::Usable)
        return a;
    const int fd =
        ::open(QFile::encodeName(a.device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return a;
    }
    switch (errno) {
    case EBUSY:
        a.kind = PortAccess::Kind::Held;
        break;
    case EACCES:
    case EPERM:
        a.kind = PortAccess::Kind::Refused;
        a.group = groupOf(a.device);
        break;
    case ENOENT:
    case ENXIO:
    case ENODEV:
        a.kind = PortAccess::Kind::Missing;
        break;
    default:
        break;
    }
    return a;
}

#endif

QString portAccessMessage(const PortAccess& a, const Switches& sw)
{
    switch (a.kind) {
    case PortAccess::Kind::Refused:
        return t::Refused.in(sw).arg(a.device, a.group, userName());
    case PortAccess::Kind::Held:
        return a.holder.isEmpty() ? t::Held.in(sw).arg(a.device)
                                  : t::HeldBy.in(sw).arg(a.device, a.holder);
    default:
        return {};
    }
}

QString portAccessState(const PortAccess& a, const Switches& sw)
{
    switch (a.kind) {
    case PortAccess::Kind::Missing:
        return t::StateMissing.in(sw);
    case PortAccess::Kind::Refused:
        return t::StateRefused.in(sw).arg(a.group);
    case PortAccess::Kind::Held:
        return a.holder.isEmpty() ? t::StateHeld.in(sw) : t::StateHeldBy.in(sw).arg(a.holder);
    default:
        return {};
    }
}

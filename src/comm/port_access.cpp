#include "comm/port_access.h"

#include "base/texts/comm.h"
#include "base/texts/main.h"

#include <QCoreApplication>
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

QString otherPortHolder(const QString&)
{
    return {};
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
// each "/" turned into "_", as QSerialPort names them. Other programs (minicom)
// name the lock by the file name alone: "LCK..usb-FTDI_A1B2" for a by-id link.
QStringList lockNames(QString path)
{
    const QString own = QStringLiteral("LCK..") + QFileInfo(path).fileName();
    if (path.startsWith(QLatin1String("/dev/")))
        path.remove(0, 5);
    const QString qt = QStringLiteral("LCK..") + path.replace(QLatin1Char('/'), QLatin1Char('_'));
    return qt == own ? QStringList{qt} : QStringList{qt, own};
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

// The living process that a lock file names for one of the names, other
// than `except`; "". The lock file holds the process id in ASCII, padded to
// ten characters by minicom and UUCP, followed by more lines by QLockFile.
QString lockHolder(const QStringList& names, qint64 except = 0)
{
    for (const QString& name : names) {
        for (const QString& folder : lockFolders()) {
            for (const QString& file : lockNames(name)) {
                QFile lock(folder + QLatin1Char('/') + file);
                if (!lock.open(QIODevice::ReadOnly))
                    continue;
                bool ok = false;
                const qint64 pid = QString::fromLatin1(lock.readLine()).trimmed().toLongLong(&ok);
                if (ok && pid > 0 && pid != except &&
                    (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
                    return programOf(pid);
            }
        }
    }
    return {};
}

// Why this user may not open the device: Refused with the group that may,
// when that group is not root and may read and write it; OwnerOnly with the
// owner otherwise (advice to join root's group would be no help).
void refuse(PortAccess& a)
{
    struct stat st {};
    a.kind = PortAccess::Kind::OwnerOnly;
    if (::stat(QFile::encodeName(a.device).constData(), &st) != 0)
        return;
    const mode_t groupRw = S_IRGRP | S_IWGRP;
    if (st.st_gid != 0 && (st.st_mode & groupRw) == groupRw) {
        const struct group* g = ::getgrgid(st.st_gid);
        a.kind = PortAccess::Kind::Refused;
        a.group = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
        return;
    }
    const struct passwd* pw = ::getpwuid(st.st_uid);
    a.owner = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(st.st_uid);
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
        refuse(a);
        return a;
    }
    a.holder = lockHolder({a.device, path});
    if (!a.holder.isEmpty())
        a.kind = PortAccess::Kind::Held;
    return a;
}

QString otherPortHolder(const QString& path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    return lockHolder(device.isEmpty() ? QStringList{path} : QStringList{device, path},
                      QCoreApplication::applicationPid());
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
        refuse(a);
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
    case PortAccess::Kind::OwnerOnly:
        return t::OwnerOnly.in(sw).arg(a.device, a.owner, texts::main_window::Cmd_Setei.in(sw));
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
    case PortAccess::Kind::OwnerOnly:
        return t::StateOwnerOnly.in(sw).arg(a.owner);
    case PortAccess::Kind::Held:
        return a.holder.isEmpty() ? t::StateHeld.in(sw) : t::StateHeldBy.in(sw).arg(a.holder);
    default:
        return {};
    }
}

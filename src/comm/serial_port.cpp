#include "comm/serial_port.h"

#include "comm/port_access.h"
#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>

short Com_Read(Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Com_Port ;"));
    short port = 1;
    if (!rs.eof())
        port = static_cast<short>(rs.field(QStringLiteral("Port")).toInt());
    rs.close();
    return port;
}

QStringList systemPortDevices()
{
    return {QStringLiteral("/dev/ttyUSB%1"), QStringLiteral("/dev/ttyS%1")};
}

QString portDevicePath(int port, const QString& appDir, const QStringList& systemDevices)
{
#ifdef Q_OS_WIN
    Q_UNUSED(appDir);
    Q_UNUSED(systemDevices);
    return QStringLiteral("COM%1").arg(port);
#else
    if (port < 1)
        return {};
    const QString beside = QDir(appDir).filePath(QStringLiteral("COM%1").arg(port));
    const QFileInfo link(beside);
    if (link.exists() || link.isSymLink())
        return beside;
    for (const QString& pattern : systemDevices) {
        const QString path = pattern.arg(port - 1);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
#endif
}

namespace {

// A pseudo-terminal has no modem lines; raising them there is refused and
// does not matter.
bool isPseudoTerminal(const QString& path)
{
    return QFileInfo(path).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}

} // namespace

bool Com_Open(QSerialPort& MSCM, short& port, const QString& appDir,
              const QStringList& systemDevices)
{
    return Com_Open(MSCM, portDevicePath(port, appDir, systemDevices));
}

bool Com_Open(QSerialPort& MSCM, const QString& device)
{
    if (device.isEmpty())
        return false;
    if (MSCM.isOpen())
        MSCM.close();
    // QSerialPort takes a lock file that names a process of another program
    // (minicom's, without the program's name QLockFile writes) for stale:
    // it removes it and opens the port under that program. Such a port is
    // left alone.
    if (!otherPortHolder(device).isEmpty())
        return false;
    // By the device's own name, so that the lock file QSerialPort makes is
    // the one other programs (and other copies reaching it by another link)
    // look for.
    const QString real = QFileInfo(device).canonicalFilePath();
    MSCM.setPortName(real.isEmpty() ? device : real);
    MSCM.setBaudRate(QSerialPort::Baud9600);
    MSCM.setDataBits(QSerialPort::Data8);
    MSCM.setParity(QSerialPort::NoParity);
    MSCM.setStopBits(QSerialPort::OneStop);
    MSCM.setFlowControl(QSerialPort::NoFlowControl);
    if (!MSCM.open(QIODevice::ReadWrite))
        return false;
    MSCM.clear(QSerialPort::Input);
    const bool rts = MSCM.setRequestToSend(true);
    const bool dtr = MSCM.setDataTerminalReady(true);
    if (!(rts && dtr) && !isPseudoTerminal(device)) {
        MSCM.close();
        return false;
    }
    MSCM.clearError();
    return true;
}

void Com_Close(QSerialPort& MSCM)
{
    if (MSCM.isOpen())
        MSCM.close();
}

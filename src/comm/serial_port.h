#pragma once

#include <QString>
#include <QStringList>

class Database;
class QSerialPort;

// The serial port procedures of the read command: the stored port number,
// the device a port number opens on this computer, opening and closing.

// The port number stored in Com_Port; 1 when the table has no row.
short Com_Read(Database& db);

// The serial devices of this computer that port number n may lead to, in
// order of preference, "%1" standing for n-1.
QStringList systemPortDevices();

// The device that port number `port` opens here. On Windows COMn. Elsewhere
// appDir/COMn whenever that name exists, also as a link to a device that has
// gone (an unplugged adapter: the port then cannot be opened, rather than
// leading to an unrelated built-in port); otherwise the first of
// `systemDevices` that exists; "" when none does.
QString portDevicePath(int port, const QString& appDir,
                       const QStringList& systemDevices = systemPortDevices());

// Opens the port at 9600 baud, no parity, 8 data bits, 1 stop bit, without
// flow control, empties its receive buffer and raises RTS and DTR. False when
// any step fails, and without touching the device or its lock files when a
// lock file names another living process (otherPortHolder()); a
// pseudo-terminal that has no modem lines is still opened.
bool Com_Open(QSerialPort& MSCM, short& port, const QString& appDir,
              const QStringList& systemDevices = systemPortDevices());
// The same on a device named by its path.
bool Com_Open(QSerialPort& MSCM, const QString& device);

void Com_Close(QSerialPort& MSCM);

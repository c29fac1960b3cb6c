#pragma once

#include <QString>

class Database;
class QSerialPort;

// The serial port procedures of the read command: the stored port number,
// the device a port number opens on this computer, opening and closing.

// The port number stored in Com_Port; 1 when the table has no row.
short Com_Read(Database& db);

// The device that port number `port` opens here. On Windows COMn; elsewhere
// the first that exists of appDir/COMn (a link to any serial device),
// /dev/ttyUSB{n-1} and /dev/ttyS{n-1}; "" when none exists.
QString portDevicePath(int port, const QString& appDir);

// Opens the port at 9600 baud, no parity, 8 data bits, 1 stop bit, without
// flow control, empties its receive buffer and raises RTS and DTR. False when
// any step fails; a pseudo-terminal that has no modem lines is still opened.
bool Com_Open(QSerialPort& MSCM, short& port, const QString& appDir);

void Com_Close(QSerialPort& MSCM);

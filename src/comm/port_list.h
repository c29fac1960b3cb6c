#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The serial devices of this computer as the port window lists them: what
// QSerialPortInfo finds, the stable names under /dev/serial/by-id and the
// COMn links in the program's folder (the only way to a pseudo-terminal,
// which QSerialPortInfo does not list), merged into one entry per device,
// with the COM numbers that open it.

// One port as QSerialPortInfo describes it.
struct SystemPort {
    QString location; // /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
};

struct PortEntry {
    // The name kept when the device is chosen for a number: its
    // /dev/serial/by-id name, which stays when the adapter moves to another
    // socket; else the device; for a link whose device has gone, its target.
    QString path;
    QString device;    // the device file, links followed; "" when it has gone
    QStringList names; // every name it was found by
    QString description;
    QString manufacturer;
    QString serialNumber;
    QList<int> numbers; // the COM numbers that open it, ascending

    bool operator==(const PortEntry&) const = default;
};

struct PortSources {
    QList<SystemPort> system;
    QString byIdDir = QStringLiteral("/dev/serial/by-id");
    QString linkDir; // the COMn links
    // The device port number n opens; "" for none.
    std::function<QString(int)> opens;

    // QSerialPortInfo's ports of this computer.
    static QList<SystemPort> systemPorts();
};

// One entry per device, those that a number opens first (by their lowest
// number), then by path.
QList<PortEntry> listPorts(const PortSources& sources);

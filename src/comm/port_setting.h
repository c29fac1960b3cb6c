#pragma once

#include "base/ini_file.h"

#include <QString>
#include <QStringList>

class Database;
struct AppContext;

// The handset's port as this PC keeps it: a number from 1 to 16 and, where
// the operator chose one from the list, the device that number opens.
struct PortChoice {
    int number = 1;
    QString device; // "": the device the number opens by the usual rule

    bool operator==(const PortChoice&) const = default;
};

// Where this PC keeps it. With its own SQLite file: the number in the
// database's Com_Port row, a chosen device as the link COMn beside the
// database. On a server that many PCs share: [port] number= and device= in
// this PC's quarvenix.ini, and the Com_Port row is not used.
struct PortPlace {
    QString linkDir;
    bool inSettings = false;
    SettingsFiles settings;
    QStringList systemDevices;

    static PortPlace of(const AppContext& ctx);
};

// The kept choice; the database's failures are thrown (DbError). In the
// settings a missing or unusable number reads as 1.
PortChoice readPort(Database& db, const PortPlace& place);

// The device port number n opens: the kept device for the kept number, else
// the usual rule (portDevicePath); "" for none.
QString portOpens(int n, const PortChoice& kept, const PortPlace& place);

// Keeps the number in the database's one Com_Port row (Com_Read reads it
// back). False when the table has no row; the database's failures are
// thrown (DbError).
bool keepPortInDatabase(Database& db, int number);

// Keeps the choice in the settings. "" when kept, otherwise the reason.
QString keepPortInSettings(const PortPlace& place, const PortChoice& choice);

// Makes dir/COMn a link to device, replacing an older link in one step; a
// COMn there that is no link is left alone and refused. "" or the reason.
QString linkPort(const QString& dir, int n, const QString& device);

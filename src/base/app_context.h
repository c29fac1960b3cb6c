#pragma once

#include "base/clock.h"
#include "base/ini_file.h"
#include "base/switches.h"

#include <QString>
#include <functional>

class Database;
class Dialogs;
class QWidget;

// What every window of the program shares: the switches, the one database
// connection (DB_Con), the message interface, the clock, the program's folders
// and the way the program ends. Created once in main(); tests build their own.
struct AppContext {
    Switches sw;
    // The program's folder: its database files, their lock and the COMn
    // links. Beside the executable in a source build; the data folder when
    // installed (base/program_places.h).
    QString appDir;
    SettingsFiles settings; // quarvenix.ini: read in order, written to the user's own
    // Where this PC keeps the handset's port: false for the database's
    // Com_Port row and the COMn links, true for [port] in the settings (a
    // server shared by many PCs).
    bool portInSettings = false;
    Database* db = nullptr; // DB_Con
    Dialogs* dialogs = nullptr;
    Clock now = systemClock();
    // The login ID signed in ("" before a sign-in): who the operation
    // history names.
    QString loginId;
    std::function<void()> quit; // ends the program's event loop
    // The program's one orderly exit (the end command): closes the database,
    // compacts the file and ends the program. Set by whoever opened the
    // database; the windows only ask for it.
    std::function<void(QWidget* parent)> end;
};

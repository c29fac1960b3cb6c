#pragma once

#include "app/clock.h"
#include "app/db_claim.h"
#include "app/db_setting.h"
#include "app/switches.h"

#include <QString>
#include <functional>

class Database;
class Dialogs;

// What every window of the program shares: the switches, the one database
// connection (DB_Con), the message interface, the clock, the program's folder
// and the way the program ends. Created once in main(); tests build their own.
struct AppContext {
    Switches sw;
    QString appDir;         // the folder of the executable
    Database* db = nullptr; // DB_Con
    DbSetting dbSetting;    // the file beside the program, or a server (quarvenix.ini)
    Dialogs* dialogs = nullptr;
    Clock now = systemClock();
    std::function<void()> quit; // ends the program's event loop
    // The program's claim on its database file (DB_Claim), held from the
    // opening until the exit path has compacted the file; none on a server.
    DbClaim dbClaim;
};

#pragma once

#include "base/ini_file.h"

#include <QString>

// The folders of an installation, from the build's install prefix
// (CMAKE_INSTALL_PREFIX, /usr for the package).
struct InstallDirs {
    QString bin;    // the programs: /usr/bin
    QString data;   // the default log master: /usr/share/quarvenix
    QString config; // the settings of the computer: /etc/quarvenix

    static InstallDirs fromBuild();
};

// Where the program keeps its files on this computer.
//
// A source build (the executable anywhere but the bin folder of the build's
// install prefix) keeps its database files, quarvenix.ini and the default log
// master beside the executable. An installed program (the executable in
// /usr/bin) keeps its database files in the user's data folder
// (~/.local/share/quarvenix), or in the folder that "[database] folder=" of
// quarvenix.ini names (a PC that several users share); it reads
// /etc/quarvenix/quarvenix.ini and then the user's own
// (~/.config/quarvenix/quarvenix.ini), and takes the default log master from
// /usr/share/quarvenix. The choice depends on where the executable is, never
// on which folders happen to be writable.
struct ProgramPlaces {
    bool installed = false;
    QString dataDir;           // the database files, their lock and the COMn links
    bool sharedFolder = false; // dataDir was named by [database] folder=
    SettingsFiles settings;
    QString logMaster; // the default log master file, for a new database
    // Non-empty when the folder named in quarvenix.ini cannot be used.
    QString problem;

    static ProgramPlaces find(const QString& exeDir,
                              const InstallDirs& install = InstallDirs::fromBuild());
};

inline constexpr auto kLogMasterFile = "log_master.mst";

// The installed program's data folder of this user
// (~/.local/share/quarvenix, $XDG_DATA_HOME/quarvenix): no other user's
// business, so kept 0700 (db/db_files.h).
QString userDataFolder();

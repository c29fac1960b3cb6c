#pragma once

#include "base/ini_file.h"
#include "base/switches.h"

#include <QString>
#include <QStringList>
#include <optional>

// The language the program starts in, chosen once before any window: the
// command line's --language, else language= of the [ui] section of
// quarvenix.ini (the user's section replacing the computer's), else the
// build's. "en" is English with QuarvenixDBE.db, "ja" Japanese with
// QuarvenixDB.db; any other value refuses the start (exit status 2).

// What the command line asks for. Arguments the program does not know are
// Qt's own (-platform, -style) and are left to Qt.
struct StartArguments {
    std::optional<QString> language; // the value of --language
    bool help = false;               // --help
    QString problem;                 // --language without a value, or with an unknown one

    // args[0] is the program.
    static StartArguments parse(const QStringList& args);
};

// The usage that --help prints.
QString startUsage();

// The build's switches with the language set as above, for arguments
// without a problem. Nothing, with the reason in problem (naming the
// settings file), for an unknown language in the settings.
std::optional<Switches> startSwitches(const Switches& build, const StartArguments& args,
                                      const SettingsFiles& settings, QString* problem);

#pragma once

#include "base/switches.h"

#include <QDateTime>
#include <QString>

// The first start of an installed program: the database the switches choose
// is not yet in its folder, so it is made there as quarvenix-initdb makes it
// (every table and view, COM port 1, admin / 846, the default log master, the
// standard set).
struct FirstStart {
    QString created; // the new database file; "" when there was one already
    QString error;   // why none could be made; "" otherwise
};

// Makes the database file in dir unless it exists (as a file or as a link,
// even one whose target has gone: that is the operator's to mend). Holds the
// claim's lock meanwhile, so two users starting at once on a shared folder
// make one file. The new file is this user's alone (0600), in a
// group-writable folder the group's too (0660), whatever the umask. The
// user's own data folder (userDataFolder()) is made, or kept, 0700 at every
// start; a folder named by quarvenix.ini keeps its mode.
FirstStart DB_CreateMissing(const QString& dir, const Switches& sw, const QString& logMaster,
                            const QDateTime& now);

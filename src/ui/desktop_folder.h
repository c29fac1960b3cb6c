#pragma once

#include <QString>

// The desktop folder of the current user; "" when there is none.
QString Desktop_Path();

// Where a save dialog starts when it remembers no folder: the desktop folder,
// else the user's documents folder, else the home folder; never the working
// folder, which for a program started from a menu is wherever it happens to be.
QString proposedFolder();

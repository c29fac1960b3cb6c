#pragma once

#include "base/switches.h"

#include <QString>

// The database files beside the program.

inline constexpr auto kDbFileJapanese = "QuarvenixDB.db";
inline constexpr auto kDbFileEnglish = "QuarvenixDBE.db";
inline constexpr auto kDbFileTest = "QuarvenixDBTest.db";
inline constexpr auto kCompactTempFile = "SaitekiDB.db";

// The database file the switches choose in the executable's folder: the
// Japanese file, the English one when Eng_Flg = 1, the test file when
// Test_Flg = 1 (checked last, so it wins).
QString DB_FilePath(const QString& appDir, const Switches& sw);

// Who may use the files the program makes beside its database (the
// database, its lock files, the compaction's copy): their user alone (0600),
// and in a group-writable folder (a PC several users share) also the
// folder's group (0660); never others, whatever the umask.
unsigned dataFileMode(const QString& dir);

// Creates a new, empty file with dataFileMode() of its folder, or `mode`
// when one is given. False when it exists already or cannot be made.
bool createDataFile(const QString& path, int mode = -1);

// Gives a file this user made the mode dataFileMode() of its folder says.
bool setDataFileMode(const QString& path);

// Makes the folder that holds one user's data, or takes from an existing
// one (an earlier version made it 0755) what group and others could do:
// 0700. False when it cannot be made or is not this user's.
bool makePrivateFolder(const QString& dir);

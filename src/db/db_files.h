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

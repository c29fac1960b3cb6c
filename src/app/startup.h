#pragma once

#include "app/switches.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

class Database;
class QLockFile;
struct AppContext;
struct DbSetting;

// Start-up and exit of the program: the database file, its opening, its
// compaction at exit, the operating-system name and window placement.

inline constexpr auto kDbFileJapanese = "QuarvenixDB.db";
inline constexpr auto kDbFileEnglish = "QuarvenixDBE.db";
inline constexpr auto kDbFileTest = "QuarvenixDBTest.db";
inline constexpr auto kCompactTempFile = "SaitekiDB.db";

// The database file the switches choose in the executable's folder: the
// Japanese file, the English one when Eng_Flg = 1, the test file when
// Test_Flg = 1 (checked last, so it wins).
QString DB_FilePath(const QString& appDir, const Switches& sw);

// Opens the chosen file on db. False when the file is missing, cannot be
// opened as a database or lacks the program's tables; the file is then left
// exactly as it was.
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, QString* error = nullptr);
// The same for the database the setting chooses: the file above, or the
// database on a server (the switches do not choose there). False also when
// the setting cannot be used, the server cannot be reached or refuses the
// sign-in, or the database lacks the program's tables.
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, const DbSetting& setting,
             QString* error = nullptr);
void DB_Close(Database& db);

// The start-up's connection: claims the file (DB_Claim; nothing to claim on
// a server) and opens ctx.db as ctx.dbSetting says. False on any failure,
// with no claim left behind.
bool DB_Connect(AppContext& ctx, QString* error = nullptr);

// Claims the database file the switches choose for this program: a lock
// file beside it. Null while another running copy of the program holds the
// claim; that copy's compaction replaces the file, so a second user of it
// would lose what it writes. A claim left by a program that died is taken over.
std::shared_ptr<QLockFile> DB_Claim(const QString& appDir, const Switches& sw);

// Compacts a database file: a stale temporary file is removed, the database
// is copied into tempPath (VACUUM INTO), the copy is checked (integrity and
// the row count of every table), and only then replaces the original by an
// atomic rename. On any failure the original is untouched and the error is
// returned; an empty result means success.
QString compactFile(const QString& path, const QString& tempPath);

// Compacts the database file the switches chose, unless the system is one
// on which the original program skipped compaction ("VISTA").
QString DB_Compact(const QString& appDir, const Switches& sw);
// The same under a setting: nothing is done for a server.
QString DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting);

struct OsVersion {
    int platform = 0; // 1: Windows 95 family, 2: NT family, other: unknown
    int major = 0;
    int minor = 0;
};
QString OS_Name(const OsVersion& version);
OsVersion currentOsVersion();

// Where a window of the given size goes on a screen (all in pixels): centred,
// except on a screen exactly 1024 pixels wide, where its top edge is at the
// top of the screen.
QRect Form_Center(const QSize& screen, const QSize& window);

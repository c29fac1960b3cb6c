#pragma once

#include "base/switches.h"
#include "db/db_claim.h"
#include "db/db_files.h"
#include "db/db_setting.h"

#include <QRect>
#include <QSize>
#include <QString>

class Database;
struct AppContext;
struct DbSetting;

// Start-up and exit of the program: the database file, its opening, its
// compaction at exit, the operating-system name and window placement.

// Opens the chosen file on db. False when the file is missing, cannot be
// opened as a database or lacks the program's tables; the file is then left
// exactly as it was, error holds the engine's message and fault the cause.
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, QString* error = nullptr,
             DbFault* fault = nullptr);
// The same for the database the setting chooses: the file above, or the
// database on a server (the switches do not choose there). False also when
// the setting cannot be used, the server cannot be reached or refuses the
// sign-in (fault Other, with libpq's message), or the database lacks the
// program's tables (NotDatabase).
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, const DbSetting& setting,
             QString* error = nullptr, DbFault* fault = nullptr);
void DB_Close(Database& db);

// Which database the program uses and its hold on it.
struct ProgramDb {
    DbSetting setting; // the file beside the program, or a server (quarvenix.ini)
    // The program's claim on its database file (DB_Claim), held from the
    // opening until the exit path has compacted the file; none on a server.
    DbClaim claim;
};

// The start-up's connection: claims the file (DB_Claim; nothing to claim on
// a server) and opens ctx.db as program.setting says. False on any failure,
// with no claim left behind; error and fault as DB_Open gives them.
bool DB_Connect(AppContext& ctx, ProgramDb& program, QString* error = nullptr,
                DbFault* fault = nullptr);

// Claims the database file the switches choose for this program (DbClaim on
// "<file>.lock" beside the file, a linked file's real place). Refused while
// another running copy of the program holds the claim: that copy's
// compaction replaces the file, so a second user of it would lose what it
// writes. Refused with DbFault::Missing when the file does not exist.
DbClaim DB_Claim(const QString& appDir, const Switches& sw);

// The text of the box that refuses a start: the fixed message (always
// Japanese) and, on a line of its own, the reason in the window's language.
QString DB_RefusalText(DbFault fault, const QString& error, const Switches& sw);

// What the compaction at exit did.
struct CompactOutcome {
    enum class Kind {
        Compacted, // the checked copy replaced the file
        Skipped,   // less than a tenth of the file was free: nothing to reclaim
        Damaged,   // the check found damage; the file was kept as it was
        Failed,    // any other failure; the file was kept as it was
    };
    Kind kind = Kind::Compacted;
    QString detail; // Damaged: the checker's first finding; Failed: the error
    bool ok() const { return kind == Kind::Compacted || kind == Kind::Skipped; }
};

// Compacts a database file: a stale temporary file is removed, the database
// is copied into tempPath (VACUUM INTO), the copy is checked (every page,
// every index against its table, the row count of every table), written to
// the disk, and only then replaces the original by an atomic rename. On any
// failure the original is untouched.
CompactOutcome compactFile(const QString& path, const QString& tempPath);

// Whether compacting the file reclaims enough to be worth a copy: at least a
// tenth of its pages are free (SQLite's freelist_count against page_count).
// True when they cannot be read, so that compactFile() reports why.
bool worthCompacting(const QString& path);

// The compaction at exit of the database file the switches chose: skipped
// on a system where the original program skipped it ("VISTA") and when
// worthCompacting() says no; otherwise compactFile() beside the file itself
// (a symbolic link stays a link: its target is compacted in place).
CompactOutcome DB_Compact(const QString& appDir, const Switches& sw);
// The same under a setting: nothing is done for a server (Skipped).
CompactOutcome DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting);

struct OsVersion {
    int platform = 0; // 1: Windows 95 family, 2: NT family, other: unknown
    int major = 0;
    int minor = 0;
};
QString OS_Name(const OsVersion& version);
OsVersion currentOsVersion();

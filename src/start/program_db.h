#pragma once

#include "base/switches.h"
#include "db/db_claim.h"
#include "db/db_files.h"
#include "db/db_setting.h"
#include "db/unique_keys.h"

#include <QString>
#include <QStringList>

class Database;
struct AppContext;
struct DbSetting;
struct ProgramPlaces;

// The program's database at the start, without windows: the choice of the
// database, the claim on its file, its opening and upgrade, and the text
// that refuses a start. (The compaction at exit belongs to the engine layer:
// db/compaction.h; the windows of the start and the exit to app/.)

// Opens the chosen file on db. False when the file is missing, cannot be
// opened as a database, was changed by a newer version of the program
// (NewerSchema) or lacks the program's tables; the file is then left
// exactly as it was, error holds the engine's message and fault the cause.
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, QString* error = nullptr,
             DbFault* fault = nullptr);
// The same for the database the setting chooses: the file above, or the
// database on a server (the switches do not choose there). False also when
// the setting cannot be used, the server cannot be reached or refuses the
// sign-in (fault Other, with libpq's message), the database lacks the
// program's tables (NotDatabase) or is of another version than the program
// (NewerSchema; OlderSchema: quarvenix-initdb --postgresql upgrades it).
bool DB_Open(Database& db, const QString& appDir, const Switches& sw, const DbSetting& setting,
             QString* error = nullptr, DbFault* fault = nullptr);
void DB_Close(Database& db);

// Which database the program uses and its hold on it.
struct ProgramDb {
    DbSetting setting; // the file beside the program, or a server (quarvenix.ini)
    // The program's claim on its database file (DB_Claim), held from the
    // opening until the exit path has compacted the file; none on a server.
    DbClaim claim;
    // An installed program makes its missing database at the first start
    // from this default log master (app/first_start.h); "" in a source build.
    QString deliveredMaster;
    // Rows of the file that share a key which must be unique, found by its
    // upgrade at the start; shown to admin at sign-in, then cleared.
    QList<unique_keys::SharedKey> sharedKeys;
    // What of the file's operation history its upgrade made again (missing
    // or changed); shown to admin at sign-in, then cleared.
    QStringList historyRepaired;
    // The archived logs that its upgrade found to differ from their copies in
    // Log_Data, kept in both for a person to decide (listed as the upgrade
    // reports them); shown to admin at sign-in, then cleared.
    QString archiveKept;
};

// Points the program at its places (base/program_places.h): its folder and
// settings files, the database setting of quarvenix.ini, the first start's
// log master when installed, and where the port is kept (in the settings on
// a server, in the database otherwise).
void DB_Place(AppContext& ctx, ProgramDb& program, const ProgramPlaces& places);

// The start-up's connection: claims the file (DB_Claim; nothing to claim on
// a server), opens ctx.db as program.setting says and brings an SQLite file
// up to date in one transaction (schema_upgrade.h), keeping in program what
// the upgrade found for admin (a server is left to quarvenix-initdb). False
// on any failure, with no claim left behind, the connection closed and the
// file as it was; error and fault as DB_Open gives them.
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

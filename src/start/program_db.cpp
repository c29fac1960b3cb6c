#include "start/program_db.h"

#include "base/app_context.h"
#include "base/program_places.h"
#include "base/texts/app.h"
#include "db/compaction.h"
#include "db/database.h"
#include "db/db_setting.h"
#include "db/schema.h"
#include "db/schema_upgrade.h"

bool DB_Open(Database& db, const QString& appDir, const Switches& sw, QString* error,
             DbFault* fault)
{
    return DB_Open(db, appDir, sw, DbSetting{}, error, fault);
}

bool DB_Open(Database& db, const QString& appDir, const Switches& sw, const DbSetting& setting,
             QString* error, DbFault* fault)
{
    try {
        if (!setting.problem.isEmpty())
            throw DbError(setting.problem);
        if (setting.usesFile())
            db.open(DB_FilePath(appDir, sw));
        else
            db.open(setting.server);
        // An empty file opens as an empty database; without the program's
        // tables it is as unusable as a file that is not a database.
        for (const QString& table : schema::tableNames()) {
            if (!db.isTable(table)) {
                db.close();
                throw DbError(QStringLiteral("Not a Quarvenix database (no table %1)").arg(table),
                              DbFault::NotDatabase);
            }
        }
        // A newer program's database may hold what this one does not know; a
        // server of an older version waits for quarvenix-initdb.
        try {
            schema_upgrade::checkVersion(db);
        } catch (const DbError&) {
            db.close();
            throw;
        }
        return true;
    } catch (const DbError& e) {
        if (error)
            *error = e.message();
        if (fault)
            *fault = e.fault();
        return false;
    }
}

void DB_Close(Database& db)
{
    db.close();
}

void DB_Place(AppContext& ctx, ProgramDb& program, const ProgramPlaces& places)
{
    ctx.appDir = places.dataDir;
    ctx.settings = places.settings;
    program.setting =
        DbSetting::fromIniFile(places.settings.withSection(QStringLiteral("database")));
    if (!places.problem.isEmpty())
        program.setting.problem = places.problem;
    program.deliveredMaster = places.installed ? places.logMaster : QString();
    // One Com_Port row on a server would be every depot's port.
    ctx.portInSettings = !program.setting.usesFile();
}

namespace {

// Brings the program's SQLite file, open on db and claimed, up to date in one
// transaction, keeping in program what the upgrade found. False, with db
// closed and the file as it was, when the upgrade fails.
bool DB_Upgrade(Database& db, ProgramDb& program, QString* error, DbFault* fault)
{
    if (!program.setting.usesFile())
        return true; // quarvenix-initdb upgrades a server; DB_Open refused an older one
    try {
        Transaction tx(db);
        const schema_upgrade::Result result = schema_upgrade::upgrade(db);
        tx.commit();
        program.sharedKeys = result.sharedKeys;
        program.historyRepaired = result.historyRepaired;
        // The step to one place per log lists, a line each, the pairs it kept.
        constexpr int kOneLogOnce = 3;
        const QString oneLogOnce = result.from < kOneLogOnce && result.to >= kOneLogOnce
                                       ? result.changes.value(kOneLogOnce - result.from - 1)
                                       : QString();
        if (oneLogOnce.contains(QLatin1Char('\n')))
            program.archiveKept = oneLogOnce.section(QStringLiteral(": "), 1);
        return true;
    } catch (const DbError& e) {
        db.close();
        if (error)
            *error = e.message();
        if (fault)
            *fault = e.fault();
        return false;
    }
}

} // namespace

bool DB_Connect(AppContext& ctx, ProgramDb& program, QString* error, DbFault* fault)
{
    // A setting that cannot be used is the reason, before any file is looked at.
    if (!program.setting.problem.isEmpty()) {
        if (error)
            *error = program.setting.problem;
        if (fault)
            *fault = DbFault::Other;
        return false;
    }
    if (program.setting.usesFile()) {
        // A file that another running copy of the program uses counts as locked.
        program.claim = DB_Claim(ctx.appDir, ctx.sw);
        if (!program.claim.held()) {
            if (error)
                *error = program.claim.error();
            if (fault)
                *fault = program.claim.fault();
            return false;
        }
        // Held now: no other copy can be compacting, so a copy left is stale.
        removeCompactLeftover(ctx.appDir, ctx.sw);
    }
    if (!DB_Open(*ctx.db, ctx.appDir, ctx.sw, program.setting, error, fault) ||
        !DB_Upgrade(*ctx.db, program, error, fault)) {
        program.claim.release();
        return false;
    }
    return true;
}

DbClaim DB_Claim(const QString& appDir, const Switches& sw)
{
    return DbClaim::onDatabase(DB_FilePath(appDir, sw));
}

QString DB_RefusalText(DbFault fault, const QString& error, const Switches& sw)
{
    namespace t = texts::startup;
    const struct {
        DbFault fault;
        const BiText& reason;
    } reasons[] = {
        {DbFault::Missing, t::ReasonMissing},         {DbFault::SecondCopy, t::ReasonSecondCopy},
        {DbFault::ReadOnly, t::ReasonReadOnly},       {DbFault::NotDatabase, t::ReasonNotDatabase},
        {DbFault::Damaged, t::ReasonDamaged},         {DbFault::Busy, t::ReasonBusy},
        {DbFault::NewerSchema, t::ReasonNewerSchema}, {DbFault::OlderSchema, t::ReasonOlderSchema},
        {DbFault::BadVersion, t::ReasonBadVersion}};
    QString reason = error; // any other failure: the engine's own words
    for (const auto& r : reasons) {
        if (r.fault == fault)
            reason = r.reason.in(sw);
    }
    if (fault == DbFault::OtherUser)
        reason = t::ReasonOtherUser.in(sw).arg(error.section(QLatin1Char('\n'), 0, 0),
                                               error.section(QLatin1Char('\n'), 1));
    // The fixed message is Japanese whatever the language switch says.
    return t::DbOpenError.ja_() + QLatin1Char('\n') + reason;
}

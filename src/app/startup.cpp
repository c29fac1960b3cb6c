#include "app/startup.h"

#include "base/app_context.h"
#include "base/texts/app.h"
#include "db/database.h"
#include "db/db_setting.h"
#include "db/schema.h"
#include "db/sql_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QOperatingSystemVersion>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>
#include <map>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

bool DB_Connect(AppContext& ctx, ProgramDb& program, QString* error, DbFault* fault)
{
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
    }
    if (!DB_Open(*ctx.db, ctx.appDir, ctx.sw, program.setting, error, fault)) {
        program.claim.release();
        return false;
    }
    return true;
}

DbClaim DB_Claim(const QString& appDir, const Switches& sw)
{
    const QFileInfo file(DB_FilePath(appDir, sw));
    if (!file.isFile())
        return DbClaim(DbFault::Missing,
                       QStringLiteral("Database file not found: %1").arg(file.filePath()));
    // Beside the real file, so that every link to it shares one claim.
    return DbClaim::take(file.canonicalFilePath() + QStringLiteral(".lock"));
}

QString DB_RefusalText(DbFault fault, const QString& error, const Switches& sw)
{
    namespace t = texts::startup;
    const struct {
        DbFault fault;
        const BiText& reason;
    } reasons[] = {
        {DbFault::Missing, t::ReasonMissing},   {DbFault::SecondCopy, t::ReasonSecondCopy},
        {DbFault::ReadOnly, t::ReasonReadOnly}, {DbFault::NotDatabase, t::ReasonNotDatabase},
        {DbFault::Damaged, t::ReasonDamaged},   {DbFault::Busy, t::ReasonBusy}};
    QString reason = error; // any other failure: the engine's own words
    for (const auto& r : reasons) {
        if (r.fault == fault)
            reason = r.reason.in(sw);
    }
    // The fixed message is Japanese whatever the language switch says.
    return t::DbOpenError.ja_() + QLatin1Char('\n') + reason;
}

namespace {

// Row counts of every table, to compare a copy with its original.
std::map<QString, qint64> tableCounts(Database& db)
{
    std::map<QString, qint64> counts;
    QStringList tables;
    db.forEachRow(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
        [&](const QSqlQuery& q) { tables << q.value(0).toString(); });
    for (const QString& table : tables) {
        db.forEachRow(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table),
                      [&](const QSqlQuery& q) { counts[table] = q.value(0).toLongLong(); });
    }
    return counts;
}

qint64 pragmaValue(Database& db, const char* pragma)
{
    qint64 value = -1;
    db.forEachRow(QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma)),
                  [&](const QSqlQuery& q) { value = q.value(0).toLongLong(); });
    return value;
}

// The first finding of a full check, "" when there is none. Unlike
// quick_check, integrity_check compares every index with its table:
// VACUUM INTO copies index pages as they are, so a damaged index entry of
// the original is in the copy too, and only this check finds it.
QString firstDamage(Database& db)
{
    QString finding;
    db.forEachRow(QStringLiteral("PRAGMA integrity_check(1)"),
                  [&](const QSqlQuery& q) { finding = q.value(0).toString(); });
    return finding == QLatin1String("ok") ? QString() : finding.section(QLatin1Char('\n'), 0, 0);
}

// Writes a file's content to the disk, so that a rename over the original
// never leaves a file whose pages were still in memory when the power failed.
bool syncToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

CompactOutcome failed(const QString& error)
{
    return {CompactOutcome::Kind::Failed, error};
}

} // namespace

CompactOutcome compactFile(const QString& path, const QString& tempPath)
{
    if (QFileInfo::exists(tempPath) || QFileInfo(tempPath).isSymLink()) {
        if (!QFile::remove(tempPath))
            return failed(QStringLiteral("Cannot remove the old temporary file %1").arg(tempPath));
    }
    try {
        Database source;
        source.open(path);
        const std::map<QString, qint64> before = tableCounts(source);
        source.execute(QStringLiteral("VACUUM INTO '%1'").arg(Sql_Quote(tempPath)));
        source.close();

        Database copy;
        copy.open(tempPath);
        const QString damage = firstDamage(copy);
        if (!damage.isEmpty())
            throw DbError(damage, DbFault::Damaged);
        if (tableCounts(copy) != before)
            throw DbError(QStringLiteral("The compacted copy does not hold every row."));
        copy.close();
    } catch (const DbError& e) {
        QFile::remove(tempPath);
        if (e.fault() != DbFault::Damaged)
            return failed(e.message());
        // The finding alone, without the statement that met it.
        return {CompactOutcome::Kind::Damaged, e.message().section(QStringLiteral(" ["), 0, 0)};
    }
    // The copy keeps the original's permissions; rename() then replaces the
    // original in one step: there is never a moment without a complete file.
    QFile::setPermissions(tempPath, QFile::permissions(path));
    if (!syncToDisk(tempPath) || std::rename(QFile::encodeName(tempPath).constData(),
                                             QFile::encodeName(path).constData()) != 0) {
        QFile::remove(tempPath);
        return failed(QStringLiteral("Cannot replace %1 by its compacted copy").arg(path));
    }
    return {};
}

bool worthCompacting(const QString& path)
{
    try {
        Database db;
        db.open(path);
        const qint64 pages = pragmaValue(db, "page_count");
        const qint64 free = pragmaValue(db, "freelist_count");
        return free * 10 >= pages;
    } catch (const DbError&) {
        return true;
    }
}

CompactOutcome DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting)
{
    if (!setting.usesFile())
        return {CompactOutcome::Kind::Skipped, {}};
    return DB_Compact(appDir, sw);
}

CompactOutcome DB_Compact(const QString& appDir, const Switches& sw)
{
    if (OS_Name(currentOsVersion()) == QLatin1String("VISTA"))
        return {CompactOutcome::Kind::Skipped, {}};
    // A linked file is compacted where it really is, and the link kept.
    const QFileInfo chosen(DB_FilePath(appDir, sw));
    const QString path = chosen.exists() ? chosen.canonicalFilePath() : chosen.filePath();
    const QString temp = QFileInfo(path).dir().filePath(QString::fromLatin1(kCompactTempFile));
    if (!worthCompacting(path)) {
        // What an interrupted compaction left behind goes all the same.
        QFile::remove(temp);
        return {CompactOutcome::Kind::Skipped, {}};
    }
    return compactFile(path, temp);
}

QString OS_Name(const OsVersion& v)
{
    if (v.platform == 1)
        return v.minor == 0 ? QStringLiteral("Windows 95") : QStringLiteral("Windows 98");
    if (v.platform == 2) {
        if (v.major == 5) {
            switch (v.minor) {
            case 0:
                return QStringLiteral("Windows 2000");
            case 1:
                return QStringLiteral("Windows XP");
            case 2:
                return QStringLiteral("Windows Server 2003");
            default:
                return {};
            }
        }
        if (v.major == 6)
            return QStringLiteral("VISTA");
        return {};
    }
    return QStringLiteral("不明");
}

OsVersion currentOsVersion()
{
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    if (os.type() == QOperatingSystemVersion::Windows)
        return {2, os.majorVersion(), os.minorVersion()};
    return {0, os.majorVersion(), os.minorVersion()};
}

#include "db/compaction.h"

#include "db/database.h"
#include "db/db_claim.h"
#include "db/db_files.h"
#include "db/db_setting.h"
#include "db/row_stream.h"
#include "db/sql_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <map>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The first field of the first row of a statement, as text.
QString firstText(Database& db, const QString& sql)
{
    RowStream rows(db, sql);
    return rows.next() ? QString::fromUtf8(rows.text(0)) : QString();
}

// Row counts of every table, to compare a copy with its original.
std::map<QString, qint64> tableCounts(Database& db)
{
    QStringList tables;
    {
        RowStream rows(
            db,
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (rows.next())
            tables << QString::fromUtf8(rows.text(0));
    }
    std::map<QString, qint64> counts;
    for (const QString& table : tables)
        counts[table] =
            firstText(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toLongLong();
    return counts;
}

// The first finding of a full check, "" when there is none. Unlike
// quick_check, integrity_check compares every index with its table:
// VACUUM INTO copies index pages as they are, so a damaged index entry of
// the original is in the copy too, and only this check finds it.
QString firstDamage(Database& db)
{
    const QString finding = firstText(db, QStringLiteral("PRAGMA integrity_check(1)"));
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

// The compaction's claim on its copy: one name serves every database file of
// a folder, so each compaction holds the lock on "<copy>.lock" while the copy
// exists, and a copy another program holds is left alone.
DbClaim claimCopy(const QString& tempPath)
{
    return DbClaim::take(tempPath + QStringLiteral(".lock"));
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// What the copy may be: what the original is, without others' access.
int copyMode(const QString& path)
{
    const QFile::Permissions p = QFile::permissions(path);
    return 0600 | (p.testFlag(QFile::ReadGroup) ? 040 : 0) |
           (p.testFlag(QFile::WriteGroup) ? 020 : 0);
}

// Compacts the file at path through tempPath (DB_Compact).
CompactOutcome compactFile(const QString& path, const QString& tempPath,
                           const CompactStageReport& report)
{
    const auto stage = [&](CompactStage s) {
        if (report)
            report(s);
    };
    const DbClaim claim = claimCopy(tempPath);
    if (!claim.held()) {
        // Another copy of the program compacts its own file into the copy:
        // this file keeps its free pages until a later exit.
        if (claim.fault() == DbFault::SecondCopy || claim.fault() == DbFault::OtherUser)
            return {CompactOutcome::Kind::Skipped, claim.error()};
        return failed(claim.error());
    }
    // Held: a copy there now is what an interrupted compaction left.
    if (present(tempPath) && !QFile::remove(tempPath))
        return failed(QStringLiteral("Cannot remove the old temporary file %1").arg(tempPath));
    // Made empty first, with its mode: the copy is never readable by others.
    if (!createDataFile(tempPath, copyMode(path)))
        return failed(QStringLiteral("Cannot create the temporary file %1").arg(tempPath));
    try {
        Database source;
        source.open(path);
        const std::map<QString, qint64> before = tableCounts(source);
        stage(CompactStage::Copying);
        source.execute(QStringLiteral("VACUUM INTO '%1'").arg(Sql_Quote(tempPath)));
        source.close();

        Database copy;
        copy.open(tempPath);
        stage(CompactStage::Checking);
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
    // rename() replaces the original in one step: there is never a moment
    // without a complete file.
    if (!syncToDisk(tempPath) || std::rename(QFile::encodeName(tempPath).constData(),
                                             QFile::encodeName(path).constData()) != 0) {
        QFile::remove(tempPath);
        return failed(QStringLiteral("Cannot replace %1 by its compacted copy").arg(path));
    }
    return {};
}

// Whether compacting the file reclaims enough to be worth a copy: at least a
// tenth of its pages are free (SQLite's freelist_count against page_count).
// True when they cannot be read, so that compactFile() reports why.
bool worthCompacting(const QString& path)
{
    try {
        Database db;
        db.open(path);
        const qint64 pages = firstText(db, QStringLiteral("PRAGMA page_count")).toLongLong();
        const qint64 free = firstText(db, QStringLiteral("PRAGMA freelist_count")).toLongLong();
        return free * 10 >= pages;
    } catch (const DbError&) {
        return true;
    }
}

// The database file the switches choose, where it really is (a linked file
// is compacted there, and the link kept), and the compaction's copy beside it.
std::pair<QString, QString> compactPaths(const QString& appDir, const Switches& sw)
{
    const QFileInfo chosen(DB_FilePath(appDir, sw));
    const QString path = chosen.exists() ? chosen.canonicalFilePath() : chosen.filePath();
    return {path, QFileInfo(path).dir().filePath(QString::fromLatin1(kCompactTempFile))};
}

} // namespace

CompactOutcome DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting,
                          const CompactStageReport& report)
{
    if (!setting.usesFile())
        return {CompactOutcome::Kind::Skipped, {}};
    return DB_Compact(appDir, sw, report);
}

bool removeCompactLeftover(const QString& appDir, const Switches& sw)
{
    const QString temp = compactPaths(appDir, sw).second;
    if (!present(temp))
        return true;
    const DbClaim claim = claimCopy(temp);
    if (!claim.held()) // another program's compaction at work: its copy
        return claim.fault() == DbFault::SecondCopy || claim.fault() == DbFault::OtherUser;
    return QFile::remove(temp);
}

CompactOutcome DB_Compact(const QString& appDir, const Switches& sw,
                          const CompactStageReport& report)
{
    const auto [path, temp] = compactPaths(appDir, sw);
    if (!worthCompacting(path)) {
        // What an interrupted compaction left behind goes all the same.
        removeCompactLeftover(appDir, sw);
        return {CompactOutcome::Kind::Skipped, {}};
    }
    return compactFile(path, temp, report);
}

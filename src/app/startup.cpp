#include "app/startup.h"

#include "app/app_context.h"
#include "app/database.h"
#include "app/db_setting.h"
#include "app/schema.h"
#include "app/sql_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QOperatingSystemVersion>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>
#include <map>

QString DB_FilePath(const QString& appDir, const Switches& sw)
{
    QString name = QString::fromLatin1(kDbFileJapanese);
    if (sw.Eng_Flg == 1)
        name = QString::fromLatin1(kDbFileEnglish);
    if (sw.Test_Flg == 1)
        name = QString::fromLatin1(kDbFileTest);
    return QDir(appDir).filePath(name);
}

bool DB_Open(Database& db, const QString& appDir, const Switches& sw, QString* error)
{
    return DB_Open(db, appDir, sw, DbSetting{}, error);
}

bool DB_Open(Database& db, const QString& appDir, const Switches& sw, const DbSetting& setting,
             QString* error)
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
                throw DbError(QStringLiteral("Not a Quarvenix database (no table %1)").arg(table));
            }
        }
        return true;
    } catch (const DbError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

void DB_Close(Database& db)
{
    db.close();
}

bool DB_Connect(AppContext& ctx, QString* error)
{
    if (ctx.dbSetting.usesFile()) {
        // A file that another running copy of the program uses counts as locked.
        ctx.dbClaim = DB_Claim(ctx.appDir, ctx.sw);
        if (!ctx.dbClaim) {
            if (error)
                *error = QStringLiteral("The database file is in use by another copy of the "
                                        "program.");
            return false;
        }
    }
    if (!DB_Open(*ctx.db, ctx.appDir, ctx.sw, ctx.dbSetting, error)) {
        ctx.dbClaim.reset();
        return false;
    }
    return true;
}

std::shared_ptr<QLockFile> DB_Claim(const QString& appDir, const Switches& sw)
{
    auto claim = std::make_shared<QLockFile>(DB_FilePath(appDir, sw) + QStringLiteral(".lock"));
    // Held for the life of the program: only a dead owner makes it stale.
    claim->setStaleLockTime(0);
    if (!claim->tryLock(0))
        return nullptr;
    return claim;
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

} // namespace

QString compactFile(const QString& path, const QString& tempPath)
{
    if (QFileInfo::exists(tempPath) || QFileInfo(tempPath).isSymLink()) {
        if (!QFile::remove(tempPath))
            return QStringLiteral("Cannot remove the old temporary file %1").arg(tempPath);
    }
    std::map<QString, qint64> before;
    try {
        Database source;
        source.open(path);
        before = tableCounts(source);
        source.execute(QStringLiteral("VACUUM INTO '%1'").arg(Sql_Quote(tempPath)));
        source.close();

        Database copy;
        copy.open(tempPath);
        QString check;
        copy.forEachRow(QStringLiteral("PRAGMA quick_check"),
                        [&](const QSqlQuery& q) { check += q.value(0).toString(); });
        if (check != QLatin1String("ok"))
            throw DbError(QStringLiteral("The compacted copy is damaged: %1").arg(check));
        if (tableCounts(copy) != before)
            throw DbError(QStringLiteral("The compacted copy does not hold every row."));
        copy.close();
    } catch (const DbError& e) {
        QFile::remove(tempPath);
        return e.message();
    }
    // The copy keeps the original's permissions; rename() then replaces the
    // original in one step: there is never a moment without a complete file.
    QFile::setPermissions(tempPath, QFile::permissions(path));
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(tempPath);
        return QStringLiteral("Cannot replace %1 by its compacted copy").arg(path);
    }
    return {};
}

QString DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting)
{
    return setting.usesFile() ? DB_Compact(appDir, sw) : QString();
}

QString DB_Compact(const QString& appDir, const Switches& sw)
{
    if (OS_Name(currentOsVersion()) == QLatin1String("VISTA"))
        return {};
    return compactFile(DB_FilePath(appDir, sw),
                       QDir(appDir).filePath(QString::fromLatin1(kCompactTempFile)));
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

QRect Form_Center(const QSize& screen, const QSize& window)
{
    const int left = (screen.width() - window.width()) / 2;
    const int top = screen.width() == 1024 ? 0 : (screen.height() - window.height()) / 2;
    return QRect(QPoint(left, top), window);
}

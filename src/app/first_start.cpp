#include "app/first_start.h"

#include "base/program_places.h"
#include "db/db_claim.h"
#include "db/db_files.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

delivered_db::DeliveredFile deliveredFor(const Switches& sw)
{
    using delivered_db::DeliveredFile;
    return sw.test()      ? DeliveredFile::Test
           : sw.english() ? DeliveredFile::English
                          : DeliveredFile::Japanese;
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

FirstStart DB_CreateMissing(const QString& dir, const Switches& sw, const QString& logMaster,
                            const QDateTime& now)
{
    const QString path = DB_FilePath(dir, sw);
    // The user's own folder is theirs alone, also one an earlier version
    // made readable by all; a shared folder keeps the mode its set-up gave.
    const bool own = QDir::cleanPath(dir) == QDir::cleanPath(userDataFolder());
    if (own && !makePrivateFolder(dir) && !present(path))
        return {{}, QStringLiteral("Cannot create the folder %1 for this user alone").arg(dir)};
    if (present(path))
        return {};
    if (!QDir().mkpath(dir))
        return {{}, QStringLiteral("Cannot create the folder %1").arg(dir)};
    // The lock the start-up's claim takes once the file exists.
    const QString real = QDir(dir).canonicalPath();
    const DbClaim claim =
        DbClaim::take(QDir(real).filePath(QFileInfo(path).fileName()) + QStringLiteral(".lock"));
    // Another copy holds it: it is making the file or running on it, and the
    // start-up's claim says which.
    if (!claim.held() || present(path))
        return {};

    QFile file(logMaster);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("Cannot read %1: %2").arg(logMaster, file.errorString())};
    const log_master_file::Result master = log_master_file::parse(file.readAll());
    if (master.problem != log_master_file::Problem::None)
        return {{},
                QStringLiteral("%1 is not a valid log master file (line %2)")
                    .arg(logMaster)
                    .arg(master.badLine)};
    const QString error = delivered_db::create(path, deliveredFor(sw), master.entries, now);
    if (!error.isEmpty())
        return {{}, error};
    // Whatever the umask: this user's, or the group's too in a shared folder.
    if (!setDataFileMode(path))
        return {{}, QStringLiteral("Cannot set the permissions of %1").arg(path)};
    return {path, {}};
}

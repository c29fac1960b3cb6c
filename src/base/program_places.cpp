#include "base/program_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

InstallDirs InstallDirs::fromBuild()
{
    return {QStringLiteral(QVX_INSTALL_BINDIR), QStringLiteral(QVX_INSTALL_DATADIR),
            QStringLiteral(QVX_INSTALL_CONFIGDIR)};
}

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    const QString real = QFileInfo(a).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(b).canonicalFilePath();
}

QString iniIn(const QString& dir)
{
    return QDir(dir).filePath(QStringLiteral("quarvenix.ini"));
}

} // namespace

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

ProgramPlaces ProgramPlaces::find(const QString& exeDir, const InstallDirs& install)
{
    ProgramPlaces places;
    if (!sameFolder(exeDir, install.bin)) {
        places.dataDir = exeDir;
        places.settings = SettingsFiles::in(exeDir);
        places.logMaster = QDir(exeDir).filePath(QLatin1String(kLogMasterFile));
        return places;
    }
    places.installed = true;
    places.logMaster = QDir(install.data).filePath(QLatin1String(kLogMasterFile));
    const QString own = iniIn(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    places.settings = {{iniIn(install.config), own}, own};
    places.dataDir = userDataFolder();

    const QString ini = places.settings.withSection(QStringLiteral("database"));
    const QString folder =
        ini_file::value(ini, QStringLiteral("database"), QStringLiteral("folder"))
            .value_or(QString());
    if (folder.isEmpty())
        return places;
    const QFileInfo info(folder);
    if (!QDir::isAbsolutePath(folder) || !info.isDir()) {
        places.problem = QStringLiteral("%1: [database] folder=%2 is not an existing folder "
                                        "(an absolute path is needed)")
                             .arg(QDir::toNativeSeparators(ini), folder);
        return places;
    }
    places.dataDir = QDir::cleanPath(folder);
    places.sharedFolder = true;
    return places;
}

#include "ui/desktop_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString existingFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

} // namespace

QString Desktop_Path()
{
    return existingFolder(QStandardPaths::DesktopLocation);
}

QString proposedFolder()
{
    for (const auto location :
         {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation}) {
        if (const QString folder = existingFolder(location); !folder.isEmpty())
            return folder;
    }
    return QDir::homePath();
}

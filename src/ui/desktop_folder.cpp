#include "ui/desktop_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString Desktop_Path()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

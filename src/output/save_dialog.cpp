#include "output/save_dialog.h"

#include "base/texts/output.h"

#include "base/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString Desktop_Path()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

QString proposedCsvName(const QString& base, const QDateTime& now)
{
    return base + now.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".csv");
}

QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now)
{
    FileDialogRequest request;
    request.filter = texts::output::CsvFilter.ja_();
    request.startFolder = Desktop_Path();
    request.fileName = proposedCsvName(base, now);
    return dialogs.saveFileName(parent, request);
}

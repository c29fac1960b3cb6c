#include "output/save_dialog.h"

#include "base/texts/output.h"

#include "base/dialogs.h"
#include "ui/desktop_folder.h"

QString Get_SaveFileName(Dialogs& dialogs, QWidget* parent, const QString& filter,
                         const QString& base, const QDateTime& now, const QString& suffix)
{
    FileDialogRequest request;
    request.filter = filter;
    request.startFolder = Desktop_Path();
    request.fileName = base + now.toString(QStringLiteral("yyyyMMddHHmmss")) + suffix;
    return dialogs.saveFileName(parent, request);
}

QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now)
{
    return Get_SaveFileName(dialogs, parent, texts::output::CsvFilter.ja_(), base, now,
                            QStringLiteral(".csv"));
}

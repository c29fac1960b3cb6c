#include "output/save_dialog.h"

#include "base/dialogs.h"
#include "base/ini_file.h"
#include "base/texts/output.h"
#include "ui/desktop_folder.h"

#include <QFileInfo>
#include <QUrl>

namespace {

const QString kSection = QStringLiteral("folders");

QString keyOf(SaveDialog which)
{
    switch (which) {
    case SaveDialog::Csv:
        break;
    case SaveDialog::Pdf:
        return QStringLiteral("pdf");
    case SaveDialog::Statistics:
        return QStringLiteral("statistics");
    }
    return QStringLiteral("csv");
}

// A folder as an ini value: "%", ";" (a comment there), blanks (trimmed
// there), control characters, and the quote and backslash that QSettings
// reads as escapes in the same file, percent-encoded; any other character as
// it is.
QString encoded(const QString& folder)
{
    QString out;
    for (const QChar c : folder) {
        if (c == u'%' || c == u';' || c == u'"' || c == u'\\' || c.unicode() <= 0x20 ||
            c.unicode() == 0x7f)
            out += QLatin1Char('%') +
                   QString::number(int(c.unicode()), 16).rightJustified(2, u'0').toUpper();
        else
            out += c;
    }
    return out;
}

// The folder the dialog was last confirmed in, while it exists.
QString remembered(const Dialogs& dialogs, SaveDialog which)
{
    if (dialogs.folderFile().isEmpty())
        return {};
    const std::optional<QString> value =
        ini_file::value(dialogs.folderFile(), kSection, keyOf(which));
    if (!value || value->isEmpty())
        return {};
    const QString folder = QUrl::fromPercentEncoding(value->toUtf8());
    return QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

QString Get_SaveFileName(Dialogs& dialogs, QWidget* parent, SaveDialog which, const QString& filter,
                         const QString& base, const QDateTime& now, const QString& suffix)
{
    FileDialogRequest request;
    request.filter = filter;
    request.startFolder = remembered(dialogs, which);
    if (request.startFolder.isEmpty())
        request.startFolder = proposedFolder();
    request.fileName = base + now.toString(QStringLiteral("yyyyMMddHHmmss")) + suffix;
    const QString path = dialogs.saveFileName(parent, request);
    // Only a convenience: a settings file that cannot be written costs the
    // operator nothing but the folder, so it is not worth a message.
    if (!path.isEmpty() && !dialogs.folderFile().isEmpty())
        ini_file::write(dialogs.folderFile(), kSection,
                        {{keyOf(which), encoded(QFileInfo(path).absolutePath())}});
    return path;
}

QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now)
{
    return Get_SaveFileName(dialogs, parent, SaveDialog::Csv, texts::output::CsvFilter.ja_(), base,
                            now, QStringLiteral(".csv"));
}

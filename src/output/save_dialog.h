#pragma once

#include <QDateTime>
#include <QString>

class Dialogs;
class QWidget;

// The program's save dialogs. Each remembers, for the user, the folder it
// was last confirmed in (in the file Dialogs::folderFile() names, section
// [folders]) and starts there while that folder exists; otherwise in the
// proposed folder (ui/desktop_folder.h).
enum class SaveDialog {
    Csv,        // the CSV files: the grid, the operation history, the preservation file
    Pdf,        // a print into a PDF file where no print queue exists
    Statistics, // the statistics report
};

// The save dialog: proposes base + time stamp + suffix, offers the file types
// of `filter` ("Name|pattern|…") with the first selected, starts in the
// dialog's folder and asks before an existing file is replaced. The chosen
// full path, or "" when the operator cancels. The time stamp is the time as
// yyyymmddhhmmss (24-hour clock).
QString Get_SaveFileName(Dialogs& dialogs, QWidget* parent, SaveDialog which, const QString& filter,
                         const QString& base, const QDateTime& now, const QString& suffix);

// The CSV save dialog: "CSV形式(*.csv)|*.csv|すべて(*.*)|*.*" and ".csv".
QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now);

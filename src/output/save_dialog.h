#pragma once

#include <QDateTime>
#include <QString>

class Dialogs;
class QWidget;

// The desktop folder of the current user, "" when there is none.
QString Desktop_Path();

// The file name the save dialog proposes: base, the time as yyyymmddhhmmss
// (24-hour clock) and ".csv".
QString proposedCsvName(const QString& base, const QDateTime& now);

// The CSV save dialog: proposes base + time stamp + ".csv", offers
// "CSV形式(*.csv)|*.csv|すべて(*.*)|*.*" with the first type selected, starts in
// the desktop folder and asks before an existing file is replaced. The chosen
// full path, or "" when the operator cancels.
QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now);

#pragma once

#include <QDateTime>
#include <QString>

class Dialogs;
class QWidget;

// The save dialog: proposes base + time stamp + suffix, offers the file types
// of `filter` ("Name|pattern|…") with the first selected, starts in the
// desktop folder and asks before an existing file is replaced. The chosen
// full path, or "" when the operator cancels. The time stamp is the time as
// yyyymmddhhmmss (24-hour clock).
QString Get_SaveFileName(Dialogs& dialogs, QWidget* parent, const QString& filter,
                         const QString& base, const QDateTime& now, const QString& suffix);

// The CSV save dialog: "CSV形式(*.csv)|*.csv|すべて(*.*)|*.*" and ".csv".
QString Get_CsvFileName(Dialogs& dialogs, QWidget* parent, const QString& base,
                        const QDateTime& now);

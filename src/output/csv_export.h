#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class LogGridModel;

struct CsvWriteResult {
    QString error;         // "" when the file was written completely
    bool replaced = false; // a character was written as "?" (see csv_lines::encode)
    bool ok() const { return error.isEmpty(); }
};

// Writes every row of the grid as shown (heading row first, in the displayed
// order) to `path`, replacing the file. The file appears only when it is
// complete: on any failure an existing file of that name is left as it was
// and nothing else is left behind. Does nothing when the path is "".
CsvWriteResult Write_Csv(const LogGridModel& grid, const QString& path);

// The same for any table of texts: the heading line, then one line per row,
// each cell made safe as a grid cell is (csv_lines::field), joined by ",",
// CR LF, Shift_JIS with "?" for a character it cannot hold.
CsvWriteResult writeCsvTable(const QStringList& heading, const QList<QStringList>& rows,
                             const QString& path);

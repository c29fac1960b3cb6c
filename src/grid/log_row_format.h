#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <string_view>

#include "base/switches.h"

// How one record of V_Log_Data becomes the cells of a grid row. The grid
// model applies the same rules to its compact records; these functions are
// the one definition of each rule.
namespace log_row_format {

inline constexpr int kMeasuredLogNo = 8;

// A record of V_Log_Data with null fields read as "".
struct LogRow {
    QString user;
    QString unitSN;
    QString name;
    QString dataNo;
    QString date; // stored form "YYYY-MM-DD HH:MM:SS", "" for null
    bool hasLogNo = false;
    int logNo = 0;
    QString alcohol;
    QString tani;
    QString naiyou;
    QString naiyou2;
};

// A field's text made safe for a cell: tab, CR and LF become blanks, so a
// cell never spills into the next column or line of a tab-separated copy.
QString cellSafe(QString text);

// The start of the content cell: the shown text and a blank, or the
// language's "Set Error " text when there is none.
QString contentPrefix(const QString& shown, bool english);

// True when a record with this log number shows its measured value.
inline bool showsMeasuredValue(bool hasLogNo, int logNo, const Switches& sw)
{
    return hasLogNo && logNo == kMeasuredLogNo && !sw.editionA();
}

// Date and time cells from their parts (year 0 = no date: both cells empty).
QString dateCell(int year, int month, int day, bool english);
QString timeCell(int hour, int minute, int second, bool english);
// What follows each digit field of those cells: after the year (4 digits),
// the month and the day (2 each) of a date, and after the hour, the minute
// and the second (2 each) of a time.
struct CellMarks {
    QString date[3];
    QString time[3];
};
const CellMarks& dateTimeMarks(bool english);

// The text colour of a row with this log number; invalid = normal colour.
QColor rowColor(bool hasLogNo, int logNo);
// The grid's own colours, whatever the desktop theme: black text on white,
// selected cells on light blue. Black and blue text read on both (WCAG
// contrast of at least 4.5 : 1).
QColor gridText();
QColor gridBackground();
QColor gridSelection();
// The cell background of a row whose text colour reads on neither white nor
// the light blue (red and yellow): black, dark blue while selected, so that
// the selection still shows. Invalid = the grid's own background.
QColor rowBackground(bool hasLogNo, int logNo, bool selected = false);

// The six cells of columns 0 to 5 and the empty column 6.
QStringList cells(const LogRow& row, const Switches& sw);

} // namespace log_row_format

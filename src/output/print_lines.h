#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class LogGridModel;

// The printed listing of the grid as lines of text: one empty line, then every
// grid row, the heading row first. A line is the margin of two ideographic
// spaces and the cells of columns 0 to 5 between fixed runs of blanks; column
// 6 is not printed and cells are not padded.
namespace print_lines {

// The line of grid row `row` (0 = heading row) from its cells 0 to 5.
QString line(int row, const QStringList& cells);

// Hands every line of the listing to `out`, in order, until `out` returns false.
void forEach(const LogGridModel& grid, const std::function<bool(const QString&)>& out);

// Every line of the listing.
QStringList all(const LogGridModel& grid);

} // namespace print_lines

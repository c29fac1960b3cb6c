#include "output/print_lines.h"

#include "grid/log_grid_model.h"

namespace print_lines {

namespace {

constexpr int kPrintedCols = 6;
// Blanks in front of each cell, after the margin.
constexpr int kHeadingGaps[kPrintedCols] = {0, 2, 6, 11, 11, 15};
constexpr int kRowGaps[kPrintedCols] = {1, 7, 9, 3, 1, 3};

} // namespace

QString line(int row, const QStringList& cells)
{
    const int* gaps = row == 0 ? kHeadingGaps : kRowGaps;
    QString text = QStringLiteral("\u3000\u3000");
    for (int col = 0; col < kPrintedCols; ++col)
        text += QString(gaps[col], QLatin1Char(' ')) + cells.value(col);
    return text;
}

void forEach(const LogGridModel& grid, const std::function<bool(const QString&)>& out)
{
    if (!out(QString()))
        return;
    QStringList cells;
    const int rows = grid.Rows();
    for (int row = 0; row < rows; ++row) {
        cells.clear();
        for (int col = 0; col < kPrintedCols; ++col)
            cells << grid.TextMatrix(row, col);
        if (!out(line(row, cells)))
            return;
    }
}

QStringList all(const LogGridModel& grid)
{
    QStringList lines;
    forEach(grid, [&lines](const QString& text) {
        lines << text;
        return true;
    });
    return lines;
}

} // namespace print_lines

#include "output/grid_print.h"

#include "output/print_lines.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr qreal kFontPoints = 12;
} // namespace

PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer)
{
    int pages = 1;
    PrintOutcome outcome = printOn(printer, [&](QPainter& painter) {
        QFont font = printFont();
        font.setPointSizeF(kFontPoints);
        painter.setFont(font);
        const QFontMetricsF metrics(font, &printer);
        const qreal pageHeight = printer.height();
        qreal y = 0;
        print_lines::forEach(grid, [&](const QString& text) {
            if (y > 0 && y + metrics.height() > pageHeight) {
                if (!printer.newPage())
                    return false;
                ++pages;
                y = 0;
            }
            if (!text.isEmpty())
                painter.drawText(QPointF(0, y + metrics.ascent()), text);
            y += metrics.lineSpacing();
            return printer.printerState() != QPrinter::Error;
        });
        return true;
    });
    if (outcome.ok())
        outcome.pages = pages;
    return outcome;
}

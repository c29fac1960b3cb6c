#include "output/grid_print.h"

#include "base/dialogs.h"
#include "output/print_lines.h"
#include "output/print_queue_status.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr qreal kFontPoints = 12;
} // namespace

bool Show_PrinterDialog(Dialogs& dialogs, QWidget* parent, QPrinter& printer)
{
    printer.setCopyCount(1);
    return dialogs.printDialog(parent, printer);
}

PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer)
{
    using Failure = PrintOutcome::Failure;
    PrintOutcome outcome;
    const bool toQueue = printer.outputFormat() == QPrinter::NativeFormat;
    const bool hasTarget =
        toQueue ? !printer.printerName().isEmpty() : !printer.outputFileName().isEmpty();
    QPainter painter;
    if (!hasTarget || !printer.isValid() || !painter.begin(&printer)) {
        outcome.failure = Failure::NoPrinter;
        return outcome;
    }
    QFont font = painter.font();
    font.setPointSizeF(kFontPoints);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const qreal pageHeight = printer.height();

    qreal y = 0;
    outcome.pages = 1;
    print_lines::forEach(grid, [&](const QString& text) {
        if (y > 0 && y + metrics.height() > pageHeight) {
            if (!printer.newPage())
                return false;
            ++outcome.pages;
            y = 0;
        }
        if (!text.isEmpty())
            painter.drawText(QPointF(0, y + metrics.ascent()), text);
        y += metrics.lineSpacing();
        return printer.printerState() != QPrinter::Error;
    });
    const bool failed = printer.printerState() == QPrinter::Error;
    if (!painter.end() || failed) {
        outcome.failure = Failure::Stopped;
        return outcome;
    }
    if (toQueue) {
        outcome.detail = lastQueueRefusal();
        if (!outcome.detail.isEmpty())
            outcome.failure = Failure::Refused;
    }
    return outcome;
}

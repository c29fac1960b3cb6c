#include "output/grid_print.h"

#include "base/dialogs.h"
#include "base/switches.h"
#include "base/texts/output.h"
#include "output/print_lines.h"
#include "output/print_queue_status.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr qreal kFontPoints = 12;
} // namespace

namespace t = texts::output;

bool Show_PrinterDialog(Dialogs& dialogs, QWidget* parent, QPrinter& printer)
{
    printer.setCopyCount(1);
    return dialogs.printDialog(parent, printer);
}

QString printFailureText(const PrintOutcome& outcome, const Switches& sw)
{
    switch (outcome.failure) {
    case PrintOutcome::Failure::NoPrinter:
        return t::NoPrinter.in(sw);
    case PrintOutcome::Failure::Stopped:
        return t::PrinterStopped.in(sw);
    case PrintOutcome::Failure::Refused:
        return t::JobRefused.in(sw).arg(outcome.detail);
    case PrintOutcome::Failure::None:
        break;
    }
    return {};
}

PrintOutcome printOn(QPrinter& printer, const std::function<bool(QPainter&)>& paint)
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
    const bool painted = paint(painter);
    const bool failed = !painted || printer.printerState() == QPrinter::Error;
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

PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer)
{
    int pages = 1;
    PrintOutcome outcome = printOn(printer, [&](QPainter& painter) {
        QFont font = painter.font();
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

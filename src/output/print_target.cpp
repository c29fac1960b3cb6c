#include "output/print_target.h"

#include "base/dialogs.h"
#include "base/texts/output.h"
#include "output/print_queue_status.h"
#include "output/save_dialog.h"
#include "ui/busy_cursor.h"

#include <QDateTime>
#include <QDir>
#include <QPrinter>

namespace t = texts::output;

std::optional<PrintDone> printWhereChosen(Dialogs& dialogs, QWidget* parent, bool english,
                                          const QString& title, const QString& pdfBase,
                                          const QDateTime& now,
                                          const std::function<PrintOutcome(QPrinter&)>& print)
{
    if (printQueueExists()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Quarvenix"));
        if (!Show_PrinterDialog(dialogs, parent, printer))
            return std::nullopt;
        const BusyCursor busy;
        PrintOutcome outcome = print(printer);
        return PrintDone{std::move(outcome), printer.printerName()};
    }
    // Without a print queue the print dialog has nothing to print on: the
    // print can go into a PDF file instead, named in the save dialog.
    if (dialogs.message(parent, t::NoQueuePdf.pick(english), title, MsgButtons::YesNo,
                        MsgIcon::Question) != MsgAnswer::Yes)
        return std::nullopt;
    const QString path =
        Get_SaveFileName(dialogs, parent, SaveDialog::Pdf, t::PdfFilter.pick(english), pdfBase, now,
                         QStringLiteral(".pdf"));
    if (path.isEmpty())
        return std::nullopt;
    const BusyCursor busy;
    return PrintDone{printIntoPdf(path, print), QDir::toNativeSeparators(path)};
}

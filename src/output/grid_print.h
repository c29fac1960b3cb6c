#pragma once

#include <QString>
#include <functional>

class Dialogs;
struct Switches;
class LogGridModel;
class QPainter;
class QPrinter;
class QWidget;

// The print dialog for the listing: one copy, no printing into a file. True
// when the operator confirmed it; the printer then carries the choice.
bool Show_PrinterDialog(Dialogs& dialogs, QWidget* parent, QPrinter& printer);

struct PrintOutcome {
    enum class Failure {
        None,
        NoPrinter,  // no printer chosen, or it could not be opened
        Stopped,    // the printer failed while the listing was printed
        Refused,    // the print queue did not accept the job (detail says why)
        NotWritten, // the file printed into could not be written (detail says why; "": not whole)
    };
    Failure failure = Failure::None;
    QString detail;
    int pages = 0;
    bool ok() const { return failure == Failure::None; }
};

// Why a print failed, in the language of the switches.
QString printFailureText(const PrintOutcome& outcome, const Switches& sw);

// Opens the chosen printer, lets `paint` draw every page (false: a page
// could not be started), ends the document, which hands it to the printer,
// and tells how that went; the pages are left for the caller to count.
PrintOutcome printOn(QPrinter& printer, const std::function<bool(QPainter&)>& paint);

// Runs `print` on a printer that writes a PDF file at `path`. The file
// appears only once it is complete: it is written beside the path and then
// takes its place, so a failure leaves an existing file as it was.
PrintOutcome printIntoPdf(const QString& path, const std::function<PrintOutcome(QPrinter&)>& print);

// Prints the listing of print_lines in the printer's default font at 12
// points, starting a new page when one is full, and ends the document, which
// hands it to the printer.
PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer);

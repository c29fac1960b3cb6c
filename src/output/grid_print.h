#pragma once

#include <QString>

class Dialogs;
class LogGridModel;
class QPrinter;
class QWidget;

// The print dialog for the listing: one copy, no printing into a file. True
// when the operator confirmed it; the printer then carries the choice.
bool Show_PrinterDialog(Dialogs& dialogs, QWidget* parent, QPrinter& printer);

struct PrintOutcome {
    enum class Failure {
        None,
        NoPrinter, // no printer chosen, or it could not be opened
        Stopped,   // the printer failed while the listing was printed
        Refused,   // the print queue did not accept the job (detail says why)
    };
    Failure failure = Failure::None;
    QString detail;
    int pages = 0;
    bool ok() const { return failure == Failure::None; }
};

// Prints the listing of print_lines in the printer's default font at 12
// points, starting a new page when one is full, and ends the document, which
// hands it to the printer.
PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer);

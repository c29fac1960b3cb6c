#pragma once

#include "output/printing.h"

#include <QString>
#include <functional>
#include <optional>

class Dialogs;
class QDateTime;
class QPrinter;
class QWidget;

// A print that ran, and where it went: the printer's name, or the PDF file's path.
struct PrintDone {
    PrintOutcome outcome;
    QString printedOn;
};

// A window's print command up to the print itself: the print dialog (one copy, no printing into
// a file) where the system offers a print queue; where it has none, the question whether to print
// into a PDF file instead (in a box titled `title`) and the save dialog for its name (`pdfBase`,
// the time stamp, ".pdf"). Runs `print` on the printer chosen, under the busy pointer. Nothing
// when the operator cancelled.
std::optional<PrintDone> printWhereChosen(Dialogs& dialogs, QWidget* parent, bool english,
                                          const QString& title, const QString& pdfBase,
                                          const QDateTime& now,
                                          const std::function<PrintOutcome(QPrinter&)>& print);

#pragma once

#include <QFont>
#include <QString>
#include <functional>

class Dialogs;
struct Switches;
class QPainter;
class QPrinter;
class QWidget;

// The print dialog: one copy, no printing into a file. True
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

// The font of what the program prints or writes as PDF: DejaVu Sans for
// Latin text and IPA Gothic (Debian package fonts-ipafont-gothic) for the
// Japanese, fixed pitch for the listing or IPA P Gothic, proportional, for a
// report. Each IPA glyph stands for one character, so the PDF's text gives 月
// and 日 as shown: a PDF maps a glyph back to the lowest character drawn with
// it, and fonts that draw the Kangxi radicals ⽉ ⽇ with the glyphs of 月 日
// gave the radicals to text search and copy.
QFont printFont(bool proportional = false);

#include "output/printing.h"

#include "base/dialogs.h"
#include "base/switches.h"
#include "base/texts/output.h"
#include "output/print_queue_status.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace t = texts::output;

QFont printFont(bool proportional)
{
    QFont font;
    // Latin from DejaVu Sans, the rest from IPA Gothic: one font for both made
    // the CUPS PDF printer's conversion draw some Latin letters as pictures.
    font.setFamilies({QStringLiteral("DejaVu Sans"),
                      proportional ? QStringLiteral("IPAPGothic") : QStringLiteral("IPAGothic")});
    return font;
}

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
    case PrintOutcome::Failure::NotWritten:
        return outcome.detail.isEmpty() ? t::FileIncomplete.in(sw)
                                        : t::FileNotWritten.in(sw).arg(outcome.detail);
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

PrintOutcome printIntoPdf(const QString& path, const std::function<PrintOutcome(QPrinter&)>& print)
{
    PrintOutcome outcome;
    const auto notWritten = [&outcome](const QString& why) {
        outcome.failure = PrintOutcome::Failure::NotWritten;
        outcome.detail = why;
        return outcome;
    };
    QTemporaryFile part(path + QStringLiteral(".XXXXXX"));
    if (!part.open())
        return notWritten(part.errorString());
    part.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quarvenix"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part.fileName());
    outcome = print(printer);
    if (!outcome.ok())
        return outcome;
    // Qt's PDF output does not report a failed write; a complete file ends so.
    if (!part.open() || !part.seek(qMax<qint64>(0, part.size() - 64)) ||
        !part.read(64).trimmed().endsWith("%%EOF"))
        return notWritten(part.error() != QFileDevice::NoError ? part.errorString() : QString());
    // Readable as any new file of the user's (a temporary file is private),
    // or as the file it replaces; on the disk before it replaces anything.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool permitted = QFileInfo::exists(path)
                               ? part.setPermissions(QFileInfo(path).permissions())
                               : ::fchmod(part.handle(), 0666 & ~mask) == 0;
    if (!permitted || ::fsync(part.handle()) != 0)
        return notWritten(QString::fromLocal8Bit(std::strerror(errno)));
    part.close();
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return notWritten(QString::fromLocal8Bit(std::strerror(errno)));
    part.setAutoRemove(false);
    return outcome;
}

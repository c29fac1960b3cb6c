#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// A private CUPS scheduler for one test process, with one queue that writes PDF files through the
// cups-pdf backend. Its configuration, spool, logs, socket and PDF files live in a temporary
// folder; CUPS_SERVER points this process (and the CUPS tools it runs) at its socket, so the
// machine's own CUPS set-up is neither used nor changed, also when the scheduler cannot be started
// (then the process sees no queue at all). Set CUPS_SERVER before anything in the process talks to
// CUPS: the CUPS library reads it once.
//
// cups-pdf runs as root and reads the settings of a queue from /etc/cups/cups-pdf-<instance>.conf:
// that one file is written for the queue's output folder and removed again with the queue.
class PdfPrintQueue {
public:
    PdfPrintQueue() : error_(start()) {}
    ~PdfPrintQueue(); // not copied: it owns the scheduler process

    // Why the queue could not be set up; "" when it is ready.
    const QString& error() const { return error_; }
    // The queue's name; it is the scheduler's default printer.
    static QString name() { return QStringLiteral("QuarvenixPdf"); }

    // Adds the queue, or takes it away, leaving the scheduler without any queue.
    bool setInstalled(bool installed) const;

    // Runs a CUPS tool (lpadmin, lpstat, cupsreject, ...) on this scheduler;
    // its output, nothing when it failed.
    std::optional<QString> run(const QString& program, const QStringList& args) const;
    // Waits until no job is left in the queue; the PDF files written so far.
    QStringList waitForPdfs(int timeoutMs) const;

    // The end of the scheduler's error log, to tell why a job failed.
    QString logTail() const;

private:
    QString start();

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString instance_;     // the queue's cups-pdf instance
    QString instanceConf_; // /etc/cups/cups-pdf-<instance>.conf
    QString error_;        // last: start() sets up the members above
};

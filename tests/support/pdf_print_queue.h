#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// A private CUPS scheduler for one test process, with one queue writing PDF files through cups-pdf;
// all its files live in a temporary folder. CUPS_SERVER points this process and its CUPS tools at
// it, so the machine's CUPS is neither used nor changed (without a scheduler no queue is seen); set
// it before anything talks to CUPS, which reads it once. cups-pdf reads a queue's settings from
// /etc/cups/cups-pdf-<instance>.conf: that one file is written for the queue and removed with it.
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

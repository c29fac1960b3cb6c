#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// A private CUPS scheduler for one test process, with one queue, its default printer, that
// prints into /dev/null. Its configuration, spool, logs and socket live in a temporary folder;
// CUPS_SERVER points this process (and the CUPS tools it runs) at its socket, so the machine's
// own CUPS set-up is neither used nor changed. Make it before anything in the process talks to
// CUPS: the CUPS library reads CUPS_SERVER once.
class PrintQueue {
public:
    PrintQueue() { error_ = start(); }
    ~PrintQueue()
    {
        cupsd_.terminate(); // killed when it lingers
        cupsd_.waitForFinished(10000);
    }
    PrintQueue(const PrintQueue&) = delete;
    PrintQueue& operator=(const PrintQueue&) = delete;

    // Why the queue could not be set up; "" when it is ready.
    const QString& error() const { return error_; }
    static QString name() { return QStringLiteral("QuarvenixQueue"); }
    // Runs a CUPS tool (lpadmin, lpstat, cupsreject, ...) on this scheduler; its output, nothing
    // when it failed.
    static std::optional<QString> run(const QString& program, const QStringList& args);

private:
    QString start();

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString error_;
};

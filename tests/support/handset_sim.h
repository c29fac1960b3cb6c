#pragma once

#include "comm/read_command.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

// The handset simulator (tools/handset-sim) run by a test: a handset on a
// pseudo-terminal, linked where the test asks, logging what it receives.
class HandsetSim {
public:
    HandsetSim() { process_.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~HandsetSim()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }

    // Starts the simulator linked at `link`, sending `hex` when given instead
    // of generated records. Returns once the device and the link exist.
    bool start(QStringList args, const QString& link, const QString& hex = {})
    {
        if (!hex.isEmpty()) {
            QFile f(dir_.filePath(QStringLiteral("stream.hex")));
            if (!f.open(QIODevice::WriteOnly) || f.write(hex.toLatin1()) != hex.size())
                return false;
            args << QStringLiteral("--hex-file") << f.fileName();
        }
        args << QStringLiteral("--link") << link << QStringLiteral("--log") << logPath();
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/handset-sim"),
                       args);
        if (!process_.waitForStarted(5000))
            return false;
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(5000))
                return false;
        }
        return !process_.readLine().trimmed().isEmpty(); // the device path
    }

    QString log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // How many times the handset received the byte ('A', 'C').
    int received(char byte) const
    {
        return int(log().count(QStringLiteral("received '%1'").arg(QLatin1Char(byte))));
    }

private:
    QString logPath() const { return dir_.filePath(QStringLiteral("handset.log")); }
    QTemporaryDir dir_;
    QProcess process_;
};

// The main window's part in a read: a real button and indicator, and
// callbacks that count what the read asked of the window.
struct ReadHarness {
    ReadHarness()
    {
        indicator->hide();
        window.show();
    }

    ReadUi ui()
    {
        return {button, indicator, [this] { ++clearCalls; }, [this] { ++searchCalls; },
                [this] {
                    ++portWindowCalls;
                    if (onPortWindow)
                        onPortWindow();
                }};
    }

    QWidget window;
    QPushButton* button = new QPushButton(QStringLiteral("読　込"), &window);
    QLabel* indicator = new QLabel(QStringLiteral("読込み中"), &window);
    int clearCalls = 0;
    int searchCalls = 0;
    int portWindowCalls = 0;
    std::function<void()> onPortWindow;
};

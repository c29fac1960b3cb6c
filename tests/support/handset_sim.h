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
    ~HandsetSim() { stop(); }
    HandsetSim(const HandsetSim&) = delete;
    HandsetSim& operator=(const HandsetSim&) = delete;

    // Starts the simulator with the options, linked at `link` when given.
    // Returns once the device exists (and the link with it).
    bool start(QStringList args, const QString& link = {})
    {
        if (!link.isEmpty())
            args << QStringLiteral("--link") << link;
        args << QStringLiteral("--log") << logPath();
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/handset-sim"),
                       args);
        if (!process_.waitForStarted(5000))
            return false;
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(5000))
                return false;
        }
        device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return !device_.isEmpty();
    }

    // Ends the simulator (its link goes with it).
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }

    bool waitForExit(int ms) { return process_.waitForFinished(ms); }
    QString device() const { return device_; }
    QString logPath() const { return dir_.filePath(QStringLiteral("handset.log")); }

    QString log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // How many times the handset received the byte (logged as 'A', 'C').
    int received(char byte) const
    {
        return static_cast<int>(
            log().count(QStringLiteral("received '%1'").arg(QLatin1Char(byte))));
    }

    // Writes a hexadecimal stream for --hex-file and returns its path.
    QString hexFile(const QString& hex, const QString& name = QStringLiteral("stream.hex")) const
    {
        QFile f(dir_.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(hex.toLatin1());
        return f.fileName();
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString device_;
};

// The main window's part in a read: a real button and indicator, and
// callbacks that count what the read asked of the window.
struct ReadHarness {
    ReadHarness()
    {
        button = new QPushButton(QStringLiteral("読　込"), &window);
        button->setObjectName(QStringLiteral("Cmd_Read"));
        indicator = new QLabel(QStringLiteral("読込み中"), &window);
        indicator->setObjectName(QStringLiteral("Txt_Yomi"));
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
    QPushButton* button;
    QLabel* indicator;
    int clearCalls = 0;
    int searchCalls = 0;
    int portWindowCalls = 0;
    std::function<void()> onPortWindow;
};

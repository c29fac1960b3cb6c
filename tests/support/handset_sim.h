#pragma once

#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// The handset simulator (tools/handset-sim) on a pseudo-terminal linked where
// the test asks, logging what it receives.
class HandsetSim {
public:
    ~HandsetSim()
    {
        process_.terminate(); // removes its link; QProcess kills it if it lingers
        process_.waitForFinished(3000);
    }

    // Starts the simulator, sending `hex` instead of generated records when
    // given. Returns once the device and the link exist.
    bool start(QStringList args, const QString& link, const QString& hex = {})
    {
        if (!hex.isEmpty()) {
            QFile f(dir_.filePath(QStringLiteral("stream.hex")));
            if (!f.open(QIODevice::WriteOnly) || f.write(hex.toLatin1()) != hex.size())
                return false;
            args << QStringLiteral("--hex-file") << f.fileName();
        }
        args << QStringLiteral("--link") << link << QStringLiteral("--log") << logPath();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationDirPath() + "/handset-sim", args);
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(5000))
                return false;
        return !process_.readLine().trimmed().isEmpty(); // the device path
    }
    QString log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // When the handset received 'A' or 'C', in seconds since it started.
    QList<double> receivedAt(char byte) const
    {
        QList<double> at;
        const QString what = QStringLiteral("received '%1'").arg(QLatin1Char(byte));
        for (const QString& line : log().split(u'\n'))
            if (line.contains(what))
                at << line.trimmed().section(u' ', 0, 0).toDouble();
        return at;
    }
    // The bytes sent when the log says `what` ("stopped after", "sent all"); 0 when it does not.
    qint64 sentWhen(const QString& what) const
    {
        return log().section(what + u' ', 1).section(u' ', 0, 0).toLongLong();
    }

private:
    QString logPath() const { return dir_.filePath(QStringLiteral("handset.log")); }
    QTemporaryDir dir_;
    QProcess process_;
};

// Every message shown, as "title|text|icon" (0 none, 2 exclamation), "+YesNo" unless only OK.
inline QStringList shown(const ScriptedDialogs& d)
{
    QStringList out;
    for (const auto& m : d.messages)
        out << QStringLiteral("%1|%2|%3").arg(m.title, m.text).arg(int(m.icon)) +
                   QLatin1String(m.buttons == MsgButtons::Ok ? "" : "+YesNo");
    return out;
}

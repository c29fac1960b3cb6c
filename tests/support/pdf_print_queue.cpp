#include "support/pdf_print_queue.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace {

bool writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

QString PrintQueue::start()
{
    const QDir root(dir_.path());
    for (const char* sub : {"spool", "tmp", "cache", "state", "log"})
        root.mkpath(QString::fromLatin1(sub));
    // The scheduler's filters run as user lp: they must reach the spool folder and write their
    // temporary files.
    chmod(QFile::encodeName(root.path()).constData(), 0755);
    chmod(QFile::encodeName(root.filePath("tmp")).constData(), 01777);
    const QString socket = root.filePath("cups.sock");
    if (!writeFile(root.filePath("cupsd.conf"),
                   QStringLiteral("Listen %1\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                  "LogLevel info\n<Location />\n  Order allow,deny\n  Allow all\n"
                                  "</Location>\n<Policy default>\n  <Limit All>\n"
                                  "    Order deny,allow\n  </Limit>\n</Policy>\n")
                       .arg(socket)) ||
        !writeFile(root.filePath("cups-files.conf"),
                   QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                  "CacheDir %1/cache\nStateDir %1/state\n"
                                  "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                  "PageLog %1/log/page_log\nPrintcap %1/printcap\n"
                                  "SystemGroup root\n")
                       .arg(root.path())))
        return QStringLiteral("cannot write the scheduler's configuration");

    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    // The administration tools live in /usr/sbin, which not every PATH has.
    qputenv("PATH", "/usr/sbin:/usr/bin:" + qgetenv("PATH"));
    // The scheduler ends with this process, however it ends.
    cupsd_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start("cupsd",
                 {"-f", "-c", root.filePath("cupsd.conf"), "-s", root.filePath("cups-files.conf")});
    if (!cupsd_.waitForStarted(10000))
        return QStringLiteral("cupsd did not start (package cups): ") + cupsd_.errorString();
    const QDeadlineTimer ready(20000);
    while (!run("lpstat", {"-r"}).value_or("").contains(QLatin1String("scheduler is running"))) {
        if (cupsd_.state() == QProcess::NotRunning || ready.hasExpired())
            return QStringLiteral("cupsd is not answering: ") +
                   QString::fromLocal8Bit(cupsd_.readAll());
        QThread::msleep(100);
    }
    if (!run("lpadmin", {"-p", name(), "-E", "-v", "file:/dev/null"}) ||
        !run("lpadmin", {"-d", name()}))
        return QStringLiteral("lpadmin could not add the queue");
    return {};
}

std::optional<QString> PrintQueue::run(const QString& program, const QStringList& args)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

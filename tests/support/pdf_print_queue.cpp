#include "support/pdf_print_queue.h"
#include "support/test_db.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

} // namespace

PdfPrintQueue::~PdfPrintQueue()
{
    // A clean end first; the QProcess kills what is still running when it goes.
    cupsd_.terminate();
    cupsd_.waitForFinished(10000);
    if (!instanceConf_.isEmpty())
        QFile::remove(instanceConf_);
}

QString PdfPrintQueue::start()
{
    if (!dir_.isValid())
        return QStringLiteral("no temporary folder");
    const QDir root(dir_.path());
    const QString socket = root.filePath("cups.sock");
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    if (geteuid() != 0)
        return QStringLiteral("the cups-pdf backend and its settings in /etc/cups need root");
    for (const QString& needed : {kCupsd, kBackend, kPpd})
        if (!QFileInfo::exists(needed))
            return needed + QStringLiteral(" is missing (packages cups, printer-driver-cups-pdf)");
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "pdf"})
        root.mkpath(QString::fromLatin1(sub));
    // The scheduler's filters run as user lp: they must reach the spool folder
    // and write their temporary files.
    chmod(QFile::encodeName(root.path()).constData(), 0755);
    chmod(QFile::encodeName(root.filePath("tmp")).constData(), 01777);
    const bool written =
        writeFile(root.filePath("cupsd.conf"),
                  QStringLiteral("Listen %1\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                 "LogLevel info\n<Location />\n  Order allow,deny\n  Allow all\n"
                                 "</Location>\n<Policy default>\n  <Limit All>\n"
                                 "    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket)
                      .toUtf8()) &&
        writeFile(root.filePath("cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                 "CacheDir %1/cache\nStateDir %1/state\n"
                                 "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                 "PageLog %1/log/page_log\nPrintcap %1/printcap\n"
                                 "SystemGroup root\n")
                      .arg(root.path())
                      .toUtf8());
    if (!written)
        return QStringLiteral("cannot write the scheduler's configuration");

    // The scheduler ends with this process, however it ends.
    cupsd_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(kCupsd,
                 {"-f", "-c", root.filePath("cupsd.conf"), "-s", root.filePath("cups-files.conf")});
    if (!cupsd_.waitForStarted(10000))
        return QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
    const QDeadlineTimer ready(20000);
    while (!run("lpstat", {"-r"}).value_or("").contains(QLatin1String("scheduler is running"))) {
        if (cupsd_.state() == QProcess::NotRunning || ready.hasExpired())
            return QStringLiteral("cupsd is not answering: ") +
                   QString::fromLocal8Bit(cupsd_.readAll()) + logTail();
        QThread::msleep(100);
    }

    // The queue's cups-pdf settings: PDF files into our folder, its own spool.
    instance_ = QStringLiteral("quarvenix-test-%1").arg(getpid());
    instanceConf_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(instance_);
    if (!writeFile(instanceConf_,
                   QStringLiteral("Out %1\nSpool %2\nLog %3\n")
                       .arg(root.filePath("pdf"), root.filePath("pdf-spool"), root.filePath("log"))
                       .toUtf8())) {
        instanceConf_.clear();
        return QStringLiteral("cannot write the cups-pdf settings in /etc/cups");
    }
    if (!setInstalled(true))
        return QStringLiteral("lpadmin could not add the queue") + logTail();
    return {};
}

bool PdfPrintQueue::setInstalled(bool installed) const
{
    if (!installed)
        return run("lpadmin", {"-x", name()}).has_value();
    // The PDF from Qt is turned into PostScript for cups-pdf; pdftocairo keeps the
    // text readable (the default renderer turns glyphs into unnamed Type 3 fonts).
    return run("lpadmin", {"-p", name(), "-E", "-v", "cups-pdf:/" + instance_, "-P", kPpd, "-o",
                           "pdftops-renderer-default=pdftocairo"}) &&
           run("lpadmin", {"-d", name()});
}

std::optional<QString> PdfPrintQueue::run(const QString& program, const QStringList& args) const
{
    // The administration tools live in /usr/sbin, which not every PATH has.
    QProcess tool;
    tool.start(QStandardPaths::findExecutable(program, {"/usr/sbin", "/usr/bin"}), args);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

QStringList PdfPrintQueue::waitForPdfs(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && !run("lpstat", {"-o", name()}).value_or("x").isEmpty())
        QThread::msleep(200);
    QStringList pdfs;
    for (const QFileInfo& f : QDir(dir_.filePath("pdf")).entryInfoList({"*.pdf"}, QDir::Files))
        pdfs << f.filePath();
    return pdfs;
}

QString PdfPrintQueue::logTail() const
{
    return "\n" + QString::fromLocal8Bit(fileBytes(dir_.filePath("log/error_log")).right(2000));
}

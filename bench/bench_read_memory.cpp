// A handset that never stops, sending as fast as the terminal takes it, read
// through the handset reader on the serial port as the program opens it:
// every byte decoded and every record stored while receiving. Resident
// memory is printed after 10 s and 60 s of reception (it must stay flat),
// with the bytes received. The baseline is a bare QSerialPort readAll loop
// on the same handset that throws the bytes away: its memory and
// throughput, and the ratios.
#include "comm/handset_reader.h"
#include "comm/serial_port.h"
#include "db/database.h"
#include "support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaEnum>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kBaselineSeconds = 10;
constexpr int kFirstLookSeconds = 10;
constexpr int kReadSeconds = 60;

void fail(const char* what)
{
    std::fprintf(stderr, "bench_read_memory: %s\n", what);
    std::exit(1);
}

// Runs the event loop for `ms` milliseconds.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double megabytes(qint64 bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

struct Figures {
    long rssKb;
    qint64 bytes;
    double seconds;
    double rate() const { return megabytes(bytes) / seconds; }
};

// The bare loop: "A", then every byte read and dropped, then "C".
Figures bareReadAll(const QString& device)
{
    QSerialPort port;
    port.setPortName(device);
    if (!port.open(QIODevice::ReadWrite))
        fail("the handset's terminal cannot be opened");
    qint64 bytes = 0;
    QObject::connect(&port, &QSerialPort::readyRead, [&] { bytes += port.readAll().size(); });
    port.write("A", 1);
    port.flush();
    QElapsedTimer clock;
    clock.start();
    runFor(kBaselineSeconds * 1000);
    const Figures figures{bench::residentKb(), bytes, clock.elapsed() / 1000.0};
    port.write("C", 1);
    port.flush();
    runFor(300);
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    // The program's kind of application, so the memory figures compare with the program's.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("QuarvenixDB.db"));
    bench::createDeliveredDb(dbPath);

    // The handset: generated records for ever, as fast as they are taken.
    const QString link = dir.filePath(QStringLiteral("COM1"));
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/handset-sim"),
              {"--endless", "--fast", "--link", link, "--log", dir.filePath("handset.log")});
    while (!sim.canReadLine()) {
        if (!sim.waitForReadyRead(5000))
            fail("the handset simulator did not start");
    }

    const Figures bare = bareReadAll(link);
    std::printf("baseline: bare QSerialPort readAll loop, %d s: %.1f MB received, %.1f MB/s, "
                "RSS %ld kB\n",
                kBaselineSeconds, megabytes(bare.bytes), bare.rate(), bare.rssKb);
    std::fflush(stdout);

    Database db;
    db.open(dbPath);
    QSerialPort port;
    short number = 1;
    if (!Com_Open(port, number, dir.path()))
        fail("the handset's port cannot be opened");
    HandsetReader reader(db, systemClock());
    HandsetReader::Outcome read;
    QEventLoop ending;
    QObject::connect(&reader, &HandsetReader::finished, [&](const HandsetReader::Outcome& outcome) {
        read = outcome;
        ending.quit();
    });
    const long startKb = bench::residentKb();
    QElapsedTimer clock;
    reader.start(port);
    runFor(ReadTimings{}.startWaitMs);
    clock.start();

    runFor(kFirstLookSeconds * 1000);
    const Figures first{bench::residentKb(), reader.bytesReceived(), clock.elapsed() / 1000.0};
    runFor((kReadSeconds - kFirstLookSeconds) * 1000);
    const Figures last{bench::residentKb(), reader.bytesReceived(), clock.elapsed() / 1000.0};

    QTimer::singleShot(30000, &ending, &QEventLoop::quit);
    reader.stop(); // the handset obeys "C"
    ending.exec();
    if (reader.running())
        fail("the read did not end after the stop");

    std::printf("handset reader, endless stream (RSS %ld kB before the read):\n", startKb);
    for (const auto& [seconds, f] : {std::pair{kFirstLookSeconds, first}, {kReadSeconds, last}})
        std::printf("  after %2d s: RSS %ld kB, %.1f MB received, %.2f MB/s\n", seconds, f.rssKb,
                    megabytes(f.bytes), f.rate());
    std::printf("  RSS growth from 10 s to 60 s: %+ld kB (%.1f MB more received)\n",
                last.rssKb - first.rssKb, megabytes(last.bytes - first.bytes));
    const DecodeOutcome& figures = read.figures;
    std::printf("  records: %d received, %d stored, %d already stored, %d invalid; %s\n",
                figures.records, figures.stored, figures.duplicates, figures.invalid,
                QMetaEnum::fromType<HandsetReader::Ending>().valueToKey(int(read.ending)));
    std::printf("ratio handset reader / bare loop: throughput %.3f, RSS at 60 s %.2f\n",
                last.rate() / bare.rate(),
                static_cast<double>(last.rssKb) / static_cast<double>(bare.rssKb));
    sim.terminate();
    sim.waitForFinished(3000);
    return figures.ok() ? 0 : 1;
}

// The handset reader and the read command against the simulator on a pseudo-terminal.
#include "base/texts/comm.h"
#include "base/texts/main.h"
#include "comm/handset_reader.h"
#include "comm/serial_port.h"
#include "comm_window/frm_com.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "support/handset_sim.h"
#include "support/services.h"
#include "support/test_db.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTest>
#include <QtWidgets>
#include <sqlite3.h>

namespace {

using State = HandsetReader::State;

template <class Enum> QString key(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(int(value)));
}

const char* const kFull = "CREATE TRIGGER Full BEFORE INSERT ON Log_Data "
                          "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END";
const QString kStoreFailed =
    "読込み|" + texts::handset_read::StoreFailed.ja_().arg("database or disk is full") + "|2";

// Complete records in the first `bytes` of a stream without alcohol fields (4 + 13 a record).
qint64 completeRecords(qint64 bytes)
{
    return (bytes - 4) / 13;
}

bool startSim(HandsetSim& sim, const TestApp& app, const QString& args, const QString& hex = {})
{
    return sim.start(args.split(u' ', Qt::SkipEmptyParts), app.ctx.appDir + "/COM1", hex);
}

// A reader on the handset's port: its progress reports and how its read ended.
struct Reading : TestApp {
    explicit Reading(ReadTimings timings = {50, 300, 300}) : reader(db, ctx.now, timings)
    {
        QObject::connect(&reader, &HandsetReader::progress, [this] { ++reports; });
        QObject::connect(&reader, &HandsetReader::finished, [this](const auto& outcome) {
            last = outcome;
            ++ends;
        });
    }
    bool read(const QString& args, const QString& hex = {}) // to its end
    {
        short port = 1;
        return startSim(sim, *this, args, hex) && Com_Open(device, port, ctx.appDir) &&
               reader.start(device) && QTest::qWaitFor([&] { return ends > 0; }, 20000);
    }
    // How the last read ended and what it stored; the "A" and "C" the handset received.
    QString outcome() const
    {
        const DecodeOutcome& f = last.figures;
        return key(last.ending) +
               QString::asprintf(": %d records, %d stored, %d already, %d invalid / A%d C%d",
                                 f.records, f.stored, f.duplicates, f.invalid,
                                 int(sim.receivedAt('A').size()), int(sim.receivedAt('C').size()));
    }

    HandsetReader reader;
    QSerialPort device;
    HandsetSim sim;
    int reports = 0;
    HandsetReader::Outcome last;
    int ends = 0;
};

// The loaded main window, the handset behind COM1. The read controls are noted at each state of
// a read, and once the window is done with it.
struct MainSession : TestApp {
    MainSession()
    {
        w.Form_Load();
        QObject::connect(&reader(), &HandsetReader::stateChanged,
                         [this](State s) { faces << key(s) + ' ' + face(); });
        QObject::connect(&reader(), &HandsetReader::finished, [this] { faces << "end " + face(); });
    }
    QString face() const
    {
        const QPushButton* b = w.Cmd_Read;
        return b->text() + (b->isEnabled() ? " usable" : " disabled") +
               (w.M_Read->isEnabled() == b->isEnabled() ? "" : " but the menu not") +
               (w.Txt_Yomi->isHidden() ? "" : " lit") +
               (QApplication::overrideCursor() ? " busy" : "");
    }
    HandsetReader& reader() { return *w.findChild<HandsetReader*>(); }
    QSerialPort& port() { return *w.findChild<QSerialPort*>("MSCM"); }
    bool readToEnd()
    {
        w.Cmd_Read->click();
        return QTest::qWaitFor(
            [&] { return faces.size() > 1 && faces.constLast().startsWith("end"); }, 120000);
    }

    Frm_Main w{ctx};
    HandsetSim sim;
    QStringList faces;
};

// Runs `call` at every row the database inserts into Log_Data, inside the storing.
void watchInserts(Database& db, std::function<void()>& call)
{
    const auto run = [](sqlite3_context* context, int, sqlite3_value**) {
        (*static_cast<std::function<void()>*>(sqlite3_user_data(context)))();
    };
    QCOMPARE(sqlite3_create_function(db.sqliteHandle(), "watch_insert", 0, SQLITE_UTF8, &call, run,
                                     nullptr, nullptr),
             SQLITE_OK);
    db.execute(
        "CREATE TEMP TRIGGER Watch AFTER INSERT ON Log_Data BEGIN SELECT watch_insert(); END");
}

} // namespace

class TestSerialRead : public QObject {
    Q_OBJECT
private slots:
    void readStoresWhatArrives_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("realWaits"); // two seconds before "A", a second's silence
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("lastRow"); // Unit_SN|Data_No|Date|Log_No|Alcohol|Tani
        const auto row = [](const char* name, const char* args, const QString& hex,
                            const char* figures, const char* lastRow, bool realWaits = false) {
            QTest::newRow(name) << args << hex << realWaits << QString(figures) << lastRow;
        };
        row("preamble at 9600 baud", "--records 60 --preamble", {},
            "Received: 60 records, 60 stored, 0 already, 0 invalid / A1 C0",
            "0080|0059|2024-04-06 06:28:43|9|0.718|02"); // every third record measures
        // A preamble ending in 0A: one byte more or less kept shifts every field.
        row("preamble ending in 0A", "--fast",
            "02" + QString("50").repeated(26) + "0A0A00800A00240A2404010A0000240A210A",
            "Received: 1 records, 1 stored, 0 already, 0 invalid / A1 C0",
            "0080|0024|2024-04-01 00:00:24|21||");
        row("silent handset, C after three seconds", "--silent", {},
            "NoCommunication: 0 records, 0 stored, 0 already, 0 invalid / A1 C1", "", true);
    }

    void readStoresWhatArrives()
    {
        QFETCH(QString, args);
        QFETCH(QString, hex);
        QFETCH(bool, realWaits);
        QFETCH(QString, outcome);
        QFETCH(QString, lastRow);
        Reading r(realWaits ? ReadTimings{} : ReadTimings{50, 300, 300});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(r.read(args, hex));
        const qint64 ms = clock.elapsed();
        QVERIFY2(!realWaits || (ms >= 2950 && ms < 30000), qPrintable(QString::number(ms)));
        QTRY_COMPARE(r.outcome(), outcome);
        const QList<double> a = r.sim.receivedAt('A'), c = r.sim.receivedAt('C');
        QVERIFY(c.isEmpty() || c[0] - a[0] >= 0.95); // "C" after a second without an answer
        const QString rows = "SELECT Unit_SN, Data_No, Date, Log_No, Alcohol, Tani FROM Log_Data";
        QCOMPARE(rowTexts(r.db, rows + " ORDER BY rowid DESC").value(0), lastRow);
        // Progress is told while the answer arrives, a few times a second at most.
        QVERIFY2((r.reports > 0) == r.last.answered && r.reports <= ms / 200 + 1,
                 qPrintable(QString::number(r.reports)));
    }

    // A real, small file system fills up during the read: the rows stored before stay, the file
    // stays sound, the handset is stopped.
    void diskFullEndsTheRead()
    {
        Reading r({50, 300, 300, 3000, 200});
        const QString mount = r.dir.filePath("small"), path = mount + "/QuarvenixDB.db";
        const QString size = QString("size=%1k").arg(QFileInfo(r.dbPath()).size() / 1024 + 384);
        QVERIFY(QDir().mkpath(mount));
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", size, "tmpfs", mount}) != 0)
            QVX_SERVICE_MISSING("a small tmpfs cannot be mounted here (root only)");
        const auto unmount = qScopeGuard([&] {
            r.db.close();
            QProcess::execute("umount", {mount});
        });
        QVERIFY(QFile::copy(r.dbPath(), path));
        r.db.open(path);
        QVERIFY(r.read("--records 40000 --alcohol 0 --rate 40000"));
        const qint64 kept = r.count("Log_Data");
        QVERIFY2(kept > 0 && kept < 40000, qPrintable(QString::number(kept)));
        QCOMPARE(key(r.last.ending) + ' ' + QString::number(r.last.figures.stored) + ' ' +
                     r.last.figures.error,
                 QString("StoreFailed %1 database or disk is full").arg(kept));
        QTRY_COMPARE(r.sim.receivedAt('C').size(), 1);
        QCOMPARE(firstColumn(r.db, "PRAGMA integrity_check"), QStringList{"ok"});
    }

    void stopWhileStoring_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("seen");    // while the first row is stored, stop() asked
        QTest::addColumn<QString>("handset"); // what its log says of the end of its sending
        const QString stopped = "Receiving, then Stopping";
        QTest::newRow("a full chunk being stored")
            << "--endless --fast --alcohol 0" << stopped << "stopped after";
        QTest::newRow("stop ignored, the handset cut off")
            << "--endless --ignore-stop --fast --alcohol 0" << stopped << "going on after";
        QTest::newRow("last records after reception") << "--records 300 --alcohol 0 --fast"
                                                      << "Storing, then Storing"
                                                      << "sent all";
    }

    void stopWhileStoring()
    {
        QFETCH(QString, args);
        QFETCH(QString, seen);
        QFETCH(QString, handset);
        Reading r({50, 300, 300, 3000, 60000});
        QString asked;
        std::function<void()> stop = [&] {
            if (!asked.isEmpty())
                return;
            asked = key(r.reader.state()) + ", then ";
            r.reader.stop();
            asked += key(r.reader.state());
        };
        watchInserts(r.db, stop);
        QVERIFY(r.read(args));
        QCOMPARE(asked, seen);
        const QString log = r.sim.log();
        QVERIFY2(log.contains(handset), qPrintable(log));
        // Every byte sent was taken and its complete records stored (one cut off goes on sending).
        const DecodeOutcome& last = r.last.figures;
        if (handset != QLatin1String("going on after")) {
            QCOMPARE(r.reader.bytesReceived(), r.sim.sentWhen(handset));
            QCOMPARE(last.duplicates, 0);
        }
        QCOMPARE(last.records, completeRecords(r.reader.bytesReceived()));
        QCOMPARE(last.stored + last.duplicates, last.records);
        QCOMPARE(key(r.last.ending), "Received");
        // A stop sends two C, 300 ms apart (the first may arrive late on a loaded machine).
        const QList<double> c = r.sim.receivedAt('C');
        QCOMPARE(c.size(), seen.startsWith("Receiving") ? 2 : 0);
        QVERIFY(c.isEmpty() || c[1] - c[0] >= 0.15);
    }

    void readThroughTheMainWindow_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("least");       // rows the read stores at least
        QTest::addColumn<QString>("message"); // %1: the rows the read stored, %2: the device
        const QString noAnswer = "読込み|ハンドセットと通信できません。",
                      check = '\n' + texts::handset_read::CheckDevice.ja_().arg("%2") + "|0";
        QTest::newRow("stopped") << "--records 400 --alcohol 0" << 20 << "読込み|受信終了|0";
        // The adapter goes away after 4 + 13 * 30 + 6 bytes: 30 records and a part.
        QTest::newRow("port lost")
            << "--records 200 --alcohol 0 --exit-after 400" << 21
            << noAnswer + '\n' + texts::handset_read::PortLostStored.ja_() + check;
        QTest::newRow("byte 29 not 0A")
            << "--records 30 --bad-preamble --fast" << 0 << noAnswer + check;
        QTest::newRow("silent handset") << "--silent" << 0 << noAnswer + check;
        QTest::newRow("store failure") << "--records 8 --fast" << 0 << kStoreFailed;
    }

    void readThroughTheMainWindow()
    {
        QFETCH(QString, args);
        QFETCH(int, least);
        QFETCH(QString, message);
        const bool stop = QTest::currentDataTag() == QLatin1String("stopped");
        const bool answered = least > 0 || message == kStoreFailed;
        MainSession s;
        s.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, WDate) VALUES "
                     "('0080', '2007-01-11 09:43:03', '0003', 41, '', '2024-01-01 00:00:00')");
        s.w.Opt_Ngh[0]->click();
        s.w.Opt_Naiyou[0]->click();
        s.w.Cmd_Find->click();
        if (message == kStoreFailed)
            s.db.execute(kFull);
        QVERIFY(startSim(s.sim, s, args));
        const QString device = QFileInfo(s.ctx.appDir + "/COM1").canonicalFilePath();
        QString duringMessage; // the status line, while the port is still open
        s.dialogs.onMessage = [&](const auto&) {
            duringMessage = s.port().isOpen() ? s.w.LB_Status->text() : "closed";
        };
        QStringList status; // the status line at the start and as records arrive
        QObject::connect(&s.reader(), &HandsetReader::stateChanged, [&](State st) {
            if (st == State::Connecting)
                status << s.w.LB_Status->text();
            if (stop && st == State::Receiving && s.faces.size() < 3)
                QTimer::singleShot(500, s.w.Cmd_Read, &QPushButton::click);
        });
        QObject::connect(&s.reader(), &HandsetReader::progress, [&](int records) {
            if (status.constLast() != s.w.LB_Status->text())
                status << s.w.LB_Status->text().replace(QString::number(records), "n");
        });
        QVERIFY(s.readToEnd());
        QCOMPARE(status.first(), texts::read_status::Connecting.ja_());
        if (stop) // half a second of the answer at 9600 baud: the count has grown
            QCOMPARE(status.mid(1, 2),
                     QStringList(2, texts::read_status::Receiving.ja_().arg("n")));

        // Busy throughout but after a stop's two "C"; "Stop" usable while the answer arrives.
        const QString faces =
            "Connecting 読　込 disabled busy | " +
            QString(answered ? "Receiving 停　止 usable lit busy | " : "") +
            (stop ? "Stopping 停　止 disabled lit busy | Draining 読　込 disabled | "
                    "Storing 読　込 disabled | Done 読　込 disabled | end 読　込 usable"
                  : "Storing 読　込 disabled busy | Done 読　込 disabled busy | end "
                    "読　込 usable");
        QCOMPARE(s.faces.join(" | "), faces);
        const qint64 stored = s.count("Log_Data") - 1;
        QVERIFY2(stored >= least, qPrintable(QString::number(stored)));
        QCOMPARE(shown(s.dialogs),
                 QStringList{message.replace("%1", QString::number(stored)).replace("%2", device)});
        // The port closes after the message; the status line tells how the read ended.
        QVERIFY(!s.port().isOpen());
        QVERIFY2(duringMessage.endsWith("— " + message.section('|', 1, 1).section('\n', 0, 0)),
                 qPrintable(duringMessage));
        // The grid was cleared, and shows every stored log after a read that was answered.
        QCOMPARE(s.w.MSFG->gridModel()->Rows(), answered ? 2 + stored : 1);
        QCOMPARE(s.w.LB_Count->text(),
                 answered ? texts::search_status::Found.ja_().arg(1 + stored) : QString());
        const QStringList read =
            firstColumn(s.db, "SELECT Details FROM Op_History WHERE Operation = 'Read'");
        QVERIFY2(read.size() == 1 && read[0].startsWith("受信 "), qPrintable(read.join('|')));
    }

    // A lock file of another program (minicom's: its process id in ASCII, nothing more) keeps the
    // read off the port; the read names the holder and leaves the lock file as it was.
    void portLockedByAnotherProgramIsNotRead()
    {
        MainSession s;
        QVERIFY(startSim(s.sim, s, "--records 5 --fast"));
        const QString device = QFileInfo(s.ctx.appDir + "/COM1").canonicalFilePath();
        QProcess holder; // the other program, alive while the read is tried
        holder.start("sleep", {"600"});
        QVERIFY(holder.waitForStarted());
        const auto stop = qScopeGuard([&] {
            holder.kill();
            holder.waitForFinished();
        });
        const QString lock = "/var/lock/LCK.." + device.mid(5).replace('/', '_');
        const QByteArray minicom = QByteArray::number(holder.processId()).rightJustified(10) + '\n';
        if (!writeFile(lock, minicom))
            QVX_SERVICE_MISSING("/var/lock is not writable here");
        const auto removeLock = qScopeGuard([&] { QFile::remove(lock); });
        const QDateTime written = QFileInfo(lock).lastModified();
        QTimer::singleShot(0, &s.w, [&] {
            if (Frm_Com* f = s.w.findChild<Frm_Com*>())
                f->Cmd_Modoru->click();
        });
        s.w.Cmd_Read->click();
        const QString pid = QString::number(holder.processId());
        QCOMPARE(shown(s.dialogs),
                 QStringList{"読込み|" + texts::com::HeldBy.ja_().arg(device, "sleep, pid " + pid) +
                             "|2"});
        QCOMPARE(s.w.LB_Status->text(), texts::read_status::NotRead.ja_().arg(
                                            texts::handset_read::PortNotOpened.ja_().arg(1)));
        QCOMPARE(fileBytes(lock), minicom);
        QCOMPARE(QFileInfo(lock).lastModified(), written);
        QVERIFY(s.sim.receivedAt('A').isEmpty());
    }

    void endDuringReadStoresWhatArrived_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("way"); // out of the program: the stop click, close, the menu
        QTest::newRow("end button while receiving") << "--records 450 --alcohol 0 --rate 4000"
                                                    << "Cmd_End";
        QTest::newRow("frame while chunks are stored") << "--records 100000 --alcohol 0 --fast"
                                                       << "close";
        QTest::newRow("menu, the last records refused") << "--records 450 --alcohol 0 --rate 4000"
                                                        << "M_End";
    }

    void endDuringReadStoresWhatArrived()
    {
        QFETCH(QString, args);
        QFETCH(QString, way);
        const bool afterCommit = way != "Cmd_End"; // pressed once records are committed
        const bool storeFails = way == "M_End";    // the last records cannot be stored
        MainSession s;
        QVERIFY(startSim(s.sim, s, args));
        s.w.Cmd_Read->click();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return s.reader().state() == State::Receiving &&
                       (afterCommit ? s.count("Log_Data") > 0 : s.reader().bytesReceived() > 200);
            },
            15000));
        const qint64 committed = s.count("Log_Data");
        QVERIFY(afterCommit || committed == 0);
        if (storeFails)
            s.db.execute(kFull);
        QObject* control = s.w.findChild<QObject*>(way); // a menu entry or a button
        QVERIFY(way == "close"
                    ? s.w.close()
                    : QMetaObject::invokeMethod(
                          control, qobject_cast<QAction*>(control) ? "trigger" : "click"));

        QCOMPARE(s.quitCalls, 1);
        QVERIFY(!s.db.isOpen() && !s.reader().running() && !s.port().isOpen());
        QCOMPARE(s.face(), "読　込 usable");
        QCOMPARE(shown(s.dialogs), storeFails ? QStringList{kStoreFailed} : QStringList{});
        const qint64 received = completeRecords(s.sim.sentWhen("stopped after"));
        QVERIFY2(received > 0, qPrintable(s.sim.log()));
        s.db.open(s.dbPath());
        const qint64 first = s.count("Log_Data");
        QCOMPARE(first, storeFails ? committed : received); // every complete record received

        // Read again: what is stored comes once, and the rest is added.
        if (storeFails)
            s.db.execute("DROP TRIGGER Full");
        s.dialogs.clear();
        const qint64 total = args.section(' ', 1, 1).toLongLong();
        QVERIFY(s.readToEnd());
        QCOMPARE(shown(s.dialogs), QStringList{"読込み|受信終了|0"});
        QCOMPARE(s.count("Log_Data"), total);
        const auto n = [](qint64 v) { return QString::number(v); };
        QCOMPARE(s.w.LB_Status->text(),
                 texts::read_status::Figures.ja_().arg(n(total), n(total - first), n(first), "0",
                                                       "0", "受信終了"));
    }
};

QVX_TEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

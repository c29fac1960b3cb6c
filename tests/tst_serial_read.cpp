// The handset reader against the handset simulator on a real pseudo-terminal,
// and the read command through the real main window.
#include "comm/frm_com.h"
#include "comm/handset_reader.h"
#include "comm/serial_port.h"
#include "grid/log_grid_model.h"
#include "grid/log_grid_view.h"
#include "main/frm_main.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

namespace {

using State = HandsetReader::State;

template <class Enum> QString key(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(int(value)));
}

const char* const kFull = "CREATE TRIGGER Full BEFORE INSERT ON Log_Data "
                          "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END";

QString storeFailed(const QString& error)
{
    return "読込み|受信したログの保存に失敗しました。\n" + error + "|2";
}

// Complete records in the first `bytes` of a stream of unit 0080 without
// alcohol fields: 4 opening bytes, then 13 bytes a record.
qint64 completeRecords(qint64 bytes)
{
    return (bytes - 4) / 13;
}

bool startSim(HandsetSim& sim, const QString& args, const QString& link, const QString& hex)
{
    return sim.start(args.split(u' ', Qt::SkipEmptyParts), link, hex);
}

// A reader on COM1 of a program folder, the handset simulator behind it: the
// states of its reads, its progress reports and how its last read ended.
struct Reading : TestApp {
    explicit Reading(ReadTimings timings = {50, 300, 300}) : reader(db, ctx.now, timings)
    {
        QObject::connect(&reader, &HandsetReader::stateChanged,
                         [this](State s) { states << key(s); });
        QObject::connect(&reader, &HandsetReader::progress, [this](int n, int) { reports << n; });
        QObject::connect(&reader, &HandsetReader::finished, [this](const auto& outcome) {
            last = outcome;
            ++ends;
        });
    }
    bool startSim(const QString& args, const QString& hex = {})
    {
        short port = 1;
        return ::startSim(sim, args, ctx.appDir + "/COM1", hex) &&
               Com_Open(device, port, ctx.appDir);
    }
    bool read() // to its end
    {
        const int before = ends;
        states.clear();
        return reader.start(device) && QTest::qWaitFor([&] { return ends > before; }, 20000);
    }
    // How the last read ended and what it stored; the "A" and "C" the handset received.
    QString outcome() const
    {
        const DecodeOutcome& f = last.figures;
        return key(last.ending) +
               QString::asprintf(": %d records, %d stored, %d already, %d invalid / A%d C%d",
                                 f.records, f.stored, f.duplicates, f.invalid, sim.received('A'),
                                 sim.received('C'));
    }

    HandsetReader reader;
    QSerialPort device;
    HandsetSim sim;
    QStringList states;
    QList<int> reports;
    HandsetReader::Outcome last;
    int ends = 0;
};

// The loaded main window on a delivered database holding one log, its search
// set to show every log, the handset on COM1 of the program folder. The read
// controls are noted at each state of a read and when the window is done with it.
struct MainSession : TestApp {
    explicit MainSession(Switches sw = {}) : TestApp(sw)
    {
        db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, WDate) VALUES "
                   "('0080', '2007-01-11 09:43:03', '0003', 41, '', '2024-01-01 00:00:00')");
        w.Form_Load();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
        w.Cmd_Find->click();
        const HandsetReader* reader = w.findChild<HandsetReader*>();
        QObject::connect(reader, &HandsetReader::stateChanged,
                         [this](State s) { faces << key(s) + ' ' + face(); });
        QObject::connect(reader, &HandsetReader::finished, [this] { faces << "end " + face(); });
    }
    QString face() const
    {
        const QPushButton* b = w.Cmd_Read;
        return b->text() + (b->isEnabled() ? " usable" : " disabled") +
               (w.M_Read->isEnabled() == b->isEnabled() ? "" : " but the menu not") +
               (w.Txt_Yomi->isHidden() ? "" : " lit") +
               (QApplication::overrideCursor() ? " busy" : "");
    }
    bool ended() const { return !faces.isEmpty() && faces.constLast().startsWith("end"); }
    QSerialPort& port() { return *w.findChild<QSerialPort*>("MSCM"); }

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
    QCOMPARE(sqlite3_create_function(db.nativeHandle(), "watch_insert", 0, SQLITE_UTF8, &call, run,
                                     nullptr, nullptr),
             SQLITE_OK);
    db.execute(
        "CREATE TEMP TRIGGER Watch AFTER INSERT ON Log_Data BEGIN SELECT watch_insert(); END");
}

} // namespace

class TestSerialRead : public QObject {
    Q_OBJECT
private slots:
    void readStoresWhatArrives_data();
    void readStoresWhatArrives();
    void silentHandsetGetsCAfterThreeSeconds();
    void vanishingPortEndsTheRead();
    void stopWhileStoring_data();
    void stopWhileStoring();
    void diskFullEndsTheRead();
    void danglingLinkIsThePort();
    void endForExitStoresWhatArrived_data();
    void endForExitStoresWhatArrived();
    void readThroughTheMainWindow_data();
    void readThroughTheMainWindow();
    void endDuringReadThroughTheMainWindow_data();
    void endDuringReadThroughTheMainWindow();
};

void TestSerialRead::readStoresWhatArrives_data()
{
    QTest::addColumn<QString>("sql"); // run before the read
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("reads");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("states");  // of the last read
    QTest::addColumn<QString>("lastRow"); // Unit_SN|Data_No|Date|Log_No|Alcohol|Tani
    const auto row = [](const char* name, const char* args, const QString& hex, int reads,
                        const char* outcome, const char* lastRow, const char* sql = "",
                        const char* states = "Connecting Receiving Storing Done") {
        QTest::newRow(name) << sql << args << hex << reads << outcome << states << lastRow;
    };
    row("9600 baud", "--records 60", {}, 1,
        "Received: 60 records, 60 stored, 0 already, 0 invalid / A1 C0",
        "0080|0059|2024-04-06 06:28:43|9|0.718|02"); // every third record measures
    // A preamble ending in 0A: one byte more or less kept shifts every field.
    row("preamble ending in 0A", "--fast",
        "02" + QStringLiteral("50").repeated(26) + "0A0A00800A00240A2404010A0000240A210A", 1,
        "Received: 1 records, 1 stored, 0 already, 0 invalid / A1 C0",
        "0080|0024|2024-04-01 00:00:24|21||");
    row("byte 29 not 0A", "--records 30 --bad-preamble --fast", {}, 1,
        "NoCommunication: 0 records, 0 stored, 0 already, 0 invalid / A1 C0", "", "",
        "Connecting Storing Done");
    row("read twice", "--records 45 --fast", {}, 2,
        "Received: 45 records, 0 stored, 45 already, 0 invalid / A2 C0",
        "0080|0044|2024-04-04 20:50:58|10|0.533|01");
    row("preamble at 9600 baud", "--records 10 --preamble", {}, 1,
        "Received: 10 records, 10 stored, 0 already, 0 invalid / A1 C0",
        "0080|0009|2024-04-01 23:18:48|11||");
    row("store failure", "--records 8 --fast", {}, 1,
        "StoreFailed: 8 records, 0 stored, 0 already, 0 invalid / A1 C0", "", kFull);
}

void TestSerialRead::readStoresWhatArrives()
{
    QFETCH(QString, sql);
    QFETCH(QString, args);
    QFETCH(QString, hex);
    QFETCH(int, reads);
    QFETCH(QString, outcome);
    QFETCH(QString, states);
    QFETCH(QString, lastRow);
    Reading r;
    if (!sql.isEmpty())
        r.db.execute(sql);
    QVERIFY(r.startSim(args, hex));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < reads; ++i)
        QVERIFY(r.read());
    QCOMPARE(r.outcome(), outcome);
    QCOMPARE(r.states.join(u' '), states);
    Recordset last = r.db.openRecordset(QStringLiteral(
        "SELECT Unit_SN || '|' || Data_No || '|' || Date || '|' || Log_No || '|' || "
        "Alcohol || '|' || ifnull(Tani, '') AS r FROM Log_Data ORDER BY rowid DESC"));
    QCOMPARE(last.eof() ? QString() : last.text(QStringLiteral("r")), lastRow);
    // Progress is told while an answer arrives, a few times a second at most.
    QCOMPARE(r.reports.isEmpty(), !r.last.answered);
    QVERIFY2(r.reports.size() <= clock.elapsed() / 200 + reads,
             qPrintable(QString::number(r.reports.size())));
}

void TestSerialRead::silentHandsetGetsCAfterThreeSeconds()
{
    Reading r(ReadTimings{}); // the real two-second wait and one-second silence
    QVERIFY(r.startSim("--silent"));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.read());
    QVERIFY2(clock.elapsed() >= 2950 && clock.elapsed() < 5000,
             qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(r.outcome(), "NoCommunication: 0 records, 0 stored, 0 already, 0 invalid / A1 C1");
    QVERIFY(r.sim.receivedAt('C').constFirst() - r.sim.receivedAt('A').constFirst() >= 0.95);
    QCOMPARE(r.states.join(u' '), "Connecting Storing Done");
}

void TestSerialRead::vanishingPortEndsTheRead()
{
    Reading r;
    // The adapter goes away after 4 + 13 * 30 + 6 bytes: 30 records and a part.
    QVERIFY(r.startSim("--records 200 --alcohol 0 --exit-after 400"));
    QVERIFY(r.read());
    // What arrived is stored (the last bytes may be lost with the terminal), and counted.
    const qint64 stored = r.count("Log_Data");
    QVERIFY2(stored > 20 && stored <= 30, qPrintable(QString::number(stored)));
    QCOMPARE(r.outcome(), QStringLiteral("PortLost: %1 records, %1 stored, 0 already, 0 invalid "
                                         "/ A1 C0")
                              .arg(stored));
}

void TestSerialRead::stopWhileStoring_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("commitMs");
    QTest::addColumn<QString>("seen");    // while the first row is stored, stop() asked
    QTest::addColumn<QString>("handset"); // what its log says of the end of its sending
    QTest::addColumn<int>("quietMs");     // from the second "C" to the end, at least
    const QString stopped = "Receiving, then Stopping";
    QTest::newRow("a full chunk being stored")
        << "--endless --fast --alcohol 0" << 60000 << stopped << "stopped after" << 300;
    QTest::newRow("records due being stored, 9600 baud")
        << "--records 400 --alcohol 0" << 300 << stopped << "stopped after" << 300;
    QTest::newRow("stop ignored, the handset cut off")
        << "--endless --ignore-stop --fast --alcohol 0" << 60000 << stopped << "going on after"
        << 3000;
    QTest::newRow("last records after reception")
        << "--records 300 --alcohol 0 --fast" << 60000 << "Storing, then Storing"
        << "sent all" << -1;
}

void TestSerialRead::stopWhileStoring()
{
    QFETCH(QString, args);
    QFETCH(int, commitMs);
    QFETCH(QString, seen);
    QFETCH(QString, handset);
    QFETCH(int, quietMs);
    Reading r({50, 300, 300, 3000, commitMs});
    QString asked;
    std::function<void()> stop = [&] {
        if (!asked.isEmpty())
            return;
        asked = key(r.reader.state()) + ", then ";
        r.reader.stop();
        asked += key(r.reader.state());
    };
    watchInserts(r.db, stop);
    QElapsedTimer quiet;
    qint64 quietFor = -1;
    QObject::connect(&r.reader, &HandsetReader::stateChanged, [&](State s) {
        if (s == State::Draining && !quiet.isValid())
            quiet.start();
        if (s == State::Storing && quiet.isValid())
            quietFor = quiet.elapsed();
    });
    QVERIFY(r.startSim(args));
    QVERIFY(r.read());
    QCOMPARE(asked, seen);
    QVERIFY2(quietFor >= quietMs, qPrintable(QString::number(quietFor)));
    const QString log = r.sim.log();
    QVERIFY2(log.contains(handset), qPrintable(log));
    // Every byte the handset sent was taken (one cut off goes on sending) and every complete
    // record in them stored; only a stream going on for seconds repeats a key.
    const DecodeOutcome& last = r.last.figures;
    if (handset != QLatin1String("going on after")) {
        QCOMPARE(r.reader.bytesReceived(),
                 log.section(handset + ' ', 1).section(' ', 0, 0).toLongLong());
        QCOMPARE(last.duplicates, 0);
    }
    QCOMPARE(last.records, completeRecords(r.reader.bytesReceived()));
    const QList<double> c = r.sim.receivedAt('C'); // a stop sends two, a wait apart
    QCOMPARE(c.size(), quietMs > 0 ? 2 : 0);
    QVERIFY(c.size() < 2 || c[1] - c[0] >= 0.29);
    QCOMPARE(r.outcome(), QStringLiteral("Received: %1 records, %2 stored, %3 already, 0 invalid "
                                         "/ A1 C%4")
                              .arg(last.records)
                              .arg(last.records - last.duplicates)
                              .arg(last.duplicates)
                              .arg(c.size()));
}

void TestSerialRead::diskFullEndsTheRead()
{
    Reading r({50, 300, 300, 3000, 200});
    // The database on a small file system of its own, with room for a few thousand rows.
    const QString mount = r.dir.filePath("small"), path = mount + "/QuarvenixDB.db";
    const QString size = QString("size=%1k").arg(QFileInfo(r.dbPath()).size() / 1024 + 384);
    QVERIFY(QDir().mkpath(mount));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", size, "tmpfs", mount}) != 0)
        QSKIP("A small tmpfs cannot be mounted here (root only): the full disk is not tried.");
    const auto unmount = qScopeGuard([&] {
        r.db.close();
        QProcess::execute("umount", {mount});
    });
    QVERIFY(QFile::copy(r.dbPath(), path));
    r.db.close();
    r.db.open(path);

    QVERIFY(r.startSim("--records 40000 --alcohol 0 --rate 40000"));
    QVERIFY(r.read());
    const qint64 kept = r.count("Log_Data");
    QVERIFY2(kept > 0 && kept < 40000, qPrintable(QString::number(kept)));
    QCOMPARE(r.last.figures.stored, kept);
    QCOMPARE(key(r.last.ending) + ' ' + r.last.figures.error,
             "StoreFailed database or disk is full");
    QTRY_COMPARE(r.sim.received('C'), 1); // the handset is stopped
    QCOMPARE(r.db.openRecordset("PRAGMA integrity_check").text("integrity_check"),
             QStringLiteral("ok"));
}

void TestSerialRead::danglingLinkIsThePort()
{
    TestApp app;
    HandsetSim sim;
    // A folder standing for /dev, its ttyS0 a working handset.
    QTemporaryDir system;
    QVERIFY(startSim(sim, "--records 5 --fast", system.filePath("ttyS0"), {}));
    const QStringList fallback{system.filePath("ttyUSB%1"), system.filePath("ttyS%1")};
    const QString appDir = app.ctx.appDir, com1 = appDir + "/COM1";
    QCOMPARE(portDevicePath(1, appDir, fallback), system.filePath("ttyS0"));
    // COM1 beside the program points at an adapter that was unplugged: it is still the port.
    QVERIFY(QFile::link(system.filePath("ttyUSB7"), com1));
    QCOMPARE(portDevicePath(1, appDir, fallback), com1);
    QSerialPort port;
    short number = 1;
    QVERIFY(!Com_Open(port, number, appDir, fallback));
    QCOMPARE(port.portName(), com1); // the one device tried
    QCOMPARE(Frm_Com(app.ctx).LB_Device->text(),
             "接続先：" + com1 + "（" + system.filePath("ttyUSB7") + " は見つかりません）");
    QTest::qWait(300);
    QVERIFY2(!sim.log().contains("received"), qPrintable(sim.log()));
}

void TestSerialRead::endForExitStoresWhatArrived_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<bool>("afterCommit"); // ended once records are committed
    QTest::addColumn<bool>("storeFails");  // the last records cannot be stored
    QTest::newRow("while receiving") << "--records 450 --alcohol 0 --rate 4000" << false << false;
    QTest::newRow("while chunks are stored")
        << "--records 100000 --alcohol 0 --fast" << true << false;
    QTest::newRow("the last records refused")
        << "--records 450 --alcohol 0 --rate 4000" << true << true;
}

void TestSerialRead::endForExitStoresWhatArrived()
{
    QFETCH(QString, args);
    QFETCH(bool, afterCommit);
    QFETCH(bool, storeFails);
    Reading r;
    QVERIFY(r.startSim(args));
    r.reader.start(r.device);
    QVERIFY(QTest::qWaitFor(
        [&] {
            return r.reader.state() == State::Receiving &&
                   (!afterCommit || r.count("Log_Data") > 0);
        },
        15000));
    QTest::qWait(afterCommit ? 0 : 200);
    const qint64 committed = r.count("Log_Data");
    QVERIFY(afterCommit || committed == 0);
    if (storeFails)
        r.db.execute(kFull);
    const DecodeOutcome figures = r.reader.endForExit().figures;
    QCOMPARE(r.reader.state(), State::Done);
    QCOMPARE(r.ends, 0); // no closing message
    QCOMPARE(figures.error, storeFails ? "database or disk is full" : "");
    // The handset was stopped, and every complete record it sent is stored.
    const qint64 received = completeRecords(r.sim.stoppedAfter());
    QVERIFY2(received > 0, qPrintable(r.sim.log()));
    const qint64 first = r.count("Log_Data");
    QCOMPARE(first, storeFails ? committed : received);

    // Read again: what is stored comes once, and the rest is added.
    if (storeFails)
        r.db.execute("DROP TRIGGER Full");
    const qint64 total = args.section(' ', 1, 1).toLongLong();
    short port = 1;
    QVERIFY(Com_Open(r.device, port, r.ctx.appDir));
    QVERIFY(r.read());
    QCOMPARE(r.outcome(), QStringLiteral("Received: %1 records, %2 stored, %3 already, 0 invalid "
                                         "/ A2 C1")
                              .arg(total)
                              .arg(total - first)
                              .arg(first));
}

void TestSerialRead::readThroughTheMainWindow_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<bool>("stop"); // the operator clicks Stop as soon as it shows
    QTest::addColumn<QString>("faces");
    QTest::addColumn<QString>("message"); // %1: the rows the read stored
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("searched");
    QTest::addColumn<int>("c");       // "C" the handset received
    QTest::addColumn<QString>("sql"); // run before the read
    const auto row = [](const char* name, bool english, const char* args, const QString& hex,
                        bool stop, const QString& faces, const QString& message,
                        const QString& status, bool searched, int c, const char* sql = "") {
        QTest::newRow(name) << english << args << hex << stop << faces << message << status
                            << searched << c << sql;
    };
    const QString start = "Connecting 読　込 disabled busy | ";
    const QString received = start + "Receiving 停　止 usable lit busy | ";
    const QString end =
        "Storing 読　込 disabled busy | Done 読　込 disabled busy | end 読　込 usable";
    const QString noAnswer = "読込み|ハンドセットと通信できません。";
    const QString figures =
        "前回の読込：受信 %1件　新規保存 %2件　保存済み 0件　無効（スキップ） 0件";
    row("stopped", false, "--records 400 --alcohol 0", {}, true,
        received + "Stopping 停　止 disabled lit busy | Draining 読　込 disabled | Storing 読　込 "
                   "disabled | Done 読　込 disabled | end 読　込 usable",
        "読込み|受信終了|0", figures.arg("%1", "%1"), true, 2);
    // Records new, new with alcohol, the first again, month 13, the one stored before.
    row("English, the figures", true, "--fast",
        "0A00800A00000A0701110A0943010A210A00010A0701110A0943020A080A0150010A00000A0701110A0943010A"
        "210A00020A0713110A0943010A210A00030A0701110A0943030A410A",
        false,
        "Connecting Read disabled busy | Receiving Stop usable lit busy | Storing Read disabled "
        "busy | Done Read disabled busy | end Read usable",
        "Reading|Reception end|0",
        "Last read: 5 received, 2 newly stored, 2 already stored, 1 invalid (skipped)", true, 0);
    row("port lost", false, "--records 200 --alcohol 0 --exit-after 400", {}, false, received + end,
        noAnswer + "\n接続が切れました。保存したログ：%1件|0", figures.arg("%1", "%1"), true, 0);
    row("byte 29 not 0A", false, "--records 30 --bad-preamble --fast", {}, false, start + end,
        noAnswer + "|0", figures.arg("0", "0"), false, 0);
    // Stored within a second, while the answer arrives: the handset is stopped.
    row("store failure", false, "--records 8 --fast", {}, false, received + end,
        storeFailed("database or disk is full"), figures.arg("8", "0"), true, 1, kFull);
}

void TestSerialRead::readThroughTheMainWindow()
{
    QFETCH(bool, english);
    QFETCH(QString, sql);
    QFETCH(QString, args);
    QFETCH(QString, hex);
    QFETCH(bool, stop);
    QFETCH(QString, faces);
    QFETCH(QString, message);
    QFETCH(QString, status);
    QFETCH(bool, searched);
    QFETCH(int, c);
    MainSession s({.Eng_Flg = english});
    if (!sql.isEmpty())
        s.db.execute(sql);
    QVERIFY(startSim(s.sim, args, s.ctx.appDir + "/COM1", hex));
    bool openDuringMessage = false;
    s.dialogs.onMessage = [&](const auto&) { openDuringMessage = s.port().isOpen(); };
    if (stop) {
        QObject::connect(s.w.findChild<HandsetReader*>(), &HandsetReader::stateChanged,
                         [&](State st) {
                             if (st == State::Receiving)
                                 QTimer::singleShot(0, s.w.Cmd_Read, &QPushButton::click);
                         });
    }
    s.w.Cmd_Read->click();
    QVERIFY(QTest::qWaitFor([&] { return s.ended(); }, 20000));
    QCOMPARE(s.faces.join(" | "), faces);
    const QString stored = QString::number(s.count("Log_Data") - 1);
    QCOMPARE(shown(s.dialogs), QStringList{message.replace("%1", stored)});
    QVERIFY(openDuringMessage && !s.port().isOpen()); // the port closes after the message
    QCOMPARE(s.w.LB_Status->text(), status.replace("%1", stored));
    // The grid was cleared, and shows every stored log after a read that was answered.
    QCOMPARE(s.w.MSFG->gridModel()->Rows(), searched ? 1 + s.count("Log_Data") : 1);
    QCOMPARE(s.sim.received('C'), c);
    QCOMPARE(s.quitCalls, 0);
}

void TestSerialRead::endDuringReadThroughTheMainWindow_data()
{
    QTest::addColumn<QString>("way"); // out of the program
    QTest::addColumn<bool>("storeFails");
    QTest::newRow("frame") << "close" << false;
    QTest::newRow("menu, the last records refused") << "M_End" << true;
}

void TestSerialRead::endDuringReadThroughTheMainWindow()
{
    QFETCH(QString, way);
    QFETCH(bool, storeFails);
    MainSession s;
    QVERIFY(startSim(s.sim, "--records 450 --alcohol 0 --rate 4000", s.ctx.appDir + "/COM1", {}));
    s.w.Cmd_Read->click();
    QVERIFY(QTest::qWaitFor([&] { return s.count("Log_Data") > 1; }, 15000));
    if (storeFails)
        s.db.execute(kFull);
    if (way == "close")
        QVERIFY(s.w.close());
    else
        s.w.findChild<QAction*>(way)->trigger();
    // The handset was stopped, the program ended, the port closed, the pointer restored.
    QCOMPARE(s.quitCalls, 1);
    QVERIFY(!s.db.isOpen() && !s.port().isOpen());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(s.face(), "読　込 usable");
    QCOMPARE(shown(s.dialogs),
             storeFails ? QStringList{storeFailed("database or disk is full")} : QStringList{});
    QTRY_COMPARE(s.sim.received('C'), 1);
}

QTEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

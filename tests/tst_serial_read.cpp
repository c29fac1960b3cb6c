// The read command against the handset simulator on a real pseudo-terminal,
// through its own harness and through the real main window.
#include "comm/frm_com.h"
#include "comm/log_store.h"
#include "comm/serial_port.h"
#include "main/frm_main.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

namespace {

const QString kIdle = QStringLiteral("読　込");
const QString kStop = QStringLiteral("停　止");
const QString kEnd = QStringLiteral("読込み|受信終了|0");
const QString kNoAnswer = QStringLiteral("読込み|ハンドセットと通信できません。|0");

// A storage failure, as the only message of a read.
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

// A read command wired to a window harness, the handset on COM1 of the program folder.
struct Reading {
    explicit Reading(ReadTimings timings = {50, 300, 300}, Switches sw = {})
        : app(sw), command(app.ctx, harness.ui(), timings)
    {
        harness.button->setText(idle());
        QObject::connect(harness.button, &QPushButton::clicked, &command,
                         &ReadCommand::Cmd_Read_Click);
    }
    bool startSim(const QString& args, const QString& hex = {})
    {
        return sim.start(args.split(u' ', Qt::SkipEmptyParts), app.ctx.appDir + "/COM1", hex);
    }
    // Clicks Cmd_Read twice (the second click, before "A", is ignored); waits for the one read.
    bool readToEnd()
    {
        QSignalSpy finished(&command, &ReadCommand::readFinished);
        harness.button->click();
        harness.button->click();
        return finished.wait(20000) && !QTest::qWaitFor([&] { return finished.size() > 1; }, 200);
    }
    qint64 stored() { return app.count(QStringLiteral("Log_Data")); }
    QString idle() const { return app.ctx.sw.Eng_Flg ? QStringLiteral("Read") : kIdle; }
    // How the read ended: messages, rows stored, searches run, "A" and "C" received by the
    // handset, and whether the read left the port open, the pointer busy, Txt_Yomi shown or the
    // button other than idle and usable.
    QString outcome()
    {
        const bool left = command.isReading() || command.MSCM->isOpen() ||
                          QApplication::overrideCursor() || !harness.indicator->isHidden() ||
                          harness.button->text() != idle() || !harness.button->isEnabled();
        return shown(app.dialogs).join(QLatin1String(" + ")) +
               QString::asprintf(" / %lld stored / %d searched / A%d C%d%s", stored(),
                                 harness.searchCalls, sim.received('A'), sim.received('C'),
                                 left ? " / left busy" : "");
    }

    TestApp app;
    ReadHarness harness;
    ReadCommand command;
    HandsetSim sim;
};

// The loaded main window on a delivered database, the handset on COM1 of the program folder.
struct MainSession : TestApp {
    explicit MainSession(Switches sw = {}) : TestApp(sw) { w.Form_Load(); }
    bool startSim(const QString& args, const QString& hex = {})
    {
        return sim.start(args.split(u' ', Qt::SkipEmptyParts), ctx.appDir + "/COM1", hex);
    }
    ReadCommand& read() { return *w.findChild<ReadCommand*>(); }
    bool readToEnd()
    {
        QSignalSpy finished(&read(), &ReadCommand::readFinished);
        w.Cmd_Read->click();
        return finished.wait(30000);
    }

    Frm_Main w{ctx};
    HandsetSim sim;
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
    void clickWhileStoringDoesWhatTheButtonShows_data();
    void clickWhileStoringDoesWhatTheButtonShows();
    void diskFullShowsOnlyTheFailure();
    void danglingLinkIsThePort();
    void endDuringReadStoresWhatArrived_data();
    void endDuringReadStoresWhatArrived();
    void statusLineShowsTheLastRead();
};

void TestSerialRead::readStoresWhatArrives_data()
{
    QTest::addColumn<QString>("sql"); // run before the read
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("reads");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("lastRow"); // Unit_SN|Data_No|Date|Log_No|Alcohol|Tani
    const auto row = [](const char* name, const char* args, const QString& hex, int reads,
                        const QString& outcome, const char* lastRow, bool english = false,
                        const char* sql = "") {
        QTest::newRow(name) << sql << args << hex << english << reads << outcome << lastRow;
    };
    row("9600 baud", "--records 60", {}, 1, kEnd + " / 60 stored / 1 searched / A1 C0",
        "0080|0059|2024-04-06 06:28:43|9|0.718|02"); // every third record measures
    // A preamble ending in 0A: one byte more or less kept shifts every field.
    row("preamble ending in 0A", "--fast",
        "02" + QStringLiteral("50").repeated(26) + "0A0A00800A00240A2404010A0000240A210A", 1,
        kEnd + " / 1 stored / 1 searched / A1 C0", "0080|0024|2024-04-01 00:00:24|21||");
    row("byte 29 not 0A", "--records 30 --bad-preamble --fast", {}, 1,
        kNoAnswer + " / 0 stored / 0 searched / A1 C0", "");
    row("read twice", "--records 45 --fast", {}, 2,
        kEnd + " + " + kEnd + " / 45 stored / 2 searched / A2 C0",
        "0080|0044|2024-04-04 20:50:58|10|0.533|01");
    row("preamble at 9600 baud, English", "--records 10 --preamble", {}, 1,
        "Reading|Reception end|0 / 10 stored / 1 searched / A1 C0",
        "0080|0009|2024-04-01 23:18:48|11||", true);
    row("store failure", "--records 8 --fast", {}, 1,
        storeFailed("database or disk is full") + " / 0 stored / 1 searched / A1 C0", "", false,
        "CREATE TRIGGER full BEFORE INSERT ON Log_Data "
        "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
}

void TestSerialRead::readStoresWhatArrives()
{
    QFETCH(QString, sql);
    QFETCH(QString, args);
    QFETCH(QString, hex);
    QFETCH(bool, english);
    QFETCH(int, reads);
    QFETCH(QString, outcome);
    QFETCH(QString, lastRow);
    Reading r({50, 300, 300}, Switches{.Eng_Flg = english});
    if (!sql.isEmpty())
        r.app.db.execute(sql);
    const QString stop = english ? QStringLiteral("Stop") : kStop;
    QVERIFY(r.startSim(args, hex));
    bool stopShown = false, openDuringMessage = false;
    r.app.dialogs.onMessage = [&](const auto&) { openDuringMessage = r.command.MSCM->isOpen(); };
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        stopShown |= r.harness.button->text() == stop && !r.harness.indicator->isHidden();
    });
    probe.start(5);
    for (int i = 0; i < reads; ++i)
        QVERIFY(r.readToEnd());
    QCOMPARE(r.outcome(), outcome);
    QVERIFY(openDuringMessage); // the port closes after the closing message
    Recordset last = r.app.db.openRecordset(QStringLiteral(
        "SELECT Unit_SN || '|' || Data_No || '|' || Date || '|' || Log_No || '|' || "
        "Alcohol || '|' || ifnull(Tani, '') AS r FROM Log_Data ORDER BY rowid DESC"));
    QCOMPARE(last.eof() ? QString() : last.text(QStringLiteral("r")), lastRow);
    QCOMPARE(stopShown, r.harness.searchCalls > 0); // the stop caption shows while receiving
    QCOMPARE(r.harness.clearCalls, reads);
    QCOMPARE(r.app.quitCalls, 0);
}

void TestSerialRead::silentHandsetGetsCAfterThreeSeconds()
{
    Reading r(ReadTimings{}); // the real two-second wait and one-second silence
    QVERIFY(r.startSim("--silent"));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.readToEnd());
    QVERIFY2(clock.elapsed() >= 2950 && clock.elapsed() < 5000,
             qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(r.outcome(), kNoAnswer + " / 0 stored / 0 searched / A1 C1");
}

void TestSerialRead::vanishingPortEndsTheRead()
{
    Reading r;
    // The adapter goes away after 4 + 13 * 30 + 6 bytes: 30 records and a part.
    QVERIFY(r.startSim("--records 200 --alcohol 0 --exit-after 400"));
    QVERIFY(r.readToEnd());
    // What arrived is stored (the last bytes may be lost with the terminal), and counted.
    QVERIFY2(r.stored() > 20 && r.stored() <= 30, qPrintable(QString::number(r.stored())));
    QCOMPARE(r.outcome(), QStringLiteral("読込み|ハンドセットと通信できません。\n接続が切れました。"
                                         "保存したログ：%1件|0 / %1 stored / 1 searched / A1 C0")
                              .arg(r.stored()));
}

void TestSerialRead::clickWhileStoringDoesWhatTheButtonShows_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("commitMs");
    QTest::addColumn<QString>("shown"); // the button while the first row is stored, after the click
    QTest::addColumn<QString>("handset"); // what its log says of the end of its sending
    const QString stop = kStop + " usable, then disabled"; // no second stop meanwhile
    QTest::newRow("stop, a full chunk being stored")
        << "--endless --fast --alcohol 0" << 60000 << stop << "stopped after";
    QTest::newRow("stop, records due being stored, 9600 baud")
        << "--records 400 --alcohol 0" << 300 << stop << "stopped after";
    QTest::newRow("stop ignored, the handset cut off")
        << "--endless --ignore-stop --fast --alcohol 0" << 60000 << stop << "going on after";
    QTest::newRow("last records after reception")
        << "--records 300 --alcohol 0 --fast" << 60000 << kIdle + " disabled, then disabled"
        << "sent all";
}

void TestSerialRead::clickWhileStoringDoesWhatTheButtonShows()
{
    QFETCH(QString, args);
    QFETCH(int, commitMs);
    QFETCH(QString, shown);
    QFETCH(QString, handset);
    Reading r({50, 300, 300, 3000, commitMs});
    // The operator clicks the read button while the first row is being stored.
    QString seen;
    std::function<void()> click = [&] {
        if (!seen.isEmpty())
            return;
        QPushButton* button = r.harness.button;
        seen = button->text() + (button->isEnabled() ? " usable" : " disabled");
        button->click();
        seen += button->isEnabled() ? ", then usable" : ", then disabled";
    };
    watchInserts(r.app.db, click);
    QVERIFY(r.startSim(args));
    QVERIFY(r.readToEnd());
    QCOMPARE(seen, shown);
    const QString log = r.sim.log();
    QVERIFY2(log.contains(handset), qPrintable(log));
    // Every byte the handset sent was taken (one cut off goes on sending) and every complete
    // record in them stored; only a stream going on for seconds repeats a key.
    const DecodeOutcome& last = r.command.lastRead();
    if (handset != QLatin1String("going on after")) {
        QCOMPARE(r.command.bytesReceived(),
                 log.section(handset + ' ', 1).section(' ', 0, 0).toLongLong());
        QCOMPARE(last.duplicates, 0);
    }
    QCOMPARE(last.records, completeRecords(r.command.bytesReceived()));
    QCOMPARE(r.outcome(), kEnd + QStringLiteral(" / %1 stored / 1 searched / A1 C%2")
                                     .arg(last.records - last.duplicates)
                                     .arg(shown.startsWith(kStop) ? 2 : 0));
}

void TestSerialRead::diskFullShowsOnlyTheFailure()
{
    Reading r({50, 300, 300, 3000, 200});
    // The database on a small file system of its own, with room for a few thousand rows.
    const QString mount = r.app.dir.filePath("small"), path = mount + "/QuarvenixDB.db";
    const QString size = QString("size=%1k").arg(QFileInfo(r.app.dbPath()).size() / 1024 + 384);
    QVERIFY(QDir().mkpath(mount));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", size, "tmpfs", mount}) != 0)
        QSKIP("A small tmpfs cannot be mounted here (root only): the full disk is not tried.");
    const auto unmount = qScopeGuard([&] {
        r.app.db.close();
        QProcess::execute("umount", {mount});
    });
    QVERIFY(QFile::copy(r.app.dbPath(), path));
    r.app.db.close();
    r.app.db.open(path);

    QVERIFY(r.startSim("--records 40000 --alcohol 0 --rate 40000"));
    QVERIFY(r.readToEnd());
    const qint64 kept = r.stored();
    QVERIFY2(kept > 0 && kept < 40000, qPrintable(QString::number(kept)));
    QCOMPARE(r.command.lastRead().stored, kept);
    QCOMPARE(r.outcome(), storeFailed(QStringLiteral("database or disk is full")) +
                              QStringLiteral(" / %1 stored / 1 searched / A1 C1").arg(kept));
    QCOMPARE(r.app.db.openRecordset("PRAGMA integrity_check").text("integrity_check"),
             QStringLiteral("ok"));
}

void TestSerialRead::danglingLinkIsThePort()
{
    Reading r;
    // A folder standing for /dev, its ttyS0 a working handset.
    QTemporaryDir system;
    QVERIFY(r.sim.start({"--records", "5", "--fast"}, system.filePath("ttyS0")));
    const QStringList fallback{system.filePath("ttyUSB%1"), system.filePath("ttyS%1")};
    const QString appDir = r.app.ctx.appDir, com1 = appDir + "/COM1";
    QCOMPARE(portDevicePath(1, appDir, fallback), system.filePath("ttyS0"));
    // COM1 beside the program points at an adapter that was unplugged: it is still the port.
    QVERIFY(QFile::link(system.filePath("ttyUSB7"), com1));
    QCOMPARE(portDevicePath(1, appDir, fallback), com1);
    QString device;
    r.harness.onPortWindow = [&] { device = Frm_Com(r.app.ctx).LB_Device->text(); };
    r.harness.button->click();
    QCOMPARE(device, "接続先：" + com1 + "（" + system.filePath("ttyUSB7") + " は見つかりません）");
    QCOMPARE(r.command.MSCM->portName(), com1); // the one device tried
    QTest::qWait(300);
    QVERIFY2(!r.sim.log().contains("received"), qPrintable(r.sim.log()));
    QCOMPARE(r.outcome(), QStringLiteral(" / 0 stored / 0 searched / A0 C0"));
}

void TestSerialRead::endDuringReadStoresWhatArrived_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("way");      // out of the program
    QTest::addColumn<bool>("afterCommit"); // pressed once records are committed
    QTest::addColumn<bool>("storeFails");  // the last records cannot be stored
    QTest::newRow("end button while receiving") << "--records 450 --alcohol 0 --rate 4000"
                                                << "Cmd_End" << false << false;
    QTest::newRow("frame while chunks are stored") << "--records 100000 --alcohol 0 --fast"
                                                   << "close" << true << false;
    QTest::newRow("menu, the last records refused") << "--records 450 --alcohol 0 --rate 4000"
                                                    << "M_End" << true << true;
}

void TestSerialRead::endDuringReadStoresWhatArrived()
{
    QFETCH(QString, args);
    QFETCH(QString, way);
    QFETCH(bool, afterCommit);
    QFETCH(bool, storeFails);
    MainSession s;
    QVERIFY(s.startSim(args));
    s.w.Cmd_Read->click();
    QVERIFY(QTest::qWaitFor(
        [&] { return s.w.Cmd_Read->text() == kStop && (!afterCommit || s.count("Log_Data") > 0); },
        15000));
    QTest::qWait(afterCommit ? 0 : 200);
    const qint64 committed = s.count("Log_Data");
    QVERIFY(afterCommit || committed == 0);
    if (storeFails)
        s.db.execute("CREATE TRIGGER Full BEFORE INSERT ON Log_Data "
                     "BEGIN SELECT RAISE(ABORT, 'disk is full'); END");
    if (way == "close")
        QVERIFY(s.w.close());
    else if (auto* action = s.w.findChild<QAction*>(way))
        action->trigger();
    else
        s.w.findChild<QPushButton*>(way)->click();

    // The handset was stopped, the program ended, the port closed, the pointer restored.
    QCOMPARE(s.quitCalls, 1);
    QVERIFY(!s.db.isOpen() && !s.read().isReading() && !s.read().MSCM->isOpen());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(shown(s.dialogs),
             storeFails ? QStringList{storeFailed(QStringLiteral("disk is full"))} : QStringList{});
    const qint64 received = completeRecords(s.sim.stoppedAfter());
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
    QCOMPARE(shown(s.dialogs), QStringList{kEnd});
    QCOMPARE(s.count("Log_Data"), total);
    QCOMPARE(
        s.w.LB_Status->text(),
        QStringLiteral("前回の読込：受信 %1件　新規保存 %2件　保存済み %3件　無効（スキップ） 0件")
            .arg(total)
            .arg(total - first)
            .arg(first));
}

void TestSerialRead::statusLineShowsTheLastRead()
{
    MainSession s({.Eng_Flg = 1});
    QVERIFY(s.w.statusBar()->isAncestorOf(s.w.LB_Status) && s.w.LB_Status->text().isEmpty());
    // Stored before; the read's five records: new, new with alcohol, the first again,
    // month 13, the one stored before.
    s.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, WDate) "
                 "VALUES ('0080', '2007-01-11 09:43:03', '0003', 41, '', '2024-01-01 00:00:00')");
    QVERIFY(s.startSim("--fast", "0A00800A00000A0701110A0943010A210A00010A0701110A0943020A080A0150"
                                 "010A00000A0701110A0943010A210A00020A0713110A0943010A210A00030A07"
                                 "01110A0943030A410A"));
    QVERIFY(s.readToEnd());
    QCOMPARE(s.count("Log_Data"), 3);
    QCOMPARE(s.w.LB_Status->text(),
             "Last read: 5 received, 2 newly stored, 2 already stored, 1 invalid (skipped)");
}

QTEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

// The read command against the handset simulator on a real pseudo-terminal.
#include "comm/log_decode.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString kIdle = QStringLiteral("読　込");
const QString kStop = QStringLiteral("停　止");
const QString kEnd = QStringLiteral("読込み|受信終了|0");
const QString kNoAnswer = QStringLiteral("読込み|ハンドセットと通信できません。|0");

// A read command wired to a window harness, the handset on COM1 of the program folder.
struct Reading {
    explicit Reading(ReadTimings timings = {50, 300, 300}, Switches sw = {})
        : app(sw), command(app.ctx, harness.ui(), timings)
    {
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
    // How the read ended: messages, rows stored, searches run, "A" and "C" received by the
    // handset, and whether the read left the port open, the pointer busy or Txt_Yomi shown.
    QString outcome()
    {
        const bool left = command.isReading() || command.MSCM->isOpen() ||
                          QApplication::overrideCursor() || !harness.indicator->isHidden();
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

} // namespace

class TestSerialRead : public QObject {
    Q_OBJECT
private slots:
    void readStoresWhatArrives_data();
    void readStoresWhatArrives();
    void silentHandsetGetsCAfterThreeSeconds();
    void stopClickWhileReceiving();
    void vanishingPortEndsTheRead();
    void programEndWhileStoring();
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
    row("English", "--records 5", {}, 1, "Reading|Reception end|0 / 5 stored / 1 searched / A1 C0",
        "0080|0004|2024-04-01 12:11:18|55||", true);
    row("store failure", "--records 8 --fast", {}, 1,
        kEnd + " + 読込み|受信したログの保存に失敗しました。\ndatabase or disk is full|2"
               " / 0 stored / 1 searched / A1 C0",
        "", false,
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
    const auto [idle, stop] = english ? std::pair(QStringLiteral("Read"), QStringLiteral("Stop"))
                                      : std::pair(kIdle, kStop);
    r.harness.button->setText(idle);
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
    QCOMPARE(r.harness.button->text(), idle);
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

void TestSerialRead::stopClickWhileReceiving()
{
    Reading r;
    // Records of 13 bytes after 4 opening bytes, about six seconds at 9600 baud.
    QVERIFY(r.startSim("--records 450 --alcohol 0"));
    r.harness.button->click();
    QTRY_COMPARE_WITH_TIMEOUT(r.harness.button->text(), kStop, 5000);
    QTest::qWait(400);
    r.harness.button->click();
    // "C", the stop wait, "C"; the button is idle while the read waits for the silence.
    QTRY_COMPARE(r.sim.received('C'), 2);
    QTRY_COMPARE(r.harness.button->text(), kIdle);
    QTRY_VERIFY_WITH_TIMEOUT(!r.command.isReading(), 5000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("stopped after (\\d+) of (\\d+) bytes"))
            .match(r.sim.log());
    QVERIFY2(m.hasMatch() && m.captured(1).toInt() < m.captured(2).toInt(),
             qPrintable(r.sim.log()));
    // Every record the handset finished sending before it stopped is stored.
    const int records = (m.captured(1).toInt() - 4) / 13;
    QVERIFY(records > 0);
    QCOMPARE(r.outcome(), kEnd + QStringLiteral(" / %1 stored / 1 searched / A1 C2").arg(records));
}

void TestSerialRead::vanishingPortEndsTheRead()
{
    Reading r;
    // The adapter goes away after 4 + 13 * 30 + 6 bytes: 30 records and a part.
    QVERIFY(r.startSim("--records 200 --alcohol 0 --exit-after 400"));
    QVERIFY(r.readToEnd());
    // What arrived is stored (the last bytes may be lost with the terminal).
    QVERIFY2(r.stored() > 20 && r.stored() <= 30, qPrintable(QString::number(r.stored())));
    QCOMPARE(r.outcome(),
             kNoAnswer + QStringLiteral(" / %1 stored / 1 searched / A1 C0").arg(r.stored()));
}

void TestSerialRead::programEndWhileStoring()
{
    Reading r;
    QVERIFY(r.startSim("--records 6000 --fast"));
    // The exit path closes the connection after the first stored chunk: the read ends quietly.
    QTimer endCommand;
    QObject::connect(&endCommand, &QTimer::timeout, [&] {
        if (r.app.db.isOpen() && r.stored() > 0)
            r.app.db.close();
    });
    endCommand.start(0);
    QVERIFY(r.readToEnd());
    r.app.db.open(r.app.dbPath());
    QCOMPARE(r.outcome(), QStringLiteral(" / %1 stored / 0 searched / A1 C0").arg(kLogStoreChunk));
}

QTEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

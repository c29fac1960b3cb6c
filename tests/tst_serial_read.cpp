// The read command against the handset simulator on a real pseudo-terminal:
// what is stored, what the operator is told, the button and the port.
#include "comm/log_decode.h"
#include "comm/read_command.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

namespace {

const QString kIdle = QStringLiteral("読　込");
const QString kStop = QStringLiteral("停　止");
// The closing messages as Reading::shown() lists them.
const QString kEnd = QStringLiteral("読込み|受信終了|0");
const QString kNoAnswer = QStringLiteral("読込み|ハンドセットと通信できません。|0");

// Unit 0080 and `records` records of 13 bytes (data number, date, time, log
// number 21), after a 4-byte opening.
QString plainStream(int records)
{
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    QString hex = QStringLiteral("0A00800A");
    for (int k = 0; k < records; ++k)
        hex += two(k / 100 % 100) + two(k % 100) + QStringLiteral("0A2404010A") +
               two(k / 3600 % 24) + two(k / 60 % 60) + two(k % 60) + QStringLiteral("0A210A");
    return hex;
}

QStringList options(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

struct Reading {
    explicit Reading(ReadTimings timings = {50, 300, 300}, Switches sw = {})
        : app(sw), command(app.ctx, harness.ui(), timings)
    {
        QObject::connect(harness.button, &QPushButton::clicked, &command,
                         &ReadCommand::Cmd_Read_Click);
    }
    QString com1() const { return app.ctx.appDir + QStringLiteral("/COM1"); }
    // Clicks Cmd_Read and waits for the read to end.
    bool readToEnd()
    {
        QSignalSpy finished(&command, &ReadCommand::readFinished);
        harness.button->click();
        return finished.wait(20000);
    }
    qint64 stored() { return app.count(QStringLiteral("Log_Data")); }
    // Every message shown, as "title|text|icon" (0 none, 2 exclamation), "+YesNo" unless only OK.
    QStringList shown() const
    {
        QStringList out;
        for (const auto& m : app.dialogs.messages)
            out << QStringLiteral("%1|%2|%3").arg(m.title, m.text).arg(int(m.icon)) +
                       QLatin1String(m.buttons == MsgButtons::Ok ? "" : "+YesNo");
        return out;
    }

    TestApp app;
    ReadHarness harness;
    ReadCommand command;
};

// The state a read leaves behind, whatever its end.
void verifyIdle(Reading& r, const QString& idle = kIdle)
{
    QVERIFY(!r.command.isReading());
    QVERIFY(!r.command.MSCM->isOpen());
    QCOMPARE(r.harness.button->text(), idle);
    QVERIFY(r.harness.indicator->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

} // namespace

class TestSerialRead : public QObject {
    Q_OBJECT
private slots:
    void readStoresWhatArrives_data();
    void readStoresWhatArrives();
    void silentHandsetGetsCAfterThreeSeconds();
    void stopClickWhileReceiving();
    void clickBeforeFirstByteIsIgnored();
    void vanishingPortEndsTheRead();
    void storeFailureIsShown();
    void programEndWhileStoring();
};

void TestSerialRead::readStoresWhatArrives_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("reads");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("lastRow"); // Unit_SN|Data_No|Date|Log_No|Alcohol|Tani

    const QString lastOf60 = QStringLiteral("0080|0059|2024-04-06 06:28:43|9|0.718|02");
    // Generated records at 9600 baud; every third is a measurement.
    QTest::newRow("9600 baud") << options("--records 60") << "" << false << 1 << kEnd << 60
                               << lastOf60;
    QTest::newRow("sim's preamble")
        << options("--records 60 --preamble --fast") << "" << false << 1 << kEnd << 60 << lastOf60;
    // A preamble ending in 0A: one byte more or less kept shifts every field.
    QTest::newRow("preamble ending in 0A")
        << options("--fast")
        << QStringLiteral("02") + QStringLiteral("50").repeated(26) + "0A" + plainStream(25)
        << false << 1 << kEnd << 25 << "0080|0024|2024-04-01 00:00:24|21||";
    QTest::newRow("byte 29 not 0A") << options("--records 30 --bad-preamble --fast") << "" << false
                                    << 1 << kNoAnswer << 0 << "";
    QTest::newRow("read twice") << options("--records 45 --fast") << "" << false << 2 << kEnd << 45
                                << "0080|0044|2024-04-04 20:50:58|10|0.533|01";
    QTest::newRow("English") << options("--records 5") << "" << true << 1
                             << "Reading|Reception end|0" << 5
                             << "0080|0004|2024-04-01 12:11:18|55||";
}

void TestSerialRead::readStoresWhatArrives()
{
    QFETCH(QStringList, args);
    QFETCH(QString, hex);
    QFETCH(bool, english);
    QFETCH(int, reads);
    QFETCH(QString, message);
    QFETCH(int, stored);
    QFETCH(QString, lastRow);

    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    Reading r({50, 300, 300}, sw);
    const QString idle = english ? QStringLiteral("Read") : kIdle;
    const QString stop = english ? QStringLiteral("Stop") : kStop;
    r.harness.button->setText(idle);
    HandsetSim sim;
    QVERIFY(sim.start(args, r.com1(), hex));
    bool stopShown = false;
    bool openDuringMessage = false;
    r.app.dialogs.onMessage = [&](const auto&) { openDuringMessage = r.command.MSCM->isOpen(); };
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        stopShown |= r.harness.button->text() == stop && r.harness.indicator->isVisible();
    });
    probe.start(5);

    for (int i = 0; i < reads; ++i) {
        r.app.dialogs.clear();
        QVERIFY(r.readToEnd());
    }
    QCOMPARE(r.shown(), QStringList{message});
    QVERIFY(openDuringMessage); // the port closes after the closing message
    QCOMPARE(r.stored(), stored);
    QString last;
    r.app.db.forEachRow(QStringLiteral("SELECT Unit_SN || '|' || Data_No || '|' || Date || '|' || "
                                       "Log_No || '|' || Alcohol || '|' || ifnull(Tani, '') "
                                       "FROM Log_Data ORDER BY rowid DESC LIMIT 1"),
                        [&](const QSqlQuery& q) { last = q.value(0).toString(); });
    QCOMPARE(last, lastRow);
    // Records were received: the stop caption showed and the search ran after each read.
    QCOMPARE(stopShown, stored > 0);
    QCOMPARE(r.harness.searchCalls, stored > 0 ? reads : 0);
    QCOMPARE(r.harness.clearCalls, reads);
    QCOMPARE(sim.received('A'), reads);
    QCOMPARE(sim.received('C'), 0);
    verifyIdle(r, idle);
}

void TestSerialRead::silentHandsetGetsCAfterThreeSeconds()
{
    Reading r(ReadTimings{}); // the real two-second wait and one-second silence
    HandsetSim sim;
    QVERIFY(sim.start(options("--silent"), r.com1()));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.readToEnd());
    // Two seconds' wait, then one second of silence (precise timers never end early).
    QVERIFY2(clock.elapsed() >= 2950 && clock.elapsed() < 5000,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(r.shown(), QStringList{kNoAnswer});
    QTRY_COMPARE(sim.received('C'), 1);
    QCOMPARE(sim.received('A'), 1);
    QCOMPARE(r.stored(), 0);
    QCOMPARE(r.harness.searchCalls, 0);
    verifyIdle(r);
}

void TestSerialRead::stopClickWhileReceiving()
{
    Reading r;
    HandsetSim sim;
    // About six seconds of records at 9600 baud.
    QVERIFY(sim.start({}, r.com1(), plainStream(450)));
    QSignalSpy finished(&r.command, &ReadCommand::readFinished);
    r.harness.button->click();
    QTRY_COMPARE_WITH_TIMEOUT(r.harness.button->text(), kStop, 5000);
    QVERIFY(r.harness.indicator->isVisible());
    QTest::qWait(400);
    r.harness.button->click();
    QTRY_COMPARE(sim.received('C'), 1);
    // The second "C" follows after the stop wait; then the button is idle
    // again while the read waits for the silence.
    QTRY_COMPARE(sim.received('C'), 2);
    QTRY_COMPARE(r.harness.button->text(), kIdle);
    QVERIFY(r.harness.indicator->isHidden());
    QVERIFY(finished.wait(5000));

    QCOMPARE(r.shown(), QStringList{kEnd});
    const QRegularExpression stopped(QStringLiteral("stopped after (\\d+) of (\\d+) bytes"));
    const QRegularExpressionMatch m = stopped.match(sim.log());
    QVERIFY2(m.hasMatch(), qPrintable(sim.log()));
    const int sent = m.captured(1).toInt();
    QVERIFY(sent < m.captured(2).toInt());
    // Every record the handset finished sending before it stopped is stored.
    QCOMPARE(r.stored(), qint64((sent - 4) / 13));
    QVERIFY(r.stored() > 0);
    QCOMPARE(r.harness.searchCalls, 1);
    verifyIdle(r);
}

void TestSerialRead::clickBeforeFirstByteIsIgnored()
{
    Reading r(ReadTimings{400, 300, 300});
    HandsetSim sim;
    QVERIFY(sim.start(options("--records 10 --fast"), r.com1()));
    QSignalSpy finished(&r.command, &ReadCommand::readFinished);
    r.harness.button->click();
    QVERIFY(r.command.isReading());
    r.harness.button->click(); // during the wait before "A"
    QVERIFY(finished.wait(10000));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(sim.received('A'), 1);
    QCOMPARE(sim.received('C'), 0);
    QCOMPARE(r.stored(), 10);
    QCOMPARE(r.shown(), QStringList{kEnd});
}

void TestSerialRead::vanishingPortEndsTheRead()
{
    Reading r;
    HandsetSim sim;
    // The adapter goes away after 30 records' worth of bytes.
    QVERIFY(sim.start({QStringLiteral("--exit-after"), QString::number(4 + 13 * 30 + 6)}, r.com1(),
                      plainStream(200)));
    QVERIFY(r.readToEnd());
    QCOMPARE(r.shown(), QStringList{kNoAnswer});
    // What arrived is stored (the last bytes may be lost with the terminal).
    QVERIFY2(r.stored() > 20 && r.stored() <= 30, qPrintable(QString::number(r.stored())));
    QCOMPARE(r.harness.searchCalls, 1);
    verifyIdle(r);
}

void TestSerialRead::storeFailureIsShown()
{
    Reading r;
    r.app.db.execute(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON Log_Data "
                                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    HandsetSim sim;
    QVERIFY(sim.start(options("--records 8 --fast"), r.com1()));
    QVERIFY(r.readToEnd());
    QCOMPARE(r.shown(), (QStringList{kEnd, "読込み|受信したログの保存に失敗しました。\n"
                                           "database or disk is full|2"}));
    QCOMPARE(r.stored(), 0);
    QCOMPARE(r.app.quitCalls, 0);
    verifyIdle(r);
}

void TestSerialRead::programEndWhileStoring()
{
    Reading r;
    HandsetSim sim;
    QVERIFY(sim.start(options("--records 6000 --fast"), r.com1()));
    // The end command runs between two stored chunks: the exit path closes
    // the connection. The read then ends quietly, keeping the first chunk.
    QTimer endCommand;
    QObject::connect(&endCommand, &QTimer::timeout, [&] {
        if (r.app.db.isOpen() && r.stored() > 0)
            r.app.db.close();
    });
    endCommand.start(0);
    QVERIFY(r.readToEnd());
    QCOMPARE(r.shown(), QStringList());
    QCOMPARE(r.harness.searchCalls, 0);
    verifyIdle(r);
    r.app.db.open(r.app.dbPath());
    QCOMPARE(r.stored(), kLogStoreChunk);
}

QTEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

// The read command against the handset simulator on a real pseudo-terminal:
// what is stored, what the operator is told, the button and the port.
#include "comm/read_command.h"
#include "comm/reception.h"
#include "comm/serial_port.h"
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

const ReadTimings kShort{50, 300, 300};

const QString kIdle = QStringLiteral("読　込");
const QString kStop = QStringLiteral("停　止");
const QString kReceptionEnd = QStringLiteral("受信終了");
const QString kNoCommunication = QStringLiteral("ハンドセットと通信できません。");
const QString kTitle = QStringLiteral("読込み");

QString digits(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// A log stream of unit 0080 with `records` records of 13 bytes each (data
// number, date, time, log number 21), after a 4-byte opening.
QString plainStream(int records)
{
    QString hex = QStringLiteral("0A00800A");
    for (int k = 0; k < records; ++k) {
        hex += digits(k % 10000, 4) + QStringLiteral("0A2404010A");
        hex += digits(k / 3600 % 24, 2) + digits(k / 60 % 60, 2) + digits(k % 60, 2);
        hex += QStringLiteral("0A210A");
    }
    return hex;
}

struct Reading {
    explicit Reading(ReadTimings timings = kShort, Switches sw = {})
        : app(sw), command(app.ctx, harness.ui(), timings)
    {
        QObject::connect(harness.button, &QPushButton::clicked, &command,
                         &ReadCommand::Cmd_Read_Click);
    }

    QString comPath(int n) const { return app.ctx.appDir + QStringLiteral("/COM%1").arg(n); }

    // Clicks Cmd_Read and waits for the read to end.
    bool readToEnd(int ms = 20000)
    {
        QSignalSpy finished(&command, &ReadCommand::readFinished);
        harness.button->click();
        return finished.wait(ms);
    }

    qint64 stored() { return app.count(QStringLiteral("Log_Data")); }

    TestApp app;
    ReadHarness harness;
    ReadCommand command;
};

// The state a read leaves behind, whatever its end.
void verifyIdle(Reading& r)
{
    QVERIFY(!r.command.isReading());
    QVERIFY(!r.command.MSCM->isOpen());
    QCOMPARE(r.harness.button->text(), kIdle);
    QVERIFY(r.harness.indicator->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void verifyClosingMessage(Reading& r, const QString& text)
{
    QCOMPARE(r.app.dialogs.messages.size(), 1);
    const auto& m = r.app.dialogs.messages.first();
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, kTitle);
    QCOMPARE(m.buttons, MsgButtons::Ok);
    QCOMPARE(m.icon, MsgIcon::None);
}

} // namespace

class TestSerialRead : public QObject {
    Q_OBJECT
private slots:
    void receptionKeepsTheLogStream_data();
    void receptionKeepsTheLogStream();
    void readStoresEveryRecord_data();
    void readStoresEveryRecord();
    void preambleLosesExactlyItsFirst28Bytes();
    void badPreambleStoresNothing();
    void silentHandsetGetsCAfterThreeSeconds();
    void readingTwiceStoresNothingTwice();
    void stopClickWhileReceiving();
    void clickBeforeFirstByteIsIgnored();
    void vanishingPortEndsTheRead();
    void unopenablePortOpensThePortWindow();
    void storeFailureIsShown();
    void englishTexts();
};

void TestSerialRead::receptionKeepsTheLogStream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("refused");

    const QByteArray preamble = QByteArray(1, '\x02') + QByteArray(27, 'P');
    QTest::newRow("opening 0A kept from byte 1")
        << QByteArray("\x0A\x00\x80\x0A", 4) << QStringLiteral("0A00800A") << false;
    QTest::newRow("preamble dropped")
        << preamble + QByteArray("\x0A\x12\xAB", 3) << QStringLiteral("0A12AB") << false;
    QTest::newRow("preamble with 0A inside")
        << QByteArray(1, 'x') + QByteArray(27, '\x0A') + QByteArray("\x0A\x01", 2)
        << QStringLiteral("0A01") << false;
    QTest::newRow("byte 29 not 0A") << preamble + QByteArray("\x41\x0A", 2) << QString() << true;
    QTest::newRow("only a preamble") << preamble << QString() << false;
    QTest::newRow("0A inside a kept stream")
        << QByteArray("\x0A\x0A\xFF\x05", 4) << QStringLiteral("0A0AFF05") << false;
}

void TestSerialRead::receptionKeepsTheLogStream()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kept);
    QFETCH(bool, refused);

    Reception reception;
    bool sawRefusal = false;
    for (const char c : bytes) {
        if (reception.take(static_cast<quint8>(c)) == Reception::Step::BadPreamble) {
            sawRefusal = true;
            break;
        }
    }
    QCOMPARE(sawRefusal, refused);
    QCOMPARE(reception.text(), kept);
    QCOMPARE(reception.received(), !kept.isEmpty());
}

void TestSerialRead::readStoresEveryRecord_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("realTiming");

    QTest::newRow("9600 baud") << QStringList{QStringLiteral("--records"), QStringLiteral("60")}
                               << false;
    QTest::newRow("with preamble, fast")
        << QStringList{QStringLiteral("--records"), QStringLiteral("60"),
                       QStringLiteral("--preamble"), QStringLiteral("--fast")}
        << false;
    QTest::newRow("real 2 s and 1 s timing")
        << QStringList{QStringLiteral("--records"), QStringLiteral("60"), QStringLiteral("--fast")}
        << true;
}

void TestSerialRead::readStoresEveryRecord()
{
    QFETCH(QStringList, options);
    QFETCH(bool, realTiming);

    Reading r(realTiming ? ReadTimings{} : kShort);
    HandsetSim sim;
    QVERIFY(sim.start(options, r.comPath(1)));
    bool stopShown = false;
    bool openDuringMessage = false;
    r.app.dialogs.onMessage = [&](const ScriptedDialogs::Message&) {
        openDuringMessage = r.command.MSCM->isOpen();
    };
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (r.harness.button->text() == kStop && r.harness.indicator->isVisible())
            stopShown = true;
    });
    probe.start(5);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.readToEnd());
    if (realTiming)
        QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));

    verifyClosingMessage(r, kReceptionEnd);
    QCOMPARE(r.stored(), 60);
    // Every third generated record is an alcohol measurement with a value.
    qint64 measured = 0;
    r.app.db.forEachRow(QStringLiteral("SELECT count(*) FROM Log_Data WHERE Unit_SN = '0080' "
                                       "AND Log_No IN (8, 9, 10) AND Alcohol LIKE '0.%'"),
                        [&](const QSqlQuery& q) { measured = q.value(0).toLongLong(); });
    QCOMPARE(measured, 20);
    QCOMPARE(r.harness.searchCalls, 1);
    QVERIFY(r.harness.clearCalls >= 1);
    QVERIFY(stopShown);
    QVERIFY(openDuringMessage); // the port closes after the closing message
    QCOMPARE(sim.received('A'), 1);
    QCOMPARE(sim.received('C'), 0);
    verifyIdle(r);
}

void TestSerialRead::preambleLosesExactlyItsFirst28Bytes()
{
    // A preamble ending in 0x0A: keeping one byte more or one less would
    // shift every field of the stream.
    const QString preamble =
        QStringLiteral("02") + QStringLiteral("50").repeated(26) + QStringLiteral("0A");
    Reading r;
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--hex-file"), sim.hexFile(preamble + plainStream(25)),
                       QStringLiteral("--fast")},
                      r.comPath(1)));
    QVERIFY(r.readToEnd());
    verifyClosingMessage(r, kReceptionEnd);
    QCOMPARE(r.stored(), 25);
    QStringList first;
    r.app.db.forEachRow(QStringLiteral("SELECT Unit_SN, Data_No, Date, Log_No FROM Log_Data "
                                       "ORDER BY Data_No LIMIT 1"),
                        [&](const QSqlQuery& q) {
                            for (int i = 0; i < 4; ++i)
                                first << q.value(i).toString();
                        });
    QCOMPARE(first, (QStringList{QStringLiteral("0080"), QStringLiteral("0000"),
                                 QStringLiteral("2024-04-01 00:00:00"), QStringLiteral("21")}));
}

void TestSerialRead::badPreambleStoresNothing()
{
    Reading r;
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("30"),
                       QStringLiteral("--bad-preamble"), QStringLiteral("--fast")},
                      r.comPath(1)));
    QVERIFY(r.readToEnd());
    verifyClosingMessage(r, kNoCommunication);
    QCOMPARE(r.stored(), 0);
    QCOMPARE(r.harness.searchCalls, 0);
    QCOMPARE(sim.received('C'), 0);
    verifyIdle(r);
}

void TestSerialRead::silentHandsetGetsCAfterThreeSeconds()
{
    Reading r(ReadTimings{}); // the real two-second wait and one-second silence
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--silent")}, r.comPath(1)));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.readToEnd());
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 2900, qPrintable(QString::number(elapsed)));
    verifyClosingMessage(r, kNoCommunication);
    QTRY_COMPARE(sim.received('C'), 1);
    QCOMPARE(sim.received('A'), 1);
    // "A" went out after the two-second wait, "C" a second after it.
    QCOMPARE(r.stored(), 0);
    QCOMPARE(r.harness.searchCalls, 0);
    verifyIdle(r);
}

void TestSerialRead::readingTwiceStoresNothingTwice()
{
    Reading r;
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("45"), QStringLiteral("--fast")},
                      r.comPath(1)));
    QVERIFY(r.readToEnd());
    QCOMPARE(r.stored(), 45);
    r.app.dialogs.clear();
    QVERIFY(r.readToEnd());
    verifyClosingMessage(r, kReceptionEnd);
    QCOMPARE(r.stored(), 45);
    QCOMPARE(sim.received('A'), 2);
    QCOMPARE(r.harness.searchCalls, 2);
}

void TestSerialRead::stopClickWhileReceiving()
{
    Reading r;
    HandsetSim sim;
    // About six seconds of records at 9600 baud.
    QVERIFY(sim.start({QStringLiteral("--hex-file"), sim.hexFile(plainStream(450))}, r.comPath(1)));
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

    verifyClosingMessage(r, kReceptionEnd);
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
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("10"), QStringLiteral("--fast")},
                      r.comPath(1)));
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
    verifyClosingMessage(r, kReceptionEnd);
}

void TestSerialRead::vanishingPortEndsTheRead()
{
    Reading r;
    HandsetSim sim;
    // The adapter goes away after 30 records' worth of bytes.
    QVERIFY(sim.start({QStringLiteral("--hex-file"), sim.hexFile(plainStream(200)),
                       QStringLiteral("--exit-after"), QString::number(4 + 13 * 30 + 6)},
                      r.comPath(1)));
    QVERIFY(r.readToEnd());
    verifyClosingMessage(r, kNoCommunication);
    // What arrived before the end is stored (a few last bytes may be lost
    // with the terminal).
    QVERIFY2(r.stored() > 20 && r.stored() <= 30, qPrintable(QString::number(r.stored())));
    QCOMPARE(r.harness.searchCalls, 1);
    verifyIdle(r);
}

void TestSerialRead::unopenablePortOpensThePortWindow()
{
    Reading r;
    // COM1 beside the program is something that is not a serial device.
    QFile notSerial(r.app.ctx.appDir + QStringLiteral("/not-serial"));
    QVERIFY(notSerial.open(QIODevice::WriteOnly));
    notSerial.close();
    QVERIFY(QFile::link(notSerial.fileName(), r.comPath(1)));
    bool cursorNormal = false;
    r.harness.onPortWindow = [&] { cursorNormal = QApplication::overrideCursor() == nullptr; };

    r.harness.button->click();
    QCOMPARE(r.harness.portWindowCalls, 1);
    QVERIFY(cursorNormal);
    QVERIFY(r.app.dialogs.messages.isEmpty());
    QCOMPARE(r.harness.searchCalls, 0);
    verifyIdle(r);
}

void TestSerialRead::storeFailureIsShown()
{
    Reading r;
    r.app.db.execute(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON Log_Data "
                                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("8"), QStringLiteral("--fast")},
                      r.comPath(1)));
    QVERIFY(r.readToEnd());
    QCOMPARE(r.app.dialogs.messages.size(), 2);
    QCOMPARE(r.app.dialogs.messages[0].text, kReceptionEnd);
    const auto& failure = r.app.dialogs.messages[1];
    QVERIFY2(failure.text.startsWith(QStringLiteral("受信したログの保存に失敗しました。\n")),
             qPrintable(failure.text));
    QVERIFY(failure.text.contains(QStringLiteral("disk is full")));
    QCOMPARE(failure.title, kTitle);
    QCOMPARE(failure.icon, MsgIcon::Exclamation);
    QCOMPARE(r.stored(), 0);
    QCOMPARE(r.app.quitCalls, 0);
    verifyIdle(r);
}

void TestSerialRead::englishTexts()
{
    Switches sw;
    sw.Eng_Flg = 1;
    Reading r(kShort, sw);
    r.harness.button->setText(QStringLiteral("Read"));
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("5")}, r.comPath(1)));
    QSignalSpy finished(&r.command, &ReadCommand::readFinished);
    r.harness.button->click();
    QTRY_COMPARE_WITH_TIMEOUT(r.harness.button->text(), QStringLiteral("Stop"), 5000);
    QVERIFY(finished.wait(10000));
    QCOMPARE(r.harness.button->text(), QStringLiteral("Read"));
    QCOMPARE(r.app.dialogs.messages.size(), 1);
    QCOMPARE(r.app.dialogs.messages.first().text, QStringLiteral("Reception end"));
    QCOMPARE(r.app.dialogs.messages.first().title, QStringLiteral("Reading"));
    QCOMPARE(r.stored(), 5);
}

QTEST_MAIN(TestSerialRead)
#include "tst_serial_read.moc"

// The port window: the stored number, changing it, refusing what is not a
// port number, the device shown, and a read that follows a change of port.
#include "comm/frm_com.h"
#include "comm/read_command.h"
#include "comm/serial_port.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

void setStoredPort(TestApp& app, int port)
{
    app.db.execute(QStringLiteral("UPDATE Com_Port SET Port = %1").arg(port));
}

QString comPath(const TestApp& app, int n)
{
    return app.ctx.appDir + QStringLiteral("/COM%1").arg(n);
}

} // namespace

class TestFrmCom : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheStoredPort();
    void emptyComPortShowsOneAndStoresNothing();
    void changeStoresThePort_data();
    void changeStoresThePort();
    void refusesWhatIsNotAPortNumber_data();
    void refusesWhatIsNotAPortNumber();
    void showsTheDeviceOfTheChosenNumber();
    void englishCaptions();
    void changedPortIsOpenedByTheNextRead();
};

void TestFrmCom::loadShowsTheStoredPort()
{
    TestApp app;
    setStoredPort(app, 7);
    Frm_Com f(app.ctx);
    QCOMPARE(f.objectName(), QStringLiteral("Frm_Com"));
    QCOMPARE(f.windowTitle(), QStringLiteral("通信設定"));
    QCOMPARE(f.Cmb_Port->count(), 16);
    QCOMPARE(f.Cmb_Port->itemText(0), QStringLiteral("1"));
    QCOMPARE(f.Cmb_Port->itemText(15), QStringLiteral("16"));
    QCOMPARE(f.Cmb_Port->currentText(), QStringLiteral("7"));
    // A second load (the window is created afresh each time) lists them once.
    f.Form_Load();
    QCOMPARE(f.Cmb_Port->count(), 16);
    QCOMPARE(Com_Read(app.db), 7);
}

void TestFrmCom::emptyComPortShowsOneAndStoresNothing()
{
    TestApp app;
    app.db.execute(QStringLiteral("DELETE FROM Com_Port"));
    QCOMPARE(Com_Read(app.db), 1);
    Frm_Com f(app.ctx);
    QCOMPARE(f.Cmb_Port->currentText(), QStringLiteral("1"));
    f.Cmb_Port->setCurrentText(QStringLiteral("4"));
    f.Cmd_Add_Click();
    QCOMPARE(app.count(QStringLiteral("Com_Port")), 0);
    QCOMPARE(Com_Read(app.db), 1);
    // No confirmation of a change that was not stored.
    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages.first().icon, MsgIcon::Exclamation);
    QVERIFY(!app.dialogs.lastText().contains(QStringLiteral("変更しました")));
}

void TestFrmCom::changeStoresThePort_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");

    QTest::newRow("3") << false << QStringLiteral("3") << 3
                       << QStringLiteral("COMポートを3に変更しました。")
                       << QStringLiteral("通信設定");
    QTest::newRow("16") << false << QStringLiteral("16") << 16
                        << QStringLiteral("COMポートを16に変更しました。")
                        << QStringLiteral("通信設定");
    QTest::newRow("typed with blanks")
        << false << QStringLiteral(" 05 ") << 5 << QStringLiteral("COMポートを5に変更しました。")
        << QStringLiteral("通信設定");
    QTest::newRow("English") << true << QStringLiteral("12") << 12
                             << QStringLiteral("The COM port was changed to 12")
                             << QStringLiteral("Prot Set");
}

void TestFrmCom::changeStoresThePort()
{
    QFETCH(bool, english);
    QFETCH(QString, typed);
    QFETCH(int, stored);
    QFETCH(QString, message);
    QFETCH(QString, title);

    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    TestApp app(sw);
    Frm_Com f(app.ctx);
    f.Cmb_Port->setCurrentText(typed);
    QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages.first().text, message);
    QCOMPARE(app.dialogs.messages.first().title, title);
    QCOMPARE(app.dialogs.messages.first().buttons, MsgButtons::Ok);
    QCOMPARE(app.dialogs.messages.first().icon, MsgIcon::None);
    QCOMPARE(Com_Read(app.db), stored);
    QCOMPARE(app.count(QStringLiteral("Com_Port")), 1);

    // Also after a restart: a new connection reads the new number.
    app.db.close();
    Database again;
    again.open(app.dbPath());
    QCOMPARE(Com_Read(again), stored);
}

void TestFrmCom::refusesWhatIsNotAPortNumber_data()
{
    QTest::addColumn<QString>("typed");
    for (const char* text : {"0", "17", "99", "-1", "3.5", "abc", "", "1 6", "３", "0x3"})
        QTest::newRow(text[0] ? text : "empty") << QString::fromUtf8(text);
}

void TestFrmCom::refusesWhatIsNotAPortNumber()
{
    QFETCH(QString, typed);
    TestApp app;
    setStoredPort(app, 2);
    Frm_Com f(app.ctx);
    f.Cmb_Port->setCurrentText(typed);
    f.Cmd_Add_Click();
    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages.first().text,
             QStringLiteral("COMポートには1から16までの数字を入力してください。"));
    QCOMPARE(app.dialogs.messages.first().title, QStringLiteral("通信設定"));
    QCOMPARE(app.dialogs.messages.first().icon, MsgIcon::Exclamation);
    QCOMPARE(Com_Read(app.db), 2);
}

void TestFrmCom::showsTheDeviceOfTheChosenNumber()
{
    TestApp app;
    const QString link = comPath(app, 5);
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
    QCOMPARE(portDevicePath(5, app.ctx.appDir), link);
    QCOMPARE(portDevicePath(0, app.ctx.appDir), QString());

    Frm_Com f(app.ctx);
    f.Cmb_Port->setCurrentIndex(4);
    QCOMPARE(f.LB_Device->text(), QStringLiteral("接続先：%1（/dev/null）").arg(link));
    f.Cmb_Port->setCurrentText(QStringLiteral("abc"));
    QCOMPARE(f.LB_Device->text(), QStringLiteral("接続先：このパソコンにはありません"));
    // Without a link the number opens the adapter or the built-in port, when present.
    f.Cmb_Port->setCurrentIndex(9);
    const QString builtIn = portDevicePath(10, app.ctx.appDir);
    QCOMPARE(f.LB_Device->text(), builtIn.isEmpty()
                                      ? QStringLiteral("接続先：このパソコンにはありません")
                                      : QStringLiteral("接続先：%1").arg(builtIn));
}

void TestFrmCom::englishCaptions()
{
    Switches sw;
    sw.Eng_Flg = 1;
    TestApp app(sw);
    Frm_Com f(app.ctx);
    QCOMPARE(f.windowTitle(), QStringLiteral("Prot Set"));
    QCOMPARE(f.Label1->text(), QStringLiteral("Prot Set"));
    QCOMPARE(f.Label2->text(), QStringLiteral("COM Prot:"));
    QCOMPARE(f.Cmd_Add->text(), QStringLiteral("Change"));
    QCOMPARE(f.Cmd_Modoru->text(), QStringLiteral("Close"));
}

void TestFrmCom::changedPortIsOpenedByTheNextRead()
{
    TestApp app;
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("12"), QStringLiteral("--fast")},
                      comPath(app, 3)));

    // The stored port 1 has nothing beside the program: the read opens the
    // port window, where the operator chooses 3, changes and closes.
    QFile notSerial(app.ctx.appDir + QStringLiteral("/not-serial"));
    QVERIFY(notSerial.open(QIODevice::WriteOnly));
    notSerial.close();
    QVERIFY(QFile::link(notSerial.fileName(), comPath(app, 1)));
    ReadHarness harness;
    bool shown = false;
    harness.onPortWindow = [&] {
        Frm_Com f(app.ctx, &harness.window);
        QTimer::singleShot(0, &f, [&] {
            shown = f.isVisible();
            f.Cmb_Port->setCurrentIndex(2);
            QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
            QTest::mouseClick(f.Cmd_Modoru, Qt::LeftButton);
        });
        f.exec();
    };
    ReadCommand command(app.ctx, harness.ui(), ReadTimings{50, 300, 300});
    command.Cmd_Read_Click();
    QVERIFY(shown);
    QCOMPARE(harness.portWindowCalls, 1);
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("COMポートを3に変更しました。"));
    QCOMPARE(sim.received('A'), 0);

    app.dialogs.clear();
    QSignalSpy finished(&command, &ReadCommand::readFinished);
    command.Cmd_Read_Click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(harness.portWindowCalls, 1);
    QCOMPARE(sim.received('A'), 1);
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("受信終了"));
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 12);
    QCOMPARE(harness.searchCalls, 1);
}

QTEST_MAIN(TestFrmCom)
#include "tst_frm_com.moc"

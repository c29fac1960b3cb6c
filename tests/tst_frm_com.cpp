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

// Every message shown, as "title|text|icon" (0 none, 2 exclamation), "+YesNo" unless only OK.
QStringList shown(const ScriptedDialogs& d)
{
    QStringList out;
    for (const auto& m : d.messages)
        out << QStringLiteral("%1|%2|%3").arg(m.title, m.text).arg(int(m.icon)) +
                   QLatin1String(m.buttons == MsgButtons::Ok ? "" : "+YesNo");
    return out;
}

} // namespace

class TestFrmCom : public QObject {
    Q_OBJECT
private slots:
    void typedPortIsStoredOrRefused_data();
    void typedPortIsStoredOrRefused();
    void showsTheDeviceOfTheChosenNumber();
    void changedPortIsOpenedByTheNextRead();
};

void TestFrmCom::typedPortIsStoredOrRefused_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("before"); // the stored number; 0: Com_Port has no row
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("after"); // the number read back afterwards
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, bool english, int before, const char* typed, int after,
                        const QString& message) {
        QTest::newRow(name) << english << before << QString::fromUtf8(typed) << after << message;
    };
    row("3", false, 2, "3", 3, "通信設定|COMポートを3に変更しました。|0");
    row("16", false, 2, "16", 16, "通信設定|COMポートを16に変更しました。|0");
    row("blanks", false, 2, " 05 ", 5, "通信設定|COMポートを5に変更しました。|0");
    row("English", true, 2, "12", 12, "Prot Set|The COM port was changed to 12|0");
    // An empty table reads as 1 and keeps nothing: no confirmation of a change.
    row("no row", false, 0, "4", 1,
        "通信設定|COMポートの設定がデータベースにないため、変更できません。|2");
    for (const char* text : {"0", "17", "99", "-1", "3.5", "abc", "", "1 6", "３", "0x3"})
        row(text[0] ? text : "empty", false, 2, text, 2,
            "通信設定|COMポートには1から16までの数字を入力してください。|2");
}

void TestFrmCom::typedPortIsStoredOrRefused()
{
    QFETCH(bool, english);
    QFETCH(int, before);
    QFETCH(QString, typed);
    QFETCH(int, after);
    QFETCH(QString, message);
    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    TestApp app(sw);
    app.db.execute(before ? QStringLiteral("UPDATE Com_Port SET Port = %1").arg(before)
                          : QStringLiteral("DELETE FROM Com_Port"));
    Frm_Com f(app.ctx);
    QCOMPARE(f.objectName(), QStringLiteral("Frm_Com"));
    QCOMPARE((QStringList{f.windowTitle(), f.Label1->text(), f.Label2->text(), f.Cmd_Add->text(),
                          f.Cmd_Modoru->text()}),
             (english ? QStringList{"Prot Set", "Prot Set", "COM Prot:", "Change", "Close"}
                      : QStringList{"通信設定", "通信設定", "COMポート：", "変更", "戻る"}));
    f.Form_Load(); // loaded again, the numbers are listed once
    QCOMPARE(f.Cmb_Port->currentText(), QString::number(before ? before : 1));
    QCOMPARE(f.Cmb_Port->count(), 16);
    QCOMPARE(f.Cmb_Port->itemText(0), QStringLiteral("1"));
    QCOMPARE(f.Cmb_Port->itemText(15), QStringLiteral("16"));

    f.Cmb_Port->setCurrentText(typed);
    QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
    QCOMPARE(shown(app.dialogs), QStringList{message});
    QCOMPARE(app.count(QStringLiteral("Com_Port")), before ? 1 : 0);
    // A new connection (the next start of the program) reads the number.
    app.db.close();
    Database again;
    again.open(app.dbPath());
    QCOMPARE(Com_Read(again), after);
}

void TestFrmCom::showsTheDeviceOfTheChosenNumber()
{
    TestApp app;
    const QString link = app.ctx.appDir + QStringLiteral("/COM5");
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
    QCOMPARE(portDevicePath(5, app.ctx.appDir), link);

    Frm_Com f(app.ctx);
    const QString none = QStringLiteral("接続先：このパソコンにはありません");
    f.Cmb_Port->setCurrentIndex(4);
    QCOMPARE(f.LB_Device->text(), QStringLiteral("接続先：%1（/dev/null）").arg(link));
    f.Cmb_Port->setCurrentText(QStringLiteral("abc"));
    QCOMPARE(f.LB_Device->text(), none);
    // Without a link the number opens the adapter or the built-in port, when present.
    f.Cmb_Port->setCurrentIndex(9);
    const QString builtIn = portDevicePath(10, app.ctx.appDir);
    QCOMPARE(f.LB_Device->text(),
             builtIn.isEmpty() ? none : QStringLiteral("接続先：%1").arg(builtIn));
}

void TestFrmCom::changedPortIsOpenedByTheNextRead()
{
    TestApp app;
    HandsetSim sim;
    QVERIFY(sim.start({QStringLiteral("--records"), QStringLiteral("12"), QStringLiteral("--fast")},
                      app.ctx.appDir + QStringLiteral("/COM3")));
    // The stored port 1 is a file that is not a serial device: the read opens
    // the port window, where the operator chooses 3, changes and closes.
    QVERIFY(QFile::link(app.dbPath(), app.ctx.appDir + QStringLiteral("/COM1")));
    ReadHarness harness;
    bool shownIdle = false;
    harness.onPortWindow = [&] {
        Frm_Com f(app.ctx, &harness.window);
        QTimer::singleShot(0, &f, [&] {
            shownIdle = f.isVisible() && QApplication::overrideCursor() == nullptr &&
                        app.dialogs.messages.isEmpty();
            f.Cmb_Port->setCurrentIndex(2);
            QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
            QTest::mouseClick(f.Cmd_Modoru, Qt::LeftButton);
        });
        f.exec();
    };
    ReadCommand command(app.ctx, harness.ui(), ReadTimings{50, 300, 300});
    command.Cmd_Read_Click();
    QVERIFY(shownIdle);
    QCOMPARE(shown(app.dialogs), QStringList{"通信設定|COMポートを3に変更しました。|0"});
    QCOMPARE(sim.received('A'), 0);
    QCOMPARE(harness.searchCalls, 0);

    app.dialogs.clear();
    QSignalSpy finished(&command, &ReadCommand::readFinished);
    command.Cmd_Read_Click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(harness.portWindowCalls, 1);
    QCOMPARE(sim.received('A'), 1);
    QCOMPARE(shown(app.dialogs), QStringList{"読込み|受信終了|0"});
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 12);
    QCOMPARE(harness.searchCalls, 1);
}

QTEST_MAIN(TestFrmCom)
#include "tst_frm_com.moc"

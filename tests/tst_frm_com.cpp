#include "comm/frm_com.h"
#include "comm/serial_port.h"
#include "main/frm_main.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QSerialPort>
#include <QTest>
#include <QtWidgets>

class TestFrmCom : public QObject {
    Q_OBJECT
private slots:
    void typedPortIsStoredOrRefused_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("before"); // the stored number; 0: Com_Port has no row
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("after"); // the number read back afterwards
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("device"); // %1: the program folder, where COM16 is a link
        QTest::newRow("16 in English")
            << true << 2 << " 16 " << 16 << "Prot Set|The COM port was changed to 16|0"
            << "Device: %1/COM16 (/dev/null)";
        QTest::newRow("no row")
            << false << 0 << "16" << 1
            << "通信設定|COMポートの設定がデータベースにないため、変更できません。|2"
            << "接続先：%1/COM16（/dev/null）";
        for (const char* text : {"0", "17", "-1", "3.5", "abc", "", "1 6", "３"})
            QTest::newRow(text[0] ? text : "empty")
                << false << 2 << text << 2
                << "通信設定|COMポートには1から16までの数字を入力してください。|2"
                << "接続先：このパソコンにはありません";
    }
    void typedPortIsStoredOrRefused()
    {
        QFETCH(bool, english);
        QFETCH(int, before);
        QFETCH(QString, typed);
        QFETCH(int, after);
        QFETCH(QString, message);
        QFETCH(QString, device);
        TestApp app(Switches{.Eng_Flg = english});
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), app.ctx.appDir + "/COM16"));
        app.db.execute(before ? QStringLiteral("UPDATE Com_Port SET Port = %1").arg(before)
                              : QStringLiteral("DELETE FROM Com_Port"));
        Frm_Com f(app.ctx);
        f.Form_Load(); // loaded again, the numbers are listed once
        QCOMPARE(f.Cmb_Port->currentText(), QString::number(before ? before : 1));
        QCOMPARE(f.Cmb_Port->count(), 16);
        f.Cmb_Port->setCurrentText(typed);
        QCOMPARE(f.LB_Device->text(), device.replace(QStringLiteral("%1"), app.ctx.appDir));
        QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
        QCOMPARE(shown(app.dialogs), QStringList{message});
        QCOMPARE(app.count(QStringLiteral("Com_Port")), before ? 1 : 0);
        QCOMPARE(Com_Read(app.db), after);
    }
    void changedPortIsOpenedByTheNextRead()
    {
        TestApp app;
        HandsetSim sim;
        QVERIFY(sim.start({"--records", "12", "--fast"}, app.ctx.appDir + "/COM3"));
        // Port 1 is no serial device: the read shows the port window, where the operator chooses 3.
        QVERIFY(QFile::link(app.dbPath(), app.ctx.appDir + "/COM1"));
        Frm_Main w(app.ctx);
        w.Form_Load();
        bool idle = false; // no busy pointer while the port window shows
        QString status;    // ... and the status line says why
        QTimer::singleShot(0, &w, [&] {
            Frm_Com* f = w.findChild<Frm_Com*>();
            QVERIFY(f);
            idle = !QApplication::overrideCursor();
            status = w.LB_Status->text();
            f->Cmb_Port->setCurrentIndex(2);
            QTest::mouseClick(f->Cmd_Add, Qt::LeftButton);
            QTest::mouseClick(f->Cmd_Modoru, Qt::LeftButton);
        });
        w.Cmd_Read->click();
        QVERIFY(idle);
        QCOMPARE(status, "前回の読込：COM1を開けません。");
        w.Cmd_Read->click(); // opens port 3, with no second port window
        QTRY_COMPARE_WITH_TIMEOUT(
            shown(app.dialogs),
            (QStringList{"通信設定|COMポートを3に変更しました。|0", "読込み|受信終了|0"}), 10000);
        QCOMPARE(app.count(QStringLiteral("Log_Data")), 12);
    }
    void danglingLinkIsThePort()
    {
        TestApp app;
        HandsetSim sim;
        // A folder standing for /dev, its ttyS0 a working handset.
        QTemporaryDir system;
        QVERIFY(sim.start({"--records", "5", "--fast"}, system.filePath("ttyS0")));
        const QStringList fallback{system.filePath("ttyUSB%1"), system.filePath("ttyS%1")};
        const QString appDir = app.ctx.appDir, com1 = appDir + "/COM1";
        QCOMPARE(portDevicePath(1, appDir, fallback), system.filePath("ttyS0"));
        // COM1 beside the program points at an adapter that was unplugged: it is still the port.
        QVERIFY(QFile::link(system.filePath("ttyUSB7"), com1));
        QCOMPARE(portDevicePath(1, appDir, fallback), com1);
        QSerialPort port;
        short number = 1;
        QVERIFY(!Com_Open(port, number, appDir, fallback)); // not the working ttyS0
        QCOMPARE(Frm_Com(app.ctx).LB_Device->text(),
                 "接続先：" + com1 + "（" + system.filePath("ttyUSB7") + " は見つかりません）");
    }
};

QTEST_MAIN(TestFrmCom)
#include "tst_frm_com.moc"

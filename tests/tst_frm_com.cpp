#include "base/program_places.h"
#include "base/texts/comm.h"
#include "base/texts/main.h"
#include "comm/port_list.h"
#include "comm/serial_port.h"
#include "comm_window/frm_com.h"
#include "main/frm_main.h"
#include "start/program_db.h"
#include "support/handset_sim.h"
#include "support/pg_cluster.h"
#include "support/services.h"
#include "support/test_db.h"

#include <QScopeGuard>
#include <QSerialPort>
#include <QTest>
#include <QtWidgets>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace tc = texts::com;

// The list's rows as "numbers|device|state", those of the given devices only (the computer's own
// serial ports vary).
QStringList rows(const Frm_Com& f, const QStringList& devices)
{
    QStringList out;
    for (int i = 0; i < f.List_Port->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = f.List_Port->topLevelItem(i);
        if (devices.contains(row->text(1)))
            out << row->text(0) + "|" + row->text(1) + "|" + row->text(5);
    }
    return out;
}

QString deviceOf(const QString& link)
{
    return QFileInfo(link).canonicalFilePath();
}

} // namespace

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
        // {dir}: the program folder, where COM16 is a link and COM15 one to an unplugged adapter
        QTest::addColumn<QString>("device");
        QTest::newRow("16 in English")
            << true << 2 << " 16 " << 16 << "Prot Set|The COM port was changed to 16|0"
            << tc::DeviceLink.en_().arg("{dir}/COM16", "/dev/null");
        QTest::newRow("no row") << false << 0 << "16" << 1
                                << "通信設定|" + tc::NoPortRow.ja_() + "|2"
                                << tc::DeviceLink.ja_().arg("{dir}/COM16", "/dev/null");
        QTest::newRow("unplugged 15")
            << false << 2 << "15" << 15 << "通信設定|COMポートを15に変更しました。|0"
            << tc::DeviceLinkGone.ja_().arg("{dir}/COM15", "{dir}/gone");
        for (const char* text : {"0", "17", "-1", "3.5", "abc", "", "1 6", "３"})
            QTest::newRow(text[0] ? text : "empty")
                << false << 2 << text << 2 << "通信設定|" + tc::BadPort.ja_() + "|2"
                << tc::NoDevice.ja_();
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
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), app.ctx.appDir + "/COM16") &&
                QFile::link(app.ctx.appDir + "/gone", app.ctx.appDir + "/COM15"));
        app.db.execute(before ? QStringLiteral("UPDATE Com_Port SET Port = %1").arg(before)
                              : QStringLiteral("DELETE FROM Com_Port"));
        Frm_Com f(app.ctx);
        f.Form_Load(); // loaded again, the numbers are listed once
        QCOMPARE(f.Cmb_Port->currentText(), QString::number(before ? before : 1));
        QCOMPARE(f.Cmb_Port->count(), 16);
        f.Cmb_Port->setCurrentText(typed);
        QCOMPARE(f.LB_Device->text(), device.replace("{dir}", app.ctx.appDir));
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
        // Another program holds port 1: the read says so, then shows the port window, where the
        // operator chooses 3.
        HandsetSim heldSim;
        QVERIFY(heldSim.start({"--records", "1"}, app.ctx.appDir + "/COM1"));
        const QString heldDevice = deviceOf(app.ctx.appDir + "/COM1");
        QSerialPort other;
        other.setPortName(heldDevice);
        QVERIFY(other.open(QIODevice::ReadWrite));
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
        QCOMPARE(status, texts::read_status::NotRead.ja_().arg(
                             texts::handset_read::PortNotOpened.ja_().arg(1)));
        w.Cmd_Read->click(); // opens port 3, with no second port window
        const QString held =
            "読込み|" +
            tc::HeldBy.ja_().arg(heldDevice,
                                 "tst_frm_com, pid " +
                                     QString::number(QCoreApplication::applicationPid())) +
            "|2";
        QTRY_COMPARE_WITH_TIMEOUT(
            shown(app.dialogs),
            (QStringList{held, "通信設定|COMポートを3に変更しました。|0", "読込み|受信終了|0"}),
            10000);
        QCOMPARE(app.count(QStringLiteral("Log_Data")), 12);
    }
    // One entry per device: QSerialPortInfo's description, the /dev/serial/by-id name kept as its
    // path, the numbers that open it; a COMn link whose device has gone stays the port, listed by
    // its target, even where a device of the fallback name is present.
    void listMergesTheNamesOfADevice()
    {
        QTemporaryDir dir;
        const QString dev = dir.filePath("ttyUSB0"), byId = dir.filePath("by-id/usb-FTDI_A1B2");
        const QString app = dir.filePath("app");
        QVERIFY(writeFile(dev, "") && QDir().mkpath(dir.filePath("by-id")) && QDir().mkpath(app));
        QVERIFY(QFile::link(dev, byId) && QFile::link(byId, app + "/COM2") &&
                QFile::link(dir.filePath("gone"), app + "/COM1"));
        QVERIFY(QFile::link(dev, app + "/COM17")); // no port number: not listed
        const QStringList devices{dir.filePath("ttyUSB%1")};
        const QList<PortEntry> entries = listPorts(
            {{{dev, "FT232R USB UART", "FTDI", "A1B2"}}, dir.filePath("by-id"), app, [&](int n) {
                 return portDevicePath(n, app, devices);
             }});
        QStringList out;
        for (const PortEntry& e : entries) {
            QStringList numbers;
            for (const int n : e.numbers)
                numbers << QString::number(n);
            out << QStringList{numbers.join(','), e.path,         e.device,      e.names.join(','),
                               e.description,     e.manufacturer, e.serialNumber}
                       .join('|');
        }
        QCOMPARE(out, (QStringList{"1|" + dir.filePath("gone") + "||" + app + "/COM1|||",
                                   "2|" + byId + "|" + dev + "|" + dev + "," + byId + "," + app +
                                       "/COM2|FT232R USB UART|FTDI|A1B2"}));
    }

    // The devices present and the numbers that open each, as they come and go; for user nobody a
    // device of dialout, one only root opens, and one another program holds are refused with what
    // to do.
    void portListWithARefusedAndAHeldDevice()
    {
        if (::geteuid() != 0)
            QVX_SERVICE_MISSING(
                "needs root, to give a device to the group dialout and run as nobody");
        TestApp app;
        HandsetSim refusedSim, heldSim, rootSim;
        const QString dir = app.ctx.appDir;
        QVERIFY(refusedSim.start({"--records", "1"}, dir + "/COM2"));
        QVERIFY(heldSim.start({"--records", "1"}, dir + "/COM3"));
        QVERIFY(rootSim.start({"--records", "1"}, dir + "/COM5"));
        const QString refused = deviceOf(dir + "/COM2"), held = deviceOf(dir + "/COM3");
        const QString rootOnly = deviceOf(dir + "/COM5");
        QVERIFY(::chown(QFile::encodeName(refused), 0, 20) == 0); // root:dialout, as udev makes it
        QVERIFY(::chown(QFile::encodeName(rootOnly), 0, 0) == 0); // root:root, for root alone
        QVERIFY(::chmod(QFile::encodeName(refused), 0660) == 0 &&
                ::chmod(QFile::encodeName(rootOnly), 0600) == 0 &&
                ::chmod(QFile::encodeName(held), 0666) == 0);
        QSerialPort other;
        other.setPortName(held);
        QVERIFY(other.open(QIODevice::ReadWrite));
        // Nobody may store the port number.
        QVERIFY(::chmod(QFile::encodeName(dir), 0777) == 0 &&
                ::chmod(QFile::encodeName(app.dbPath()), 0666) == 0);
        std::optional<HandsetSim> plugged;
        // The rest as user nobody, for permissions that bind as they do for an operator.
        QVERIFY(::setresuid(65534, 65534, 0) == 0);
        const auto root = qScopeGuard([] {
            if (::setresuid(0, 0, 0) != 0)
                qFatal("cannot return to root");
        });

        Frm_Com f(app.ctx);
        const QString holder =
            QStringLiteral("tst_frm_com, pid %1").arg(QCoreApplication::applicationPid());
        QCOMPARE(rows(f, {refused, held, rootOnly}),
                 (QStringList{"2|" + refused + "|" + tc::StateRefused.ja_().arg("dialout"),
                              "3|" + held + "|" + tc::StateHeldBy.ja_().arg(holder),
                              "5|" + rootOnly + "|" + tc::StateOwnerOnly.ja_().arg("root")}));
        plugged.emplace();
        QVERIFY(plugged->start({"--records", "1"}, dir + "/COM4"));
        const QString added = deviceOf(dir + "/COM4");
        QTRY_COMPARE(rows(f, {added}), QStringList{"4|" + added + "|"});
        plugged.reset(); // unplugged: its link goes
        QTRY_COMPARE(rows(f, {added}), QStringList());

        for (const char* port : {"2", "3", "5"}) {
            f.Cmb_Port->setCurrentText(port);
            QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
        }
        const QString fix =
            "通信設定|" + tc::Refused.ja_().arg(refused, "dialout", "nobody") + "|2";
        const QString inUse = "通信設定|" + tc::HeldBy.ja_().arg(held, holder) + "|2";
        const QString onlyRoot =
            "通信設定|" +
            tc::OwnerOnly.ja_().arg(rootOnly, "root", texts::main_window::Cmd_Setei.ja_()) + "|2";
        QCOMPARE(shown(app.dialogs),
                 (QStringList{"通信設定|COMポートを2に変更しました。|0", fix,
                              "通信設定|COMポートを3に変更しました。|0", inUse,
                              "通信設定|COMポートを5に変更しました。|0", onlyRoot}));
    }

    // Choosing a device from the list keeps it for the number: beside the SQLite file as the link
    // COMn. On a server each PC keeps number and device in its own settings, the one Com_Port row
    // stays as it was, and a read opens the device kept.
    void portKeptPerPcOnTheServer_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("SQLite") << false;
        QTest::newRow("server") << true;
    }
    void portKeptPerPcOnTheServer()
    {
        QFETCH(bool, server);
        QString why;
        if (server && !PgCluster::instance(&why))
            QVX_SERVICE_MISSING(why);
        TestApp a(server ? DbEngine::Postgresql : DbEngine::Sqlite, {});
        // Started as the program starts: the computer's settings name the server, or nothing.
        ProgramPlaces places;
        places.dataDir = a.ctx.appDir;
        places.settings = {{a.dir.filePath("computer.ini"), a.ctx.settings.own},
                           a.ctx.settings.own};
        const ServerAddress& at = a.program.setting.server;
        QVERIFY(writeFile(places.settings.read[0],
                          server ? QString("[database]\ndriver=postgresql\nhost=%1\nport=%2\n"
                                           "dbname=%3\nuser=%4\n")
                                       .arg(at.host, at.port, at.dbname, at.user)
                                       .toUtf8()
                                 : QByteArray()));
        DB_Place(a.ctx, a.program, places);
        QCOMPARE(a.program.setting.usesFile(), !server);
        HandsetSim sim;
        QVERIFY(sim.start({"--records", "12", "--fast"}, a.ctx.appDir + "/COM7"));
        const QString pty = deviceOf(a.ctx.appDir + "/COM7");
        {
            Frm_Com f(a.ctx);
            f.Cmb_Port->setCurrentText("3");
            const auto items = f.List_Port->findItems(pty, Qt::MatchExactly, 1);
            QVERIFY(!items.isEmpty());
            f.List_Port->setCurrentItem(items[0]);
            QCOMPARE(f.LB_Device->text(), tc::Device.ja_().arg(pty));
            QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
            QCOMPARE(rows(f, {pty}), QStringList{"3, 7|" + pty + "|"});
        }
        QCOMPARE(QFileInfo(a.ctx.appDir + "/COM3").symLinkTarget(), server ? QString() : pty);
        // A second PC on the same database keeps its own.
        AppContext b = a.ctx;
        QTemporaryDir other;
        b.appDir = other.path();
        b.settings = SettingsFiles::in(other.path());
        {
            Frm_Com f(b);
            QCOMPARE(f.Cmb_Port->currentText(), server ? "1" : "3");
            f.Cmb_Port->setCurrentText("5");
            QTest::mouseClick(f.Cmd_Add, Qt::LeftButton);
        }
        QCOMPARE(Frm_Com(a.ctx).Cmb_Port->currentText(), server ? "3" : "5");
        QCOMPARE(firstColumn(a.db, "SELECT Port FROM Com_Port"), QStringList{server ? "1" : "5"});
        if (!server)
            return;
        QCOMPARE(fileBytes(a.ctx.settings.own), "[port]\nnumber=3\ndevice=" + pty.toUtf8() + "\n");
        QCOMPARE(fileBytes(b.settings.own), "[port]\nnumber=5\ndevice=\n");
        Frm_Main w(a.ctx);
        w.Form_Load();
        w.Cmd_Read->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(a.dialogs).value(2), "読込み|受信終了|0", 10000);
        QCOMPARE(a.count("Log_Data"), 12);
    }
};

QVX_TEST_MAIN(TestFrmCom)
#include "tst_frm_com.moc"

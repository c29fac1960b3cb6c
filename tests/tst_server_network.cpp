// A server reached over the network: TLS, failover, a stopped standby, a silent host.
#include "admin/frm_kiki.h"
#include "app/connect_progress.h"
#include "app/frm_login.h"
#include "base/texts/server.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "support/pg_cluster.h"
#include "support/services.h"
#include "support/test_db.h"

#include <QTcpServer>
#include <QTest>
#include <QtWidgets>
#include <clocale>
#include <thread>

// What the operator sees while the program waits for its server, looked at by a posted event each
// time the window's events run (the wait runs no timers): the wait window's first text, the
// pointer, and the refusal of a statement asked for meanwhile.
class WaitSeen {
public:
    struct Seen {
        QString label;
        QString refusal;
        bool busy = false;
        bool watching = true;
    };
    explicit WaitSeen(Database& db) { look(db, seen_); }
    ~WaitSeen() { seen_->watching = false; }
    const Seen& operator*() const { return *seen_; }
    const Seen* operator->() const { return seen_.get(); }

private:
    static void look(Database& db, const std::shared_ptr<Seen>& seen)
    {
        QMetaObject::invokeMethod(
            qApp,
            [&db, seen] {
                if (!seen->watching)
                    return;
                for (QWidget* w : QApplication::allWidgets()) {
                    const auto* window = qobject_cast<QProgressDialog*>(w);
                    if (window && window->objectName() == "ServerWait" && window->isVisible() &&
                        seen->label.isEmpty())
                        seen->label = window->labelText();
                }
                const QCursor* pointer = QGuiApplication::overrideCursor();
                seen->busy = seen->busy || (pointer && pointer->shape() == Qt::WaitCursor);
                if (!seen->label.isEmpty() && seen->refusal.isEmpty()) {
                    try {
                        db.execute("DELETE FROM Log_Data");
                        seen->refusal = "(done)";
                    } catch (const DbError& e) {
                        seen->refusal = e.message();
                    }
                }
                look(db, seen);
            },
            Qt::QueuedConnection);
    }
    std::shared_ptr<Seen> seen_ = std::make_shared<Seen>();
};

class TstServerNetwork : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString why;
        if (!PgCluster::instance(&why))
            QVX_SERVICE_MISSING("no PostgreSQL server for these tests: " + why);
        tls_ = PgCluster::create({.tls = true}, &why);
        QVERIFY2(tls_, qPrintable(why));
        tlsDb_ = tls_->seededDatabase(delivered_db::DeliveredFile::Japanese);
    }

    // sslmode=verify-full: the start goes on with the test authority's certificate for
    // "localhost"; another authority, or another name for the server, is refused with a reason
    // in the window's language, whatever language libpq's own text is in.
    void tlsAtTheStart_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("otherAuthority");
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("refusal"); // "" when the program starts; {s}: host:port
        const auto row = [](const QString& name, const char* host, bool other, const char* locale,
                            bool english, const QString& refusal) {
            QTest::newRow(qPrintable(name + ", " + locale))
                << QString(host) << other << QByteArray(locale) << english << refusal;
        };
        const QString ca = "Quarvenix-test-CA", other = tls_->otherAuthorityFile();
        row("verified", "localhost", false, "C.UTF-8", false, "");
        for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8"}) {
            row("another authority", "localhost", true, locale, false,
                texts::server::UnknownCa.ja_().arg("{s}", other, ca));
            row("another name", "127.0.0.1", false, locale, false,
                texts::server::WrongName.ja_().arg("{s}", "localhost"));
        }
        row("another authority, English window", "localhost", true, "ja_JP.UTF-8", true,
            texts::server::UnknownCa.en_().arg("{s}", other, ca));
        row("another name, English window", "127.0.0.1", false, "C.UTF-8", true,
            texts::server::WrongName.en_().arg("{s}", "localhost"));
    }
    void tlsAtTheStart()
    {
        QFETCH(QString, host);
        QFETCH(bool, otherAuthority);
        QFETCH(QByteArray, locale);
        QFETCH(bool, english);
        QFETCH(QString, refusal);
        if (!std::setlocale(LC_ALL, locale.constData()))
            QVX_SERVICE_MISSING("the locale " + locale + " is not installed");
        const auto back = qScopeGuard([] { std::setlocale(LC_ALL, "C.UTF-8"); });
        TestApp app(DbEngine::Sqlite, Switches{.Eng_Flg = english ? 1 : 0}, false);
        ServerAddress server = tls_->address(tlsDb_);
        server.host = host;
        server.sslmode = "verify-full";
        server.sslrootcert = otherAuthority ? tls_->otherAuthorityFile() : tls_->authorityFile();
        app.program.setting = DbSetting::onServer(server);
        Frm_Login window(app.ctx, app.program, [] {});
        QCOMPARE(window.Form_Load(), refusal.isEmpty());
        if (refusal.isEmpty()) { // verified again, with the setting's authority, once reconnected
            for (int connection = 0; connection < 2; ++connection) {
                QCOMPARE(
                    firstColumn(app.db, "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"),
                    QStringList{"t"});
                tls_->exec("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity WHERE "
                           "application_name = 'quarvenix'");
            }
            return;
        }
        const QString text = app.dialogs.messages.value(0).text;
        QVERIFY2(text.contains(refusal.replace("{s}", host + ':' + QString::number(tls_->port()))),
                 qPrintable(text));
    }

    // The standby is promoted and the primary stopped during a read: the read reports the loss,
    // the window's next search finds every committed log on the new primary, a second read stores
    // the rest, each log once.
    void failover()
    {
        QString why;
        const auto primary = PgCluster::create({.tcp = true, .replication = true}, &why);
        QVERIFY2(primary, qPrintable(why));
        const auto standby = primary->startStandby(&why);
        QVERIFY2(standby, qPrintable(why));
        const QString name = primary->seededDatabase(delivered_db::DeliveredFile::Japanese);
        TestApp app(DbEngine::Sqlite, Switches{}, false);
        ServerAddress server = primary->address(name);
        server.host = "127.0.0.1,127.0.0.1";
        server.port = QString("%1,%2").arg(primary->port()).arg(standby->port());
        server.targetSessionAttrs = "read-write";
        app.db.open(server);
        Frm_Main w(app.ctx);
        w.Form_Load();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();

        int chunks = 0;
        std::thread stopper;
        const DecodeOutcome cut = Log_Decode(app.db, sampleStream(), app.ctx.now, [&] {
            if (++chunks != 2)
                return;
            // The third chunk's commit waits for the standby, which no longer follows.
            QVERIFY(standby->promote());
            stopper = std::thread([&] {
                while (primary->value("SELECT count(*) FROM pg_stat_activity WHERE wait_event = "
                                      "'SyncRep'") == "0")
                    std::this_thread::yield();
                primary->stop();
            });
        });
        stopper.join();
        QCOMPARE(cut.stored, 10000);
        QVERIFY(!cut.ok());

        w.Cmd_Find->click();
        QVERIFY2(app.dialogs.messages.isEmpty(), qPrintable(app.dialogs.messages.value(0).text));
        QCOMPARE(w.MSFG->gridModel()->Rows() - 1, 10000);
        const DecodeOutcome again = Log_Decode(app.db, sampleStream(), app.ctx.now);
        QVERIFY2(again.ok() && again.stored == 20000 && again.duplicates == 10002,
                 qPrintable(again.error));
        QCOMPARE(standby->value("SELECT count(*) || ' ' || count(DISTINCT (Unit_SN, Date, "
                                "Data_No)) FROM Log_Data",
                                name),
                 "30000 30000");
    }

    // The synchronous standby stops: a sign-in and a read end within the wait, saying the write is
    // unconfirmed, busy under a window naming the server, a statement meanwhile refused; a server
    // no standby confirms for is named once in the status line and the history.
    void stoppedStandby()
    {
        QString why;
        const auto primary = PgCluster::create({.tcp = true, .replication = true}, &why);
        QVERIFY2(primary, qPrintable(why));
        const auto standby = primary->startStandby(&why);
        QVERIFY2(standby, qPrintable(why));
        const QString name = primary->seededDatabase(delivered_db::DeliveredFile::Japanese);
        QVERIFY(standby->stop());
        TestApp app(DbEngine::Sqlite, Switches{}, false);
        app.db.setConnectView(connectProgress(app.ctx));
        ServerAddress server = primary->address(name);
        server.host = "127.0.0.1,127.0.0.1";
        server.port = QString("%1,%2").arg(primary->port()).arg(standby->port());
        server.targetSessionAttrs = "read-write";
        server.waitSeconds = 2;
        app.program.setting = DbSetting::onServer(server);
        std::unique_ptr<Frm_Main> w;
        Frm_Login login(app.ctx, app.program, [&] {
            w = std::make_unique<Frm_Main>(app.ctx);
            w->Form_Load();
            w->show();
        });
        QVERIFY(login.Form_Load());
        login.Txt_Id->setText("admin");
        login.Txt_Pass->setText("846");
        app.dialogs.answers << MsgAnswer::No; // the delivered password stays for now
        const QString at = "127.0.0.1:" + QString::number(primary->port());
        for (const bool read : {false, true}) {
            app.dialogs.clear();
            WaitSeen seen(app.db);
            QElapsedTimer clock;
            clock.start();
            if (read)
                w->Cmd_Sousa_Click();
            else
                login.Cmd_Login_Click();
            QVERIFY2(clock.elapsed() >= 2000 && clock.elapsed() < 30000,
                     qPrintable(QString::number(clock.elapsed())));
            const QString text = app.dialogs.messages.value(0).text;
            QVERIFY2(text.contains(texts::server::Unconfirmed.ja_().arg(at, "2")),
                     qPrintable(text));
            QCOMPARE(seen->label, texts::server::Waiting.ja_().arg(at));
            QVERIFY(seen->busy);
            QCOMPARE(seen->refusal, texts::server::StillWaiting.ja_());
            QVERIFY(!QGuiApplication::overrideCursor());
            QVERIFY(w);
        }
        // A window's own write says the same, never that it failed.
        Frm_Kiki names(app.ctx);
        names.Cmb_SN->setEditText("1234");
        names.Txt_Name->setText("Van 2");
        app.dialogs.clear();
        names.Cmd_Add_Click();
        const QString said = app.dialogs.messages.value(0).text;
        QVERIFY2(said.startsWith("データベースサーバー") && said.contains("分かりません") &&
                     !said.contains("失敗"),
                 qPrintable(said));

        primary->exec("SET synchronous_commit = local; ALTER DATABASE " + name +
                      " SET synchronous_commit = local");
        app.db.open(server);
        const QString noStandby = texts::server::NoStandby.ja_().arg(at).section("（", 0, 0);
        QTRY_VERIFY2(w->LB_Status->text().startsWith(noStandby), qPrintable(w->LB_Status->text()));
        QCOMPARE(firstColumn(app.db, "SELECT Details FROM Op_History WHERE Operation = 'Server'"),
                 QStringList{w->LB_Status->text()});
    }

    // A first host that never answers costs connect_timeout, under the busy pointer and a progress
    // window naming it; a statement asked for while a lost connection is made again is refused.
    void silentHost()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TestApp app(DbEngine::Postgresql, Switches{}, false);
        ServerAddress server = app.program.setting.server;
        server.host = "127.0.0.1," + server.host;
        server.port = QString::number(silent.serverPort()) + ',' + server.port;
        server.connectTimeout = 2;
        QElapsedTimer clock;
        clock.start();
        {
            WaitSeen seen(app.db);
            app.db.open(server);
            QVERIFY2(clock.elapsed() >= 2000 && clock.elapsed() < 30000, // never the OS's minutes
                     qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(seen->label, texts::server::Connecting.ja_().arg(
                                      "127.0.0.1:" + QString::number(silent.serverPort())));
            QVERIFY(seen->busy);
        }
        QVERIFY(!QGuiApplication::overrideCursor());

        // Ended, and waited for until it is gone, as a restart ends it.
        PgCluster::instance()->exec("SELECT pg_terminate_backend(pid, 10000) FROM "
                                    "pg_stat_activity WHERE application_name = 'quarvenix'");
        WaitSeen seen(app.db);
        QCOMPARE(firstColumn(app.db, "SELECT 1"), QStringList{"1"});
        QCOMPARE(seen->refusal, texts::server::StillConnecting.ja_());
    }

private:
    std::unique_ptr<PgCluster> tls_;
    QString tlsDb_;
};

QVX_TEST_MAIN(TstServerNetwork)
#include "tst_server_network.moc"

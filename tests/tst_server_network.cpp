// A server reached over the network: TLS accepted and refused at the start, a failover while the
// program runs, and a host that never answers.
#include "app/frm_login.h"
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
        QTest::addColumn<QString>("refusal"); // "" when the program starts
        const auto row = [](const QString& name, const char* host, bool other, const char* locale,
                            bool english, const QString& refusal) {
            QTest::newRow(qPrintable(name + ", " + locale))
                << QString(host) << other << QByteArray(locale) << english << refusal;
        };
        row("verified", "localhost", false, "C.UTF-8", false, "");
        for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8"}) {
            row("another authority", "localhost", true, locale, false,
                "信頼する認証局（" + tls_->otherAuthorityFile() + "）");
            row("another name", "127.0.0.1", false, locale, false,
                "接続先の名前のために発行されたものではありません（証明書の名前：localhost）");
        }
        row("another authority, English window", "localhost", true, "ja_JP.UTF-8", true,
            "(issued by Quarvenix-test-CA) was not issued by the trusted certificate authority");
        row("another name, English window", "127.0.0.1", false, "C.UTF-8", true,
            "was not issued for that name (the certificate names localhost)");
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
        if (refusal.isEmpty()) {
            QCOMPARE(
                firstColumn(app.db, "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"),
                QStringList{"t"});
            return;
        }
        const QString text = app.dialogs.messages.value(0).text;
        QVERIFY2(text.contains(host + ':' + QString::number(tls_->port()) + " ") &&
                     text.contains(refusal),
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
                QThread::msleep(1000);
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
        QString shown;
        QTimer::singleShot(1000, [&] {
            const QCursor* pointer = QGuiApplication::overrideCursor();
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (const auto* progress = qobject_cast<QProgressDialog*>(window))
                    shown = progress->isVisible() ? progress->labelText() : shown;
            }
            if (!pointer || pointer->shape() != Qt::WaitCursor)
                shown += " (no busy pointer)";
        });
        QElapsedTimer clock;
        clock.start();
        app.db.open(server);
        QVERIFY2(clock.elapsed() >= 2000 && clock.elapsed() < 5000,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shown, QString("データベースサーバー 127.0.0.1:%1 に接続しています…")
                            .arg(silent.serverPort()));
        QVERIFY(!QGuiApplication::overrideCursor());

        // Ended, and waited for until it is gone, as a restart ends it.
        PgCluster::instance()->exec("SELECT pg_terminate_backend(pid, 10000) FROM "
                                    "pg_stat_activity WHERE application_name = 'quarvenix'");
        QString nested;
        QTimer::singleShot(1000, [&] {
            try {
                app.db.execute("DELETE FROM Log_Data");
            } catch (const DbError& e) {
                nested = e.message();
            }
        });
        QCOMPARE(firstColumn(app.db, "SELECT 1"), QStringList{"1"});
        QVERIFY2(nested.startsWith("データベースサーバーに接続している途中です。"),
                 qPrintable(nested));
    }

private:
    std::unique_ptr<PgCluster> tls_;
    QString tlsDb_;
};

QVX_TEST_MAIN(TstServerNetwork)
#include "tst_server_network.moc"

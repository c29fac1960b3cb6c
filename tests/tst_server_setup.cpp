// The shared server: the connection setting in quarvenix.ini, the start-up's
// refusals on a real PostgreSQL server (unreachable, wrong password, no
// tables), the exit, and the set-up tool quarvenix-initdb --postgresql.
#include "admin/list_edit_table.h"
#include "app/frm_login.h"
#include "app/startup.h"
#include "base/password.h"
#include "db/database.h"
#include "db/db_setting.h"
#include "db/schema.h"
#include "sets/selection_set_table.h"
#include "support/pg_cluster.h"
#include "support/test_db.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>

namespace {

// The start-up's refusal box: its title and fixed text, then the reason.
const QString kDbErrorBox =
    "エラーメッセージ|データベースに接続出来ません！！\nプログラムを終了します。\n";
const QString kRole = "qvx_depot";
const QString kRolePassword = "right-one";

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runInitdb(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationDirPath() + "/quarvenix-initdb", args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

QString conninfo(const ServerAddress& a)
{
    return QString("host=%1 port=%2 dbname=%3 user=%4")
        .arg(a.host, QString::number(a.port), a.dbname, a.user);
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

// Field names and types of every table, to compare two databases' schemas.
QStringList tableShapes(Database& db)
{
    QStringList shapes;
    for (const QString& table : schema::tableNames()) {
        const QHash<QString, QString> types = db.columnTypes(table);
        QStringList fields;
        for (auto it = types.cbegin(); it != types.cend(); ++it)
            fields << it.key() + ':' + it.value();
        fields.sort();
        shapes << table + '(' + fields.join(',') + ')';
    }
    return shapes;
}

} // namespace

class TstServerSetup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString why;
        cluster_ = PgCluster::instance(&why);
        if (!cluster_)
            QSKIP(qPrintable("no PostgreSQL server for these tests: " + why));
        cluster_->addPasswordRole(kRole, kRolePassword);
    }

    void cleanup() { qunsetenv("PGPASSFILE"); }

    void settingFromIni_data()
    {
        QTest::addColumn<QByteArray>("ini"); // null: no file
        QTest::addColumn<QString>("server"); // "" for the SQLite file
        QTest::addColumn<QString>("problem");
        const QByteArray full("[database]\ndriver=postgresql\nhost=/var/run/postgresql\nport=5433\n"
                              "dbname=quarvenix\nuser=depot1\nsslmode=require\n");
        const QString fullServer =
            QStringLiteral("host=/var/run/postgresql port=5433 dbname=quarvenix user=depot1 "
                           "sslmode=require");
        const auto row = [](const char* name, const QByteArray& ini, const QString& server,
                            const char* problem = "") {
            QTest::newRow(name) << ini << server << QString(problem);
        };
        row("no file", QByteArray(), "");
        row("sqlite", "[database]\ndriver=sqlite\n", "");
        row("other section", "[other]\ndriver=postgresql\n", "");
        row("server", full, fullServer);
        row("server, capitalised driver", QByteArray(full).replace("=postgresql", "=PostgreSQL"),
            fullServer);
        row("server, defaults", "[database]\ndriver=postgresql\ndbname=q\n", "dbname=q");
        row("unknown driver", "[database]\ndriver=oracle\n", "",
            "driver must be sqlite or postgresql");
        row("password in the file", full + "password=secret\n", "", "a password does not belong");
        row("no database name", "[database]\ndriver=postgresql\nhost=db\n", "",
            "dbname is missing");
        row("port not a number", QByteArray(full).replace("5433", "fifty"), "",
            "port must be a number");
        row("port out of range", QByteArray(full).replace("5433", "70000"), "",
            "port must be a number");
        row("unknown ssl mode", QByteArray(full).replace("require", "always"), "",
            "sslmode must be one of");
        row("unknown key", full + "hostaddr=10.0.0.1\n", "", "unknown connection key \"hostaddr\"");
    }
    void settingFromIni()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, server);
        QFETCH(QString, problem);
        QTemporaryDir appDir;
        if (!ini.isNull()) {
            QFile f(appDir.filePath("quarvenix.ini"));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(ini) == ini.size());
        }
        const DbSetting s = DbSetting::forProgramIn(appDir.path());
        QVERIFY2(s.problem.contains(problem), qPrintable(s.problem));
        QCOMPARE(s.problem.isEmpty(), problem.isEmpty());
        if (problem.isEmpty()) {
            QCOMPARE(s.usesFile(), server.isEmpty());
            if (!server.isEmpty())
                QCOMPARE(s.server.describe(), server);
        }
    }

    void connectionText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("server"); // "" when refused
        const auto row = [](const char* text, const char* server) {
            QTest::newRow(text) << QString(text) << QString(server);
        };
        row("host=/tmp/s dbname=q user=u", "host=/tmp/s dbname=q user=u");
        row("postgresql://u@db.example:5433/q?sslmode=verify-full",
            "host=db.example port=5433 dbname=q user=u sslmode=verify-full");
        row("dbname='my db' host=h", "host=h dbname=my db");
        for (const char* refused :
             {"dbname=q password=x", "host=/tmp/s user=u", "quarvenix", "dbname=q options=-cx"})
            row(refused, "");
    }
    void connectionText()
    {
        QFETCH(QString, text);
        QFETCH(QString, server);
        ServerAddress a;
        QString why;
        QCOMPARE(ServerAddress::parse(text, &a, &why), !server.isEmpty());
        if (server.isEmpty())
            QVERIFY(!why.isEmpty());
        else
            QCOMPARE(a.describe(), server);
    }

    void startOnServer_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the engine's message; "" when the program starts
        const auto row = [](const char* fault, const char* reason) {
            QTest::newRow(*fault ? fault : "starts") << QString(fault) << QString(reason);
        };
        row("", "");
        row("unreachable", "No such file or directory");
        row("stopped", "No such file or directory");
        row("wrong password", "password authentication failed");
        row("no password", "no password supplied");
        row("no database", "does not exist");
        row("no tables", "Not a Quarvenix database");
        row("setting", "quarvenix.ini");
    }
    void startOnServer()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const bool starts = reason.isEmpty();
        TestApp app(DbEngine::Postgresql, Switches{}, false);
        cluster_->exec(
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA "
                           "public TO %1")
                .arg(kRole),
            app.serverDb);
        ServerAddress server = cluster_->address(app.serverDb, kRole);
        // The password comes from a password file, as libpq reads it.
        const QString passFile = scratch_.filePath("pgpass");
        QFile pass(passFile);
        QVERIFY(pass.open(QIODevice::WriteOnly | QIODevice::Truncate));
        pass.write(QStringLiteral("*:*:*:%1:%2\n")
                       .arg(kRole, fault == "wrong password" ? "wrong" : kRolePassword)
                       .toUtf8());
        pass.close();
        QVERIFY(pass.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        qputenv("PGPASSFILE",
                QFile::encodeName(fault == "no password" ? scratch_.filePath("none") : passFile));
        QTemporaryDir empty;
        if (fault == "unreachable")
            server.host = empty.path(); // a folder without a server's socket
        else if (fault == "no database")
            server.dbname = "no_such_db";
        else if (fault == "no tables")
            server.dbname = cluster_->createEmptyDatabase();
        app.program.setting = DbSetting::onServer(server);
        if (fault == "setting")
            app.program.setting.problem = "quarvenix.ini: driver must be …";
        if (fault == "stopped")
            QVERIFY(cluster_->stop());

        // Why the start-up fails, as the engine tells it.
        Database probe;
        QString why;
        QCOMPARE(DB_Open(probe, app.dir.path(), app.ctx.sw, app.program.setting, &why), starts);
        QVERIFY2(why.contains(reason), qPrintable(why));

        int signedIn = 0;
        Frm_Login window(app.ctx, app.program, [&] { ++signedIn; });
        const bool started = window.Form_Load();
        if (fault == "stopped")
            QVERIFY(cluster_->start());
        QCOMPARE(started, starts);
        QCOMPARE(app.db.isOpen(), starts);
        QCOMPARE(app.dialogs.messages.size(), starts ? 0 : 1);
        if (!starts) {
            const auto& box = app.dialogs.messages.first();
            const QString shown = box.title + '|' + box.text;
            QVERIFY2(shown.startsWith(kDbErrorBox), qPrintable(shown));
            // The engine's reason, or for a database without tables the window's own words.
            QVERIFY2(fault == "no tables"
                         ? box.text.endsWith("このプログラムのデータベースではありません。")
                         : box.text.contains(reason),
                     qPrintable(box.text));
        }
        // Nothing is claimed or created beside the program for a server.
        QVERIFY(!app.program.claim.held());
        QVERIFY(!QFile::exists(app.dbPath() + ".lock"));
        if (!starts)
            return;
        window.Txt_Id->setText("admin");
        window.Txt_Pass->setText("846");
        app.dialogs.answers = {MsgAnswer::No}; // the delivered password stays for now
        QTest::mouseClick(window.Cmd_Login, Qt::LeftButton);
        QCOMPARE(signedIn, 1);
        QCOMPARE(app.dialogs.messages.size(), 1);
    }

    void exitOnServerOnlyDisconnects()
    {
        TestApp app(DbEngine::Postgresql, Switches{}, false);
        const QByteArray before = fileHash(app.dbPath());
        Frm_Login window(app.ctx, app.program, [] {});
        QVERIFY(window.Form_Load());
        QTest::mouseClick(window.Cmd_End, Qt::LeftButton);
        QCOMPARE(app.quitCalls, 1);
        QVERIFY(!app.db.isOpen());
        QVERIFY(app.dialogs.messages.isEmpty());
        // No compaction: the file beside the program is untouched, no temporary file made.
        QCOMPARE(fileHash(app.dbPath()), before);
        QVERIFY(!QFile::exists(app.dir.filePath("SaitekiDB.db")));
    }

    void initdbSetsUpOnce()
    {
        const ServerAddress server = cluster_->address(cluster_->createEmptyDatabase());
        ToolRun run = runInitdb({"--postgresql", conninfo(server)});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains("Created"), qPrintable(run.output));

        // The same tables, fields and rows as a new database file.
        TestApp file(DbEngine::Sqlite, Switches{});
        Database db;
        db.open(server);
        QCOMPARE(tableShapes(db), tableShapes(file.db));
        for (const QString& table :
             schema::tableNames() + QStringList{"V_Log_Data", "V_Unit_SN", "V_FUKUSU"}) {
            const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(table);
            QCOMPARE(db.openRecordset(sql).field("count").toLongLong(), file.count(table));
        }
        Recordset admin = db.openRecordset("SELECT * FROM Login WHERE ID = 'admin' ;");
        QVERIFY(password::verify("846", admin.text("Pass")));
        QCOMPARE(admin.text("Name"), "管理者");
        QCOMPARE(db.openRecordset("SELECT * FROM Com_Port ;").text("Port"), "1");
        QStringList set;
        for (Recordset rs =
                 db.openRecordset("SELECT * From Fukusu WHERE Name = '標準セット' ORDER BY No ;");
             !rs.eof(); rs.moveNext())
            set << rs.text("Log_No");
        QCOMPARE(set, QStringList({"8", "9", "10", "17"}));

        // Run again on a database in use: nothing changes, and it says so.
        db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'truck')");
        run = runInitdb({"--postgresql", conninfo(server)});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains("nothing was changed"), qPrintable(run.output));
        for (const char* table : {"Kiki_Name", "Login", "Com_Port"})
            QCOMPARE(db.openRecordset(QString("SELECT * FROM %1 ;").arg(table)).rowCount(), 1);

        // The English rows on request.
        const ServerAddress english = cluster_->address(cluster_->createEmptyDatabase());
        QCOMPARE(runInitdb({"--postgresql", conninfo(english), "--english"}).exitCode, 0);
        Database en;
        en.open(english);
        QCOMPARE(en.openRecordset("SELECT DISTINCT Name From FUKUSU ;").text("Name"),
                 "Standard set");
    }

    void initdbAddsUniqueKeys_data()
    {
        QTest::addColumn<QStringList>("doubled"); // rows added twice before the run
        QTest::addColumn<QString>("says");
        QTest::newRow("no rows share a key")
            << QStringList()
            << "Added the unique indexes Login_Key, Kiki_Name_Key, "
               "Log_Master_Key, Fukusu_Key, UFukusu_Key";
        QTest::newRow("rows share keys")
            << QStringList{"Kiki_Name (Unit_SN, Name) VALUES ('0080', 'truck')",
                           "UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080')"}
            << "nothing was changed. Keep one row of each and run again:\n"
               "  Kiki_Name: Unit_SN '0080' (2 rows)\n  UFukusu: Name 'East', No '1' (2 rows)";
    }
    // A database made before the unique keys gets them from a second run of the set-up, unless
    // rows already share a key: then it lists them, changes nothing and fails.
    void initdbAddsUniqueKeys()
    {
        QFETCH(QStringList, doubled);
        QFETCH(QString, says);
        const ServerAddress server = cluster_->address(cluster_->createEmptyDatabase());
        QCOMPARE(runInitdb({"--postgresql", conninfo(server)}).exitCode, 0);
        const auto indexes = [&] {
            return cluster_->value("SELECT string_agg(indexname || (CASE WHEN indexdef LIKE "
                                   "'CREATE UNIQUE%' THEN '!' ELSE '' END), ' ' ORDER BY "
                                   "indexname) FROM pg_indexes WHERE tablename IN ('login', "
                                   "'kiki_name', 'log_master', 'fukusu', 'ufukusu')",
                                   server.dbname);
        };
        const QString keyed = indexes();
        QString earlier; // what the earlier version made
        for (const schema::UniqueKey& key : schema::uniqueKeys())
            earlier += QString("DROP INDEX %1; CREATE INDEX %2 ON %3 (%4);")
                           .arg(key.index, key.replaces, key.table, key.fields.join(','));
        for (const QString& row : doubled)
            earlier += "INSERT INTO " + row + "; INSERT INTO " + row + ";";
        cluster_->exec(earlier, server.dbname);
        const QString plain = indexes();
        QVERIFY(!plain.contains('!'));

        ToolRun run = runInitdb({"--postgresql", conninfo(server)});
        QVERIFY2(run.output.contains(says), qPrintable(run.output));
        QCOMPARE(run.exitCode, doubled.isEmpty() ? 0 : 1);
        QCOMPARE(indexes(), doubled.isEmpty() ? keyed : plain);
        run = runInitdb({"--postgresql", conninfo(server)}); // again: nothing more to do
        QVERIFY2(run.output.contains("nothing was changed"), qPrintable(run.output));
    }

    void concurrentRegistrations_data()
    {
        QTest::addColumn<QString>("table");
        // The rows of the key afterwards, without their dates.
        QTest::addColumn<QString>("expected");
        QTest::newRow("handset name") << "Kiki_Name"
                                      << "0080|second";
        QTest::newRow("login ID") << "Login"
                                  << "bob|second|second's password";
        QTest::newRow("content set") << "Fukusu"
                                     << "1|Mine|17";
    }
    // Another PC registers the same key at the same moment: its transaction is still open (held
    // there by a slow trigger) when this one looks the key up. One row each, this one's values.
    void concurrentRegistrations()
    {
        QFETCH(QString, table);
        QFETCH(QString, expected);
        TestApp app(DbEngine::Postgresql, Switches{});
        const QDateTime first(QDate(2024, 6, 1), QTime(9, 0)), second = first.addSecs(60);
        const auto registerKey = [&](Database& db, const QString& value, const QDateTime& now) {
            if (table == "Kiki_Name")
                list_edit::saveRow(db, list_edit::handsetNames(), {"0080", value}, now);
            else if (table == "Login")
                list_edit::saveRow(db, list_edit::loginIds(),
                                   {"bob", value, value + "'s password", ""}, now);
            else
                selection_set_table::write(db, {"Fukusu", "Log_No"}, "Mine",
                                           value == "first" ? QVariantList{8, 9} : QVariantList{17},
                                           now);
        };
        cluster_->exec("CREATE OR REPLACE FUNCTION qvx_pause() RETURNS trigger LANGUAGE plpgsql "
                       "AS $$ BEGIN PERFORM pg_sleep(0.5); RETURN NULL; END $$;"
                       "CREATE TRIGGER pause AFTER INSERT OR UPDATE ON " +
                           table +
                           " FOR EACH ROW WHEN (NEW.Date = '2024-06-01 09:00:00') "
                           "EXECUTE FUNCTION qvx_pause()",
                       app.serverDb);
        QString otherError;
        std::unique_ptr<QThread> other(QThread::create([&] {
            try {
                Database db;
                db.open(app.program.setting.server);
                registerKey(db, "first", first);
            } catch (const DbError& e) {
                otherError = e.message();
            }
        }));
        other->start();
        QTRY_COMPARE(cluster_->value("SELECT count(*) FROM pg_stat_activity WHERE wait_event = "
                                     "'PgSleep' AND datname = '" +
                                     app.serverDb + "'"),
                     "1");
        QString error;
        try {
            registerKey(app.db, "second", second);
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY(other->wait(30000));
        QCOMPARE(otherError + error, QString());

        QStringList rows; // the seeded rows are older
        for (const QString& row :
             rowTexts(app.db, "SELECT * FROM " + table + " WHERE Date > #2024/05/01 00:00:00#")) {
            QStringList fields = row.split('|');
            fields.removeLast(); // the date
            if (table == "Login" && password::verify("second's password", fields.last()))
                fields.last() = "second's password";
            rows << fields.join('|');
        }
        QCOMPARE(rows.join('\n'), expected);
    }

    void initdbRefuses_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("some tables already there") << "partial" << 1 << "but not all";
        QTest::newRow("not UTF-8") << "latin1" << 1 << "UTF8";
        QTest::newRow("server not reachable") << "unreachable" << 1 << "";
        QTest::newRow("password on the command line") << "password" << 2 << "password";
        QTest::newRow("no database named") << "no dbname" << 2 << "dbname";
        QTest::newRow("file and server at once") << "both" << 2 << "usage";
    }
    void initdbRefuses()
    {
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        const QString name = cluster_->createEmptyDatabase();
        ServerAddress server = cluster_->address(name);
        QTemporaryDir empty;
        QString text = conninfo(server);
        if (fault == "partial") {
            cluster_->exec("CREATE TABLE login (id text)", name);
        } else if (fault == "latin1") {
            cluster_->exec(QStringLiteral("DROP DATABASE %1").arg(name));
            cluster_->exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'LATIN1'")
                               .arg(name));
        } else if (fault == "unreachable") {
            text.replace(server.host, empty.path());
        } else if (fault == "password") {
            text += " password=secret";
        } else if (fault == "no dbname") {
            text.replace("dbname=" + name, QString());
        }
        QStringList args{"--postgresql", text};
        if (fault == "both")
            args << empty.path() << "extra";
        const ToolRun run = runInitdb(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(says), qPrintable(run.output));
        if (fault != "unreachable" && fault != "latin1")
            QCOMPARE(cluster_->value(QStringLiteral("SELECT count(*) FROM pg_class WHERE relname = "
                                                    "'log_data'"),
                                     name),
                     "0");
    }

private:
    PgCluster* cluster_ = nullptr;
    QTemporaryDir scratch_;
};

QTEST_MAIN(TstServerSetup)
#include "tst_server_setup.moc"

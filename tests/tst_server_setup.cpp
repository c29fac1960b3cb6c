// The shared server: start-up and exit on a real PostgreSQL server, and its set-up tool.
#include "admin/list_edit_table.h"
#include "app/frm_login.h"
#include "base/password.h"
#include "base/texts/app.h"
#include "db/schema.h"
#include "db/server_trust.h"
#include "sets/selection_set_table.h"
#include "start/program_db.h"
#include "support/pg_cluster.h"
#include "support/services.h"
#include "support/test_db.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QtWidgets>

namespace {

// The start-up's refusal box: its title and fixed text, then the reason.
const QString kDbErrorBox =
    "エラーメッセージ|データベースに接続出来ません！！\nプログラムを終了します。\n";
const QString kRole = "qvx_depot", kRolePassword = "right-one";

// Runs the set-up tool; its exit code and output must be as expected.
void initdb(const QStringList& args, int exitCode, const QString& says = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QCoreApplication::applicationDirPath() + "/quarvenix-initdb", args);
    QVERIFY(p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit);
    const QString output = QString::fromUtf8(p.readAll());
    QVERIFY2(p.exitCode() == exitCode && output.contains(says), qPrintable(output));
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
            QVX_SERVICE_MISSING("no PostgreSQL server for these tests: " + why);
        cluster_->addPasswordRole(kRole, kRolePassword);
    }

    void cleanup() { qunsetenv("PGPASSWORD"); }

    void startOnServer_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the window's message; "" when the program starts
        const auto row = [](const char* fault, const QString& reason) {
            QTest::newRow(*fault ? fault : "starts") << QString(fault) << QString(reason);
        };
        row("", "");
        row("wrong password", "password authentication failed");
        row("no tables", texts::startup::ReasonNotDatabase.ja_());
        row("older schema", texts::startup::ReasonOlderSchema.ja_());
        row("newer schema", texts::startup::ReasonNewerSchema.ja_());
        row("setting", "quarvenix.ini");
    }
    void startOnServer()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const bool starts = reason.isEmpty();
        TestApp app(DbEngine::Postgresql, Switches{}, false);
        cluster_->exec("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO " +
                           kRole,
                       app.serverDb);
        ServerAddress server = cluster_->address(app.serverDb, kRole);
        // The password comes from the environment, as libpq reads it, never from the setting.
        qputenv("PGPASSWORD", fault == "wrong password" ? "wrong" : kRolePassword.toUtf8());
        if (fault == "no tables")
            server.dbname = cluster_->createEmptyDatabase();
        if (fault.endsWith("schema"))
            cluster_->exec(fault == "older schema" ? "DROP TABLE db_version"
                                                   : "UPDATE db_version SET version = version + 1",
                           app.serverDb);
        app.program.setting = DbSetting::onServer(server);
        if (fault == "setting")
            app.program.setting.problem = "quarvenix.ini: driver must be …";
        const QByteArray fileBefore = fileBytes(app.dbPath());
        int signedIn = 0;
        Frm_Login window(app.ctx, app.program, [&] { ++signedIn; });
        QCOMPARE(window.Form_Load(), starts);
        QCOMPARE(app.db.isOpen(), starts);
        QCOMPARE(app.dialogs.messages.size(), starts ? 0 : 1);
        if (!starts) { // the start-up's fixed text, then the reason
            const auto& box = app.dialogs.messages.first();
            const QString shown = box.title + '|' + box.text;
            QVERIFY2(shown.startsWith(kDbErrorBox) && shown.contains(reason), qPrintable(shown));
        }
        // Nothing is claimed or created beside the program for a server.
        QVERIFY(!app.program.claim.held() && !QFile::exists(app.dbPath() + ".lock"));
        if (!starts)
            return;
        window.Txt_Id->setText("admin");
        window.Txt_Pass->setText("846");
        app.dialogs.answers = {MsgAnswer::No}; // the delivered password stays for now
        QTest::mouseClick(window.Cmd_Login, Qt::LeftButton);
        QCOMPARE(signedIn, 1);
        // The end only disconnects: no compaction, the file beside the program untouched.
        window.Cmd_End->click();
        QVERIFY(app.quitCalls == 1 && !app.db.isOpen() && app.dialogs.messages.size() == 1);
        QCOMPARE(fileBytes(app.dbPath()), fileBefore);
        QVERIFY(!QFile::exists(app.dir.filePath("SaitekiDB.db")));
    }

    void initdbUpgrades_data()
    {
        QTest::addColumn<QStringList>("rows"); // added before the run, after the first
        QTest::addColumn<QString>("says");
        QTest::newRow("no rows share a key")
            << QStringList{"Kiki_Name (Unit_SN, Name) VALUES ('0081 ', 'van')"}
            << "trailing blanks removed from stored keys: 1.";
        QTest::newRow("rows share keys")
            << QStringList{"Kiki_Name (Unit_SN, Name) VALUES ('0080', 'truck')",
                           "Kiki_Name (Unit_SN, Name) VALUES ('0080 ', 'truck')",
                           "UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080')",
                           "UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080')"}
            << "nothing was changed. Keep one row of each and run again:\n"
               "  Kiki_Name: Unit_SN '0080' (2 rows: '0080', '0080 ')\n"
               "  UFukusu: Name 'East', No '1' (2 rows: 'East', 'East')";
    }
    // A new database holds what a new file holds. A second run upgrades an older one, unless rows
    // share a key (trailing blanks not counting): then it lists them and changes nothing.
    void initdbUpgrades()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, says);
        const bool shared = rows.size() > 1;
        const ServerAddress server = cluster_->address(cluster_->createEmptyDatabase());
        const QStringList english = shared ? QStringList{"--english"} : QStringList();
        initdb(QStringList{"--postgresql", server.describe()} + english, 0, "Created");
        Database db;
        db.open(server);
        if (shared) {
            QCOMPARE(cluster_->value("SELECT DISTINCT Name FROM fukusu", server.dbname),
                     "Standard set");
        } else {
            TestApp file(DbEngine::Sqlite, Switches{});
            // The triggers that record table changes are the server's own.
            QStringList shape = schemaShape(db);
            for (const QString& trigger : server_trust::triggerNames())
                QVERIFY(shape.removeOne("trigger " + trigger));
            QCOMPARE(shape, schemaShape(file.db));
            for (const QString& table :
                 schema::tableNames() + QStringList{"V_Log_Data", "V_Unit_SN", "V_FUKUSU"}) {
                const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(table);
                QCOMPARE(db.openRecordset(sql).field("count").toLongLong(), file.count(table));
            }
            const QStringList admin =
                rowTexts(db, "SELECT Name, Pass FROM Login WHERE ID = 'admin'");
            QVERIFY(admin.value(0).startsWith("管理者|") &&
                    password::verify("846", admin[0].mid(4)));
        }
        const QStringList created = schemaShape(db);
        makeOldStyle(db);
        for (const QString& row : rows)
            db.execute("INSERT INTO " + row);
        const QStringList old = schemaShape(db);
        db.close();

        initdb({"--postgresql", server.describe()}, shared ? 1 : 0, says);
        db.open(server);
        QCOMPARE(schemaShape(db), shared ? old : created);
        QCOMPARE(firstColumn(db, "SELECT Unit_SN FROM Kiki_Name ORDER BY 1").join(';'),
                 shared ? "0080;0080 " : "0081");
        if (!shared) // the key's index refuses the same serial with blanks after it
            QVERIFY_THROWS_EXCEPTION(
                DbError,
                db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0081  ', 'x')"));
        initdb({"--postgresql", server.describe()}, shared ? 1 : 0, "nothing was changed");
        QCOMPARE(cluster_->value("SELECT count(*) FROM login", server.dbname), "1");
    }

    void concurrentRegistrations_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("expected"); // the rows of the key afterwards
        for (const auto& [name, table, fields, expected] :
             {std::tuple{"handset name", "Kiki_Name", "Unit_SN, Name", "0080|second"},
              {"login ID", "Login", "ID, Name", "bob|second"},
              {"content set", "Fukusu", "No, Name, Log_No", "1|Mine|17"}})
            QTest::newRow(name) << QString(table) << QString(fields) << QString(expected);
    }
    // Another PC registers the same key, its transaction held open by a slow trigger while this
    // one looks the key up: one row each, this one's values.
    void concurrentRegistrations()
    {
        QFETCH(QString, table);
        QFETCH(QString, fields);
        QFETCH(QString, expected);
        TestApp app(DbEngine::Postgresql, Switches{});
        const QDateTime first(QDate(2024, 6, 1), QTime(9, 0)), second = first.addSecs(60);
        const auto registerKey = [&](Database& db, const QString& value, const QDateTime& now) {
            if (table == "Kiki_Name")
                list_edit::saveRow(db, list_edit::handsetNames(), {"0080", value}, now);
            else if (table == "Login")
                list_edit::saveRow(db, list_edit::loginIds(),
                                   {"bob", value, value + "'s password", "", "1"}, now);
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
        QTRY_COMPARE_WITH_TIMEOUT(
            cluster_->value("SELECT count(*) FROM pg_stat_activity WHERE wait_event = "
                            "'PgSleep' AND datname = '" +
                            app.serverDb + "'"),
            "1", 60000); // a loaded machine (a sanitizer build) starts the other copy slowly
        QString error;
        try {
            registerKey(app.db, "second", second);
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY(other->wait(30000));
        QCOMPARE(otherError + error, QString());

        const QString where =
            " FROM " + table + " WHERE Date > #2024/05/01 00:00:00#"; // not seeded
        QCOMPARE(rowTexts(app.db, "SELECT " + fields + where).join('\n'), expected);
        if (table == "Login")
            QVERIFY(password::verify("second's password",
                                     firstColumn(app.db, "SELECT Pass" + where)[0]));
    }

    void initdbRefuses_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("some tables already there") << "partial" << 1 << "but not all";
        QTest::newRow("not UTF-8") << "latin1" << 1 << "UTF8";
        QTest::newRow("password on the command line") << "password" << 2 << "password";
        QTest::newRow("file and server at once") << "both" << 2 << "usage";
    }
    void initdbRefuses()
    {
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        const QString name = cluster_->createEmptyDatabase();
        QString text = cluster_->address(name).describe();
        if (fault == "partial") {
            cluster_->exec("CREATE TABLE login (id text)", name);
        } else if (fault == "latin1") {
            cluster_->exec(QStringLiteral("DROP DATABASE %1").arg(name));
            cluster_->exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'LATIN1'")
                               .arg(name));
        } else if (fault == "password") {
            text += " password=secret";
        }
        QStringList args{"--postgresql", text};
        if (fault == "both")
            args << QDir::tempPath() << "extra";
        initdb(args, exitCode, says);
        if (fault != "latin1")
            QCOMPARE(cluster_->value(QStringLiteral("SELECT count(*) FROM pg_class WHERE relname = "
                                                    "'log_data'"),
                                     name),
                     "0");
    }

    void grantRefused_data()
    {
        QTest::addColumn<QString>("setUpRole");
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("says");
        const QString setUp = PgCluster::kSetUpRole;
        QTest::newRow("role a superuser") << setUp << "postgres"
                                          << "postgres is a superuser";
        QTest::newRow("role owns the database (createdb -O)")
            << setUp << kRole << kRole + " owns the database";
        QTest::newRow("role owns public") << setUp << kRole << kRole + " owns the schema public";
        QTest::newRow("set-up as a superuser") << "postgres" << kRole << "runs as a superuser";
    }
    // A role that could undo the grants, or a set-up as superuser: refused, nothing created.
    void grantRefused()
    {
        QFETCH(QString, setUpRole);
        QFETCH(QString, role);
        QFETCH(QString, says);
        const QString name = cluster_->createEmptyDatabase();
        const QString tag = QTest::currentDataTag();
        cluster_->exec(QString("ALTER DATABASE %1 OWNER TO %2")
                           .arg(name, tag.contains("database") ? kRole : PgCluster::kSetUpRole));
        if (tag == "role owns public")
            cluster_->exec("ALTER SCHEMA public OWNER TO " + kRole, name);
        cluster_->exec("GRANT CREATE ON SCHEMA public TO " + PgCluster::kSetUpRole, name);
        initdb({"--postgresql", cluster_->address(name, setUpRole).describe(), "--grant", role}, 1,
               says);
        QCOMPARE(cluster_->value("SELECT count(*) FROM pg_class WHERE relname = 'log_data'", name),
                 "0");
    }

    // A server whose program's role was granted as the README used to say: --grant leaves it only
    // what the program does (no version change, no emptied archive, no backdated history); restores
    // and psql changes of Login are recorded.
    void programRole()
    {
        const ServerAddress owner =
            cluster_->address(cluster_->createEmptyDatabase(), PgCluster::kSetUpRole);
        cluster_->exec("ALTER DATABASE " + owner.dbname + " OWNER TO " + PgCluster::kSetUpRole);
        initdb({"--postgresql", owner.describe()}, 0, "Created");
        Database db;
        db.open(owner);
        makeOldStyle(db);
        db.close();
        cluster_->exec("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO " +
                           kRole,
                       owner.dbname);
        initdb({"--postgresql", owner.describe(), "--grant", kRole}, 0, "from version 0 to 6 (");
        cluster_->exec("INSERT INTO log_archive (unit_sn, date, data_no, log_no, alcohol, tani, "
                       "hdate) VALUES ('0080', '2024-01-10 08:00:00', '1', 8, '0.150', '01', "
                       "'2024-03-01 00:00:00'), ('0080', '2024-02-10 08:00:00', '2', 8, '0.000', "
                       "'01', '2024-03-01 00:00:00')",
                       owner.dbname);
        qputenv("PGPASSWORD", kRolePassword.toUtf8());
        Database depot;
        depot.open(cluster_->address(owner.dbname, kRole));
        for (const auto& [sql, why] :
             {std::pair{"UPDATE Db_Version SET Version = 1", "permission denied"},
              {"DELETE FROM Log_Archive", "permission denied"},
              {"DELETE FROM Check_Record", "permission denied"},
              {"INSERT INTO Op_History (Date, ID, PC, Operation, Details) VALUES ('2020-01-01 "
               "09:00:00', 'admin', 'FORGED-PC', 'SignIn', '')",
               "permission denied"},
              {"TRUNCATE Login", "permission denied"},
              {"ALTER TABLE Login DISABLE TRIGGER ALL", "must be owner"},
              {"SELECT restore_archived('2024-02-01', '2024-01-01', 'admin', 'pc', '{count}')",
               "is no period"},
              {"SELECT restore_archived('2024-01-01', '2024-01-31', 'nobody', 'pc', '{count}')",
               "no login ID"}}) {
            QString error;
            try {
                depot.execute(sql);
            } catch (const DbError& e) {
                error = e.message();
            }
            QVERIFY2(error.contains(why), qPrintable(sql + QString(" -> ") + error));
        }
        depot.execute("INSERT INTO Op_History (ID, PC, Operation, Details) VALUES ('admin', "
                      "'pc-1', 'SignIn', '')");
        depot.execute("UPDATE Login SET Kanri = 1 WHERE ID = 'admin'");
        depot.execute(
            "INSERT INTO Check_Record VALUES ('0080', '2024-01-10 08:00:00', '1', '山田', "
            "'品川1', 0, '佐藤', 0, 0, '', '', '2024-01-10 08:05:00', 'admin')");
        QCOMPARE(server_trust::restoreArchived(depot, QDate(2024, 1, 1), QDate(2024, 1, 31),
                                               "admin", "pc-1",
                                               "2024/01/01～2024/01/31、{count}件"),
                 1);
        QCOMPARE(rowTexts(depot, "SELECT Unit_SN, Data_No FROM Log_Data"), QStringList{"0080|1"});
        QCOMPARE(rowTexts(depot, "SELECT Data_No FROM Log_Archive"), QStringList{"2"});
        const QString role = " (" + kRole + ")|";
        QCOMPARE(
            rowTexts(depot, "SELECT Operation, ID, PC, Details FROM Op_History ORDER BY No"),
            (QStringList{
                "SignIn|admin|pc-1|", "TableChange||local" + role + "Login UPDATE 1: admin",
                "TableChange||local" + role + "Check_Record INSERT 1: 0080 2024-01-10 08:00:00 1",
                "Restore|admin|pc-1" + role + "2024/01/01～2024/01/31、1件"}));
        // Dated by the server's clock, in the zone the set-up wrote into the default.
        QCOMPARE(cluster_->value("SELECT count(*) FROM op_history WHERE abs(extract(epoch FROM "
                                 "localtimestamp - date)) < 60",
                                 owner.dbname),
                 "4");
    }

    void badVersion_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("sql"); // that puts the bad version in place
        QTest::addColumn<QString>("holds");
        const QString noCheck = "DROP TABLE Db_Version; CREATE TABLE Db_Version (Version); "
                                "INSERT INTO Db_Version VALUES ";
        QTest::newRow("file, beyond the field") << false << noCheck + "(4294967298)"
                                                << "'4294967298'";
        QTest::newRow("file, not a number") << false << noCheck + "('2abc')"
                                            << "'2abc'";
        QTest::newRow("file, no row") << false << "DELETE FROM Db_Version"
                                      << "no row";
        QTest::newRow("server, not a number") << true
                                              << "ALTER TABLE db_version ALTER COLUMN version "
                                                 "TYPE text; UPDATE db_version SET version = '2abc'"
                                              << "'2abc'";
    }
    // A Db_Version that no program wrote is refused with a sentence, at the start and by the
    // set-up tool, and never read as some version.
    void badVersion()
    {
        QFETCH(bool, server);
        QFETCH(QString, sql);
        QFETCH(QString, holds);
        const QString says = "holds " + holds;
        TestApp app(server ? DbEngine::Postgresql : DbEngine::Sqlite, Switches{}, false);
        if (server) {
            cluster_->exec(sql, app.serverDb);
        } else {
            app.db.open(app.dbPath());
            for (const QString& statement : sql.split("; "))
                app.db.execute(statement);
            app.db.close();
        }
        QString error;
        DbFault fault = DbFault::Other;
        QVERIFY(!DB_Open(app.db, app.dir.path(), app.ctx.sw, app.program.setting, &error, &fault));
        QVERIFY2(fault == DbFault::BadVersion && error.contains(says), qPrintable(error));
        initdb(server ? QStringList{"--postgresql", app.program.setting.server.describe()}
                      : QStringList{"--upgrade", app.dbPath()},
               1, "The table Db_Version " + says + ", which is not the version");
        if (server) // the pooled database is used again
            cluster_->exec("ALTER TABLE db_version ALTER COLUMN version TYPE smallint USING 4",
                           app.serverDb);
    }

private:
    PgCluster* cluster_ = nullptr;
};

QVX_TEST_MAIN(TstServerSetup)
#include "tst_server_setup.moc"

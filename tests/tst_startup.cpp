// Start-up and exit: the database file, the server setting, the compaction at exit.
#include "app/first_start.h"
#include "app/program_exit.h"
#include "app/start_language.h"
#include "base/program_places.h"
#include "base/texts/app.h"
#include "db/compaction.h"
#include "db/database.h"
#include "db/db_setting.h"
#include "db/sql_text.h"
#include "start/program_db.h"
#include "support/test_db.h"
#include "ui/window_parts.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <sys/stat.h>

namespace {

// The row count of every table, and which logs.
QString contents(Database& db)
{
    QStringList out = firstColumn(
        db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY 1"));
    for (const QString& table : QStringList(out))
        out << firstColumn(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    out << firstColumn(db, QStringLiteral("SELECT group_concat(Data_No || Date) FROM Log_Data"));
    return out.join(QLatin1Char(' '));
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The latest date gets a later year in the index only: every page looks sound, still in order.
void damageDateIndex(const QString& path)
{
    Database db;
    db.open(path);
    const QStringList pages = firstColumn(
        db, "SELECT pageno FROM dbstat WHERE name = 'Log_Data_Date' AND pagetype = 'leaf'");
    const QByteArray latest =
        db.openRecordset("SELECT max(Date) AS d FROM Log_Data").text("d").toLatin1();
    db.close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    for (const QString& page : pages) {
        const qsizetype at = bytes.indexOf(latest, (page.toLongLong() - 1) * 4096);
        if (at >= 0 && at < page.toLongLong() * 4096) {
            QVERIFY(file.seek(at));
            QCOMPARE(file.write("2099"), 4);
            return;
        }
    }
    QFAIL("the latest date is in no page of the index");
}

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private slots:
    void fileChoice()
    {
        for (const QString row : {"00QuarvenixDB.db", "01QuarvenixDBE.db", "10QuarvenixDBTest.db",
                                  "11QuarvenixDBTest.db"}) {
            const Switches sw{.Test_Flg = row[0] == '1', .Eng_Flg = row[1] == '1', .A_Flg = 1};
            TestApp app(sw, false);
            QVERIFY(DB_Open(app.db, app.dir.path(), sw));
            QCOMPARE(QFileInfo(app.db.path()).fileName(), row.mid(2));
        }
    }

    // The language: --language, else [ui] language= (the user's over the computer's), else the
    // build's, each with its own database; an unknown value is refused, exit status 2.
    void languageAtStart_data()
    {
        QTest::addColumn<int>("build");        // Eng_Flg of the build
        QTest::addColumn<QStringList>("args"); // after the program's name
        QTest::addColumn<QString>("computer"); // [ui] of the computer's file
        QTest::addColumn<QString>("own");      // [ui] of the user's file
        QTest::addColumn<QString>("opens");    // the database, or a part of the refusal
        const auto row = [](const char* name, int build, QStringList args, const QString& computer,
                            const QString& own, const QString& opens) {
            QTest::newRow(name) << build << args << computer << own << opens;
        };
        row("build's", 1, {}, "", "", "QuarvenixDBE.db");
        row("option en", 0, {"-style", "fusion", "--language", "en"}, "", "", "QuarvenixDBE.db");
        row("option ja", 1, {"--language=ja"}, "language=en", "", "QuarvenixDB.db");
        row("setting en", 0, {}, "language=ja", "language = EN ; the user's", "QuarvenixDBE.db");
        row("setting ja", 1, {}, "language=ja", "", "QuarvenixDB.db");
        row("user's section without the key", 1, {}, "language=ja", "other=1", "QuarvenixDBE.db");
        row("unknown option value", 0, {"--language", "fr"}, "", "", "unknown language \"fr\"");
        row("option without a value", 0, {"--language"}, "", "", "--language needs a value");
        row("unknown setting", 0, {}, "", "language=english",
            "user/quarvenix.ini: unknown language \"english\"");
    }
    void languageAtStart()
    {
        QFETCH(int, build);
        QFETCH(QStringList, args);
        QFETCH(QString, computer);
        QFETCH(QString, own);
        QFETCH(QString, opens);
        TestApp app({.Eng_Flg = build}, false);
        const SettingsFiles settings{
            {app.dir.filePath("computer/quarvenix.ini"), app.dir.filePath("user/quarvenix.ini")},
            app.dir.filePath("user/quarvenix.ini")};
        for (const auto& [file, ui] : {std::pair{settings.read[0], computer}, {settings.own, own}})
            QVERIFY(ui.isEmpty() || (QDir().mkpath(QFileInfo(file).path()) &&
                                     writeFile(file, "[ui]\n" + ui.toUtf8() + "\n")));
        const StartArguments parsed = StartArguments::parse(QStringList{"quarvenix"} + args);
        QString problem = parsed.problem;
        const std::optional<Switches> sw =
            problem.isEmpty() ? startSwitches(app.ctx.sw, parsed, settings, &problem)
                              : std::nullopt;
        if (!opens.endsWith(".db")) {
            QVERIFY2(!sw && problem.contains(opens), qPrintable(problem));
            if (!args.isEmpty()) { // the program says so before it starts Qt
                QProcess program;
                program.start(QCoreApplication::applicationDirPath() + "/quarvenix", args);
                QVERIFY(program.waitForFinished());
                QCOMPARE(program.exitCode(), 2);
                QVERIFY(QString::fromLocal8Bit(program.readAllStandardError()).contains(opens));
            }
            return;
        }
        QVERIFY2(sw, qPrintable(problem));
        QVERIFY(DB_Open(app.db, app.dir.path(), *sw));
        QCOMPARE(QFileInfo(app.db.path()).fileName(), opens);
    }

    // A source build keeps its files beside the executable; installed, in the user's data folder
    // or the [database] folder=, the user's section replacing the computer's.
    void placesFollowTheInstallPrefix_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("computer"); // /etc/quarvenix's file (the source build's own)
        QTest::addColumn<QString>("own");      // the user's file
        QTest::addColumn<QString>("dataDir");  // "bin", "data", "srv"; "": refused
        const char* srv = "[database]\nfolder=%1/srv\n";
        const auto row = [](const char* name, bool installed, const QString& computer,
                            const QString& own, const QString& dataDir) {
            QTest::newRow(name) << installed << computer << own << dataDir;
        };
        row("source build", false, srv, "", "bin");
        row("installed", true, "", "", "data");
        row("shared folder", true, srv, "", "srv");
        row("user's section replaces it", true, srv, "[database]\ndriver=sqlite", "data");
        row("user's own folder", true, "", srv, "srv");
        row("relative folder", true, "[database]\nfolder=srv", "", "");
        row("missing folder", true, "[database]\nfolder=%1/gone", "", "");
    }
    void placesFollowTheInstallPrefix()
    {
        QFETCH(bool, installed);
        QFETCH(QString, computer);
        QFETCH(QString, own);
        QFETCH(QString, dataDir);
        QTemporaryDir root;
        const auto at = [&](const char* path) { return root.filePath(QString::fromLatin1(path)); };
        const InstallDirs install{at("usr/bin"), at("usr/share/quarvenix"), at("etc/quarvenix")};
        const QString exeDir = installed ? install.bin : at("build/bin");
        const QString ownFile =
            at("config/") + QCoreApplication::applicationName() + "/quarvenix.ini";
        for (const QString& dir : {exeDir, install.config, at("srv"), QFileInfo(ownFile).path()})
            QVERIFY(QDir().mkpath(dir));
        qputenv("XDG_DATA_HOME", at("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", at("config").toUtf8());
        QVERIFY(writeFile((installed ? install.config : exeDir) + "/quarvenix.ini",
                          computer.replace("%1", root.path()).toUtf8()));
        QVERIFY(own.isEmpty() || writeFile(ownFile, own.replace("%1", root.path()).toUtf8()));

        const ProgramPlaces places = ProgramPlaces::find(exeDir, install);
        QCOMPARE(places.installed, installed);
        const QString expected = dataDir == "bin" ? exeDir
                                 : dataDir == "data"
                                     ? at("data/") + QCoreApplication::applicationName()
                                     : at("srv");
        QCOMPARE(places.problem.isEmpty(), !dataDir.isEmpty());
        QVERIFY2(dataDir.isEmpty() || places.dataDir == expected, qPrintable(places.dataDir));
        const QStringList read = installed ? QStringList{install.config + "/quarvenix.ini", ownFile}
                                           : QStringList{exeDir + "/quarvenix.ini"};
        QCOMPARE(places.settings.read, read);
        QCOMPARE(places.logMaster,
                 (installed ? install.data : exeDir) + QStringLiteral("/log_master.mst"));
    }

    // Installed, the data folder and its files are the user's alone whatever the umask; a shared
    // folder keeps its mode and gives its group the files. Another user (nobody) reads none.
    void dataBelongsToItsUser_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("folder"); // its mode before the start; 0: none yet
        QTest::addColumn<bool>("shared");
        QTest::newRow("umask 022") << 022 << 0 << false;
        QTest::newRow("umask 077") << 077 << 0 << false;
        QTest::newRow("an earlier version's folder") << 022 << 0755 << false;
        QTest::newRow("shared folder, umask 077") << 077 << 02770 << true;
    }
    void dataBelongsToItsUser()
    {
        QFETCH(int, mask);
        QFETCH(int, folder);
        QFETCH(bool, shared);
        QTemporaryDir root; // where others may look
        QVERIFY(QDir().mkpath(root.filePath("data")));
        for (const QString& open : {root.path(), root.filePath("data")})
            QVERIFY(::chmod(QFile::encodeName(open), 0755) == 0);
        qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
        const QString dir = shared ? root.filePath("srv") : userDataFolder();
        // A shared folder's group is one nobody is not in (nobody keeps root's group below).
        QVERIFY(!folder || (QDir().mkpath(dir) && ::chown(QFile::encodeName(dir), 0, 20) == 0 &&
                            ::chmod(QFile::encodeName(dir), folder) == 0));
        const mode_t before = ::umask(mode_t(mask));
        const FirstStart first =
            DB_CreateMissing(dir, {}, QVX_LOG_MASTER_FILE, QDateTime::currentDateTime());
        DbClaim claim = DB_Claim(dir, {});
        {
            Database db; // free pages, for a compaction at the exit
            db.open(first.created);
            db.execute("CREATE TABLE Pad AS SELECT randomblob(9000) FROM Log_Master");
            db.execute("DROP TABLE Pad");
        }
        const CompactOutcome compacted = DB_Compact(dir, {});
        ::umask(before);
        QVERIFY2(claim.held() && compacted.kind == CompactOutcome::Kind::Compacted,
                 qPrintable(first.error + claim.error() + compacted.detail));
        const QString file = shared ? "660" : "600";
        QStringList modes;
        for (const QString& path :
             {dir, first.created, first.created + ".lock", dir + "/SaitekiDB.db.lock"}) {
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
            modes << QString::number(st.st_mode & 07777, 8);
        }
        QCOMPARE(modes, (QStringList{shared ? "2770" : "700", file, file, file}));
        if (::geteuid() != 0)
            return;
        QVERIFY(::setresuid(65534, 65534, 0) == 0);
        const bool read = QFile(first.created).open(QIODevice::ReadOnly) ||
                          QFile(first.created + ".lock").open(QIODevice::ReadOnly);
        QVERIFY(::setresuid(0, 0, 0) == 0);
        QVERIFY(!read);
    }

    // A 1024-pixel-wide screen puts a window at its top edge.
    void placement() { QCOMPARE(Form_Center({1024, 768}, QSize(800, 600)).top(), 0); }

    void exitCompactsOnlyWhatReclaims_data()
    {
        QTest::addColumn<int>("deleted");     // of 3000 logs
        QTest::addColumn<QString>("harm");    // done to the file before the exit
        QTest::addColumn<QString>("message"); // a pattern; "": no message
        const auto row = [](const char* name, int deleted, const char* harm,
                            const QString& message = {}) {
            QTest::newRow(name) << deleted << QString(harm) << QString(message);
        };
        row("a few rows deleted", 100, "");
        row("most rows deleted, a stale temporary file", 2700, "stale");
        row("linked, most rows deleted", 2700, "linked");
        row("damaged index", 2700, "index",
            '^' + texts::startup::CompactDamaged.ja_().arg(".*Log_Data_Date.*") + '$');
        row("not a database", 0, "text",
            '^' + texts::startup::CompactError.ja_().section('\n', 0, 0));
    }
    void exitCompactsOnlyWhatReclaims()
    {
        QFETCH(int, deleted);
        QFETCH(QString, harm);
        QFETCH(QString, message);
        const bool compacts = deleted > 1000 && message.isEmpty(); // much to reclaim, no harm
        TestApp app({}, false);
        const QString link = app.dbPath();
        QTemporaryDir elsewhere;
        const QString path = harm == "linked" ? elsewhere.filePath("real.db") : link;
        QVERIFY(harm != "linked" || (QFile::rename(link, path) && QFile::link(path, link)));
        app.db.open(link);
        addLogs(app.db, 3000, "0080", 0);
        app.db.execute(QStringLiteral("DELETE FROM Log_Data WHERE CAST(Data_No AS INTEGER) < %1")
                           .arg(deleted));
        const QString before = contents(app.db);
        app.db.close();
        const QString temp =
            QDir(QFileInfo(path).absolutePath()).filePath(QString::fromLatin1(kCompactTempFile));
        QVERIFY(harm != "stale" || writeFile(temp, "left over"));
        if (harm == "index")
            damageDateIndex(path);
        QVERIFY(harm != "text" || writeFile(path, "no database, just text long enough to be read"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0660) == 0); // a group's file
        const ino_t inode = inodeOf(path);
        const qint64 size = QFileInfo(path).size();
        const QByteArray bytes = fileBytes(path);

        // A second copy stays refused until the compacted copy replaces the file: tried from the
        // exit's event loop once the copy has begun.
        app.program.claim = DB_Claim(app.ctx.appDir, app.ctx.sw);
        DbFault during = DbFault::Other;
        const auto waitFor = [](const std::function<bool()>& done, int ms) {
            for (QDeadlineTimer left(ms); !done(); QThread::msleep(2))
                if (left.hasExpired())
                    return false;
            return true;
        };
        const auto replaced = [&] { return !compacts || inodeOf(path) != inode; };
        std::function<void()> tryClaim = [&] {
            if (!waitFor([&] { return replaced() || QFileInfo(temp).size() > 100; }, 300))
                return QTimer::singleShot(0, tryClaim); // the copy has not begun yet
            waitFor(replaced, 60000);
            during = DB_Claim(app.ctx.appDir, app.ctx.sw).fault();
        };
        QTimer::singleShot(0, tryClaim);
        Program_End(app.ctx, app.program, nullptr);
        QCOMPARE(during, DbFault::SecondCopy);
        QVERIFY(DB_Claim(app.ctx.appDir, app.ctx.sw).held());
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 &&
                (st.st_mode & 07777) == 0660);
        QCOMPARE(app.quitCalls, 1);
        const QString said = app.dialogs.lastText();
        QCOMPARE(app.dialogs.messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY2(message.isEmpty() || QRegularExpression(message).match(said).hasMatch(),
                 qPrintable(said));
        QVERIFY(!QFile::exists(temp + "-journal") && !QFile::exists(temp));
        QCOMPARE(inodeOf(path) != inode, compacts);
        QVERIFY(compacts ? QFileInfo(path).size() < size : fileBytes(path) == bytes);
        QVERIFY(harm != "linked" || QFileInfo(link).symLinkTarget() == path); // the link kept
        if (harm != "text") {
            app.db.open(link);
            QCOMPARE(contents(app.db), before);
        }
    }

    void serverSetting_data()
    {
        QTest::addColumn<QByteArray>("source"); // null: no ini file; "[...": the ini file
        QTest::addColumn<QString>("expected");
        const QByteArray full("[database]\ndriver=postgresql\nhost=/var/run/postgresql\nport=5433\n"
                              "dbname=quarvenix\nuser=depot1\nsslmode=require\n");
        const char* fullServer =
            "host=/var/run/postgresql port=5433 dbname=quarvenix user=depot1 sslmode=require";
        const auto row = [](const char* name, const QByteArray& source, const char* expected) {
            QTest::newRow(name) << source << QString(expected);
        };
        row("no file", QByteArray(), "");
        row("sqlite", "[database]\ndriver=sqlite\n", "");
        row("server", full, fullServer);
        row("server, defaults", "[database]\ndriver=postgresql\ndbname=q\n", "dbname=q");
        row("unknown driver", "[database]\ndriver=oracle\n",
            "problem: driver must be sqlite or postgresql");
        row("password in the file", full + "password=secret\n",
            "problem: a password does not belong");
        row("port not a number", QByteArray(full).replace("5433", "fifty"),
            "problem: port must be a number");
        row("unknown ssl mode", QByteArray(full).replace("require", "always"),
            "problem: sslmode must be one of");
        row("unknown key", full + "hostaddr=10.0.0.1\n",
            "problem: unknown connection key \"hostaddr\"");
        row("text", "host=/tmp/s dbname=q user=u", "host=/tmp/s dbname=q user=u");
        row("uri", "postgresql://u@db.example:5433/q?sslmode=verify-full",
            "host=db.example port=5433 dbname=q user=u sslmode=verify-full");
        row("quoted value", "dbname='my db' host=h", "host=h dbname=my db");
        row("failover and TLS",
            "[database]\ndriver=postgresql\nhost=db1,db2\nport=5432,5433\ndbname=q\n"
            "sslmode=verify-full\nsslrootcert=/etc/ca.crt\ntarget_session_attrs=read-write\n",
            "host=db1,db2 port=5432,5433 dbname=q sslmode=verify-full sslrootcert=/etc/ca.crt "
            "target_session_attrs=read-write");
        row("failover uri", "postgresql://u@a:5432,b:5433/q?target_session_attrs=read-write",
            "host=a,b port=5432,5433 dbname=q user=u target_session_attrs=read-write");
        row("ports for hosts", "host=a,b,c port=1,2 dbname=q", "problem: 2 ports for 3 hosts");
        row("unknown session kind", "dbname=q target_session_attrs=writable",
            "problem: target_session_attrs must be one of");
        row("no time limit", "dbname=q connect_timeout=0", "problem: connect_timeout must be");
        row("no statement bound", "[database]\ndriver=postgresql\ndbname=q\nwait=0\n",
            "problem: wait must be");
        for (const char* refused :
             {"dbname=q password=x", "host=/tmp/s user=u", "quarvenix", "dbname=q options=-cx"})
            row(refused, refused, "problem: ");
    }
    void serverSetting()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, expected);
        QString got;
        if (source.isNull() || source.startsWith('[')) {
            QTemporaryDir appDir;
            QVERIFY(source.isNull() || writeFile(appDir.filePath("quarvenix.ini"), source));
            const DbSetting s = DbSetting::fromIniFile(appDir.filePath(kDbSettingFile));
            got = !s.problem.isEmpty() ? "problem: " + s.problem
                  : s.usesFile()       ? ""
                                       : s.server.describe();
        } else {
            ServerAddress a;
            QString why;
            got = ServerAddress::parse(source, &a, &why) ? a.describe() : "problem: " + why;
        }
        QVERIFY2(expected.startsWith("problem: ") ? got.size() > 9 && got.startsWith("problem: ") &&
                                                        got.contains(expected.mid(9))
                                                  : got == expected,
                 qPrintable(got));
    }

    // The set-up tool never overwrites an operator's file; help and bad options create nothing.
    void initdbArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("operator's file in place") << QStringList{"."} << 0;
        QTest::newRow("--help after a folder") << QStringList{"db", "--help"} << 0;
        QTest::newRow("unknown option") << QStringList{"--force"} << 2;
    }
    void initdbArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QTemporaryDir work;
        const QString own = QDir(work.path()).filePath(QString::fromLatin1(kDbFileJapanese));
        QVERIFY(args[0] != "." || writeFile(own, "operator's own file"));
        QProcess tool;
        tool.setWorkingDirectory(work.path());
        tool.start(QCoreApplication::applicationDirPath() + "/quarvenix-initdb",
                   args << QStringLiteral(QVX_LOG_MASTER_FILE));
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), exitCode);
        const QStringList made =
            QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (args[0] == ".") {
            QCOMPARE(fileBytes(own), "operator's own file");
            QCOMPARE(made.size(), 3); // the English and the test databases made beside it
        } else {
            QCOMPARE(made, QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"

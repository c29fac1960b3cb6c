// The sign-in window through its real controls, on real database files.
#include "admin/frm_id.h"
#include "app/frm_login.h"
#include "app/sign_in_check.h"
#include "base/password.h"
#include "base/program_places.h"
#include "base/texts/admin.h"
#include "base/texts/app.h"
#include "db/schema_upgrade.h"
#include "support/modal.h"
#include "support/test_db.h"
#include "ui/window_parts.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QtWidgets>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LoginFixture : TestApp {
    explicit LoginFixture(int eng = 0, int test = 0)
        : TestApp(Switches{.Test_Flg = test, .Eng_Flg = eng}, false)
    {
    }
    int signedIn = 0;
    Frm_Login window{ctx, program, [this] { ++signedIn; }};
};

void setMode(const QString& path, mode_t mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

} // namespace

class TstLogin : public QObject {
    Q_OBJECT
private slots:
    void signIn_data()
    {
        QTest::addColumn<int>("eng");
        QTest::addColumn<QString>("id"); // null: a test build, as the window was loaded
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("message"); // after the title; empty: signed in
        const auto row = [](const char* name, int eng, const char* id, const char* pass,
                            const QString& message) {
            QTest::newRow(name) << eng << (id ? QString(id) : QString()) << pass << message;
        };
        namespace t = texts::login;
        row("both empty", 0, "", "", t::IdEmpty.ja_());
        row("password empty", 0, "admin", "", t::PassEmpty.ja_());
        row("wrong password", 0, "admin", "847", t::NoMatch.ja_());
        row("wrong case", 0, "ADMIN", "846", t::NoMatch.ja_());
        row("quote injection", 0, "admin' --", "x'OR'1'='1", t::NoMatch.ja_());
        row("english wrong", 1, "admin", "1", t::NoMatch.en_());
        row("right pair", 0, "admin", "846", "");
        row("test build, pre-filled", 1, nullptr, "", "");
    }

    void signIn()
    {
        QFETCH(int, eng);
        QFETCH(QString, id);
        QFETCH(QString, pass);
        QFETCH(QString, message);
        LoginFixture f(eng, id.isNull());
        QVERIFY(f.window.Form_Load());
        Frm_Login& w = f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (id.isNull()) {
            QCOMPARE(w.Txt_Id->text() + w.Txt_Pass->text(), "admin846");
        } else {
            w.Txt_Id->setText(id);
            w.Txt_Pass->setText(pass);
        }
        QCOMPARE(w.Txt_Pass->displayText(), QString(w.Txt_Pass->text().size(), u'*'));
        f.dialogs.answers = {MsgAnswer::No}; // keeps the delivered password for now
        // Enter moves from box to box, selecting the text, then to the button.
        w.Txt_Id->setFocus();
        QTest::keyClick(w.Txt_Id, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.Txt_Pass);
        QCOMPARE(w.Txt_Pass->selectedText(), w.Txt_Pass->text());
        QTest::keyClick(w.Txt_Pass, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.Cmd_Login);
        QVERIFY(f.signedIn == 0 && f.dialogs.messages.isEmpty());
        QTest::keyClick(w.Cmd_Login, Qt::Key_Return);

        namespace t = texts::login; // the delivered password: an offer to change it
        const Switches sw{.Eng_Flg = eng};
        QCOMPARE(f.dialogs.shown(),
                 QStringList{message.isEmpty() ? t::ClockTitle.in(sw) + ": " +
                                                     t::DeliveredPassword.in(sw) + " (icon)"
                                               : t::ErrorTitle.in(sw) + ": " + message});
        QCOMPARE(f.signedIn, message.isEmpty() ? 1 : 0);
        QCOMPARE(w.isVisible(), !message.isEmpty());
        if (message.isEmpty())
            return;
        // The box to type again has the focus; a refused password is selected.
        QCOMPARE(QApplication::focusWidget(), id.isEmpty() ? w.Txt_Id : w.Txt_Pass);
        QCOMPARE(w.Txt_Pass->selectedText(), id.isEmpty() ? "" : pass);
    }

    // Yes opens the login-ID window on admin; changed there, the next sign-in asks nothing.
    void deliveredPasswordChanged()
    {
        LoginFixture f;
        QVERIFY(f.window.Form_Load());
        QStringList seen;
        onNextModal([&](QWidget* w) {
            auto* id = qobject_cast<Frm_ID*>(w);
            QVERIFY(id && QTest::qWaitForWindowActive(w));
            seen << id->Txt_Id->text() + '|' + id->Txt_Name->text() + '|' +
                        QApplication::focusWidget()->objectName();
            id->Txt_Pass->setText("abcd");
            id->Txt_PassK->setText("abcd");
            id->Cmd_Add->click();
            seen << f.dialogs.lastText();
            id->Cmd_Modoru->click();
        });
        const auto signIn = [&](const char* pass) {
            f.window.Txt_Id->setText("admin");
            f.window.Txt_Pass->setText(pass);
            f.window.Cmd_Login->click();
        };
        signIn("846");
        QCOMPARE(seen.join(" / "), "admin|管理者|Txt_Pass / 登録しました。");
        QCOMPARE(f.signedIn, 1);
        f.dialogs.clear();
        signIn("abcd");
        QVERIFY(f.signedIn == 2 && f.dialogs.messages.isEmpty());
    }

    void smallDetails_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::newRow("password of two characters beyond the BMP refused")
            << texts::login_id::PassTooShort.ja_();
        QTest::newRow("ten such characters fill the password boxes") << "10 10 10";
        QTest::newRow("compaction copy of a killed exit removed at the start") << "removed";
        QTest::newRow("... kept while another copy runs") << "kept";
    }
    void smallDetails()
    {
        QFETCH(QString, expected);
        const QString tag = QTest::currentDataTag();
        LoginFixture f;
        QString actual;
        const QString kanji = "𠮷"; // one character, two UTF-16 units
        if (tag.startsWith("password of two")) {
            Frm_ID id(f.ctx);
            id.Txt_Id->setText("u1");
            id.Txt_Pass->setText(kanji + kanji);
            id.Txt_PassK->setText(kanji + kanji);
            id.Cmd_Add->click();
            actual = f.dialogs.lastText();
        } else if (tag.startsWith("ten such")) {
            Frm_ID id(f.ctx);
            for (QLineEdit* box : {id.Txt_Pass, id.Txt_Id, f.window.Txt_Pass}) {
                for (int i = 0; i < 11; ++i) {
                    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, kanji);
                    QApplication::sendEvent(box, &key);
                }
                actual += QString::number(window_parts::characterCount(box->text())) + ' ';
            }
            actual.chop(1);
        } else {
            const QString copy = f.dir.filePath("SaitekiDB.db");
            QVERIFY(writeFile(copy, "half a copy"));
            DbClaim other;
            if (tag.startsWith("..."))
                other = DB_Claim(f.dir.path(), f.ctx.sw);
            f.window.Form_Load();
            actual = QFile::exists(copy) ? "kept" : "removed";
        }
        QCOMPARE(actual, expected);
    }

    void startRefused_data()
    {
        QTest::addColumn<int>("eng");
        QTest::addColumn<QString>("state");   // of the clock, the database file and its folder
        QTest::addColumn<QString>("message"); // "title: text (icon)"; empty: the program starts
        const auto row = [](const char* state, int eng, const QString& message) {
            QTest::newRow(state) << eng << QString(state) << message;
        };
        row("clock at 2005-12-31", 0,
            "クアルヴェニクス: " + texts::login::ClockWrong.ja_() + " (icon)");
        row("clock at 2006-01-01", 0, {});
        // The fixed text stays Japanese; the reason follows the window's language.
        const QString refused = "エラーメッセージ: データベースに接続出来ません！！\n"
                                "プログラムを終了します。\n";
        namespace t = texts::startup;
        row("missing", 0, refused + t::ReasonMissing.ja_());
        row("read-only file", 0, refused + t::ReasonReadOnly.ja_());
        row("read-only folder", 0, refused + t::ReasonReadOnly.ja_());
        row("read-only folder, lock file left", 1, refused + t::ReasonReadOnly.en_());
        row("empty file", 0, refused + t::ReasonNotDatabase.ja_());
        row("not sqlite", 1, refused + t::ReasonNotDatabase.en_());
        row("table missing", 0, refused + t::ReasonNotDatabase.ja_());
        row("of a newer version", 1, refused + t::ReasonNewerSchema.en_());
        row("damaged", 0, refused + t::ReasonDamaged.ja_());
        row("held by another program", 1, refused + t::ReasonBusy.en_());
    }

    void startRefused()
    {
        QFETCH(int, eng);
        QFETCH(QString, state);
        QFETCH(QString, message);
        LoginFixture f(eng);
        if (state.startsWith("clock at "))
            f.now = QDateTime(QDate::fromString(state.right(10), Qt::ISODate), QTime(23, 0));
        const QString path = f.dbPath();
        const QString dir = f.dir.path();
        Database otherProgram;
        if (state == "missing") {
            QFile::remove(path);
        } else if (state == "read-only file") {
            setMode(dir, 0777);
            setMode(path, 0444);
        } else if (state.startsWith("read-only folder")) {
            if (state.endsWith("lock file left")) // nobody's own, as its earlier start left it
                QVERIFY(DB_Claim(dir, f.ctx.sw).held() &&
                        (::geteuid() != 0 ||
                         ::chown(QFile::encodeName(path + ".lock"), 65534, 65534) == 0));
            setMode(path, 0666);
            setMode(dir, 0555);
        } else if (state == "empty file" || state == "not sqlite") {
            const QByteArray line = state == "not sqlite" ? "CSV,not,a,database\r\n" : "";
            QVERIFY(writeFile(path, line.repeated(100)));
        } else if (state == "table missing" || state == "of a newer version") {
            Database db;
            db.open(path);
            db.execute(state == "table missing" ? "DROP TABLE Login"
                                                : "UPDATE Db_Version SET Version = Version + 1");
        } else if (state == "damaged") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(100)); // the schema's first page
            file.write(QByteArray(8, '\xff'));
        } else if (state == "held by another program") {
            otherProgram.open(path);
            otherProgram.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        }
        const QByteArray before = fileBytes(path);
        // As nobody when run as root, so that permissions bind as for an operator.
        const bool asNobody = state.startsWith("read-only") && ::geteuid() == 0;
        if (asNobody && ::setresuid(65534, 65534, 0) != 0)
            qFatal("cannot run as nobody");
        const bool started = f.window.Form_Load();
        if (asNobody && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot return to root");
        setMode(dir, 0700);
        QCOMPARE(started, message.isEmpty());
        QCOMPARE(f.db.isOpen(), message.isEmpty());
        QCOMPARE(f.program.claim.held(), message.isEmpty());
        QCOMPARE(f.dialogs.shown(), message.isEmpty() ? QStringList() : QStringList{message});
        if (state == "missing")
            QVERIFY(!QFile::exists(path)); // no database is created
        else if (!message.isEmpty())
            QCOMPARE(fileBytes(path), before); // nor an unusable one touched
    }

    // An earlier version's file is upgraded on opening but for a key its rows share; what is left
    // for a person admin is told once per start. quarvenix-initdb --upgrade does the same, its exit
    // code saying whether keys are shared.
    void oldFileUpgraded_data()
    {
        QTest::addColumn<int>("version");   // of the old file
        QTest::addColumn<QString>("added"); // rows added to it
        QTest::addColumn<QString>("told");  // the end of what admin is told, and the tool says
        QTest::addColumn<int>("exitCode");  // the tool's
        QTest::addColumn<QString>("after"); // a query, and its rows after the start
        QTest::addColumn<QString>("rows");
        QTest::newRow("clean") << 0 << "Kiki_Name (Unit_SN, Name) VALUES ('0081 ', 'Spare')"
                               << QString() << 0 << "SELECT Unit_SN FROM Kiki_Name"
                               << "0081";
        QTest::newRow("keys shared")
            << 0 << "Login (ID, Name, Pass) SELECT 'admin ', Name, Pass FROM Login"
            << "Login: ID 'admin' (2 rows: 'admin', 'admin ')" << 1
            << "SELECT ID FROM Login ORDER BY ID"
            << "admin;admin ;taro";
        QTest::newRow("archived copy differs")
            << 2
            << "Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES ('0080', "
               "'2024-05-01 08:00:00', '1', 8, '0.150', NULL), ('0080', '2024-05-01 08:00:00', "
               "'2', 8, '0.150', '01');Log_Archive (Unit_SN, Date, Data_No, Log_No, Alcohol, "
               "Tani, HDate) VALUES ('0080', '2024-05-01 08:00:00', '1', 8, '0.150', NULL, "
               "'2024-06-01 00:00:00'), ('0080', '2024-05-01 08:00:00', '2', 8, '0.200', '01', "
               "'2024-06-01 00:00:00'), ('0080', '2024-05-01 08:00:00', '3', 8, '0.150', '01', "
               "'2024-06-01 00:00:00')"
            << "1 archived logs that Log_Data holds unchanged removed from the archive; 1 that "
               "differ kept in both tables, for a person to decide:\n  Unit_SN '0080', Date "
               "'2024-05-01 08:00:00', Data_No '2': archived Log_No '8', Alcohol '0.200', Tani "
               "'01'; current Log_No '8', Alcohol '0.150', Tani '01'"
            << 0 << "SELECT Data_No || Alcohol FROM Log_Archive ORDER BY Data_No"
            << "20.200;30.150"; // the equal copy (a null Tani too) gone, the others kept
    }
    void oldFileUpgraded()
    {
        QFETCH(int, version);
        QFETCH(QString, added);
        QFETCH(QString, told);
        QFETCH(int, exitCode);
        QFETCH(QString, after);
        QFETCH(QString, rows);
        LoginFixture f;
        QStringList shape, views, kept;
        // A view reads alike in a new file and an upgraded one (statements as written).
        const auto viewTexts = [](Database& db) {
            return firstColumn(db, "SELECT sql FROM sqlite_master WHERE type = 'view' ORDER BY 1");
        };
        // Every log, set and ID reads the same after the upgrade.
        const auto keptRows = [](Database& db) {
            return rowTexts(db, "SELECT Unit_SN, Date, Data_No, Log_No, Alcohol, Tani FROM "
                                "Log_Data ORDER BY 1, 2, 3") +
                   rowTexts(db, "SELECT No, Name, Unit_SN FROM UFukusu ORDER BY 1, 2, 3") +
                   rowTexts(db, "SELECT No, Name, Log_No FROM Fukusu ORDER BY 1, 2, 3") +
                   rowTexts(db, "SELECT ID, Name FROM Login ORDER BY 1, 2");
        };
        {
            Database db;
            db.open(f.dbPath());
            shape = schemaShape(db);
            views = viewTexts(db);
            if (version == 0) {
                makeOldStyle(db);
            } else { // a file of version 2, without step 5's Check_Record
                db.execute("DROP TABLE Check_Record");
                db.execute("UPDATE Db_Version SET Version = ?", {version});
            }
            for (const QString& row : added.split(';'))
                db.execute("INSERT INTO " + row);
            db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) "
                       "VALUES ('0080', '2024-05-02 08:00:00', '7', 8, '0.150', '01')");
            db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080')");
            db.execute("INSERT INTO Login (ID, Name, Pass) VALUES ('taro', 'Taro', 'x')");
            kept = keptRows(db);
        }
        if (exitCode == 1)
            shape.removeAll("index login_trim_key");
        const QString copy = f.dir.filePath("copy.db");
        QVERIFY(QFile::copy(f.dbPath(), copy));
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(QCoreApplication::applicationDirPath() + "/quarvenix-initdb",
                   {"--upgrade", copy});
        QVERIFY(tool.waitForFinished());
        const QString said = QString::fromUtf8(tool.readAll());
        QVERIFY2(tool.exitCode() == exitCode, qPrintable(said));
        QVERIFY2(told.isEmpty() ? said.trimmed().count('\n') == 0 : said.contains(told),
                 qPrintable(said)); // a clean file: the one line of what was upgraded

        QVERIFY(f.window.Form_Load());
        QCOMPARE(schemaShape(f.db), shape);
        QCOMPARE(viewTexts(f.db), views);
        QCOMPARE(schema_upgrade::versionOf(f.db), schema_upgrade::currentVersion());
        QCOMPARE(firstColumn(f.db, after).join(';'), rows);
        QCOMPARE(keptRows(f.db), kept);
        QCOMPARE(firstColumn(f.db, "SELECT DISTINCT Kanri FROM Login"), QStringList{"1"});
        Database upgradedByTool;
        upgradedByTool.open(copy);
        QCOMPARE(schemaShape(upgradedByTool), shape);
        f.dialogs.answers = {MsgAnswer::No, MsgAnswer::No}; // the delivered password stays
        for (int start = 0; start < 2; ++start) {
            f.window.Txt_Id->setText("admin ");
            f.window.Txt_Pass->setText("846");
            f.window.Cmd_Login_Click();
        }
        QCOMPARE(f.signedIn, 2);
        QCOMPARE(f.dialogs.messages.size(), told.isEmpty() ? 2 : 3);
        QVERIFY(told.isEmpty() || f.dialogs.messages.first().text.endsWith('\n' + told));
    }

    // Installed, the first start makes the database in the user's or the shared folder, saying
    // where, once.
    void firstStartMakesTheDatabaseAndSaysWhere_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::newRow("the user's data folder") << false;
        QTest::newRow("a folder from quarvenix.ini") << true;
    }
    void firstStartMakesTheDatabaseAndSaysWhere()
    {
        QFETCH(bool, shared);
        QTemporaryDir root;
        const InstallDirs install{root.filePath("usr/bin"), root.filePath("usr/share/quarvenix"),
                                  root.filePath("etc/quarvenix")};
        for (const QString& dir : {install.bin, install.data, install.config})
            QVERIFY(QDir().mkpath(dir));
        QVERIFY(QFile::copy(QVX_LOG_MASTER_FILE, install.data + "/log_master.mst"));
        qputenv("XDG_DATA_HOME", root.filePath("home/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", root.filePath("home/config").toUtf8());
        const QString folder =
            shared ? root.filePath("srv/quarvenix")
                   : root.filePath("home/data/") + QCoreApplication::applicationName();
        if (shared) {
            QVERIFY(QDir().mkpath(folder));
            setMode(folder, 02770); // group-writable, files take its group
            QVERIFY(writeFile(install.config + "/quarvenix.ini",
                              "[database]\nfolder=" + folder.toUtf8() + "\n"));
        }
        LoginFixture f;
        DB_Place(f.ctx, f.program, ProgramPlaces::find(install.bin, install));
        QVERIFY(f.window.Form_Load());
        f.window.show();
        const QString path = folder + "/QuarvenixDB.db";
        QTRY_COMPARE(f.dialogs.shown(),
                     QStringList{"クアルヴェニクス: " + texts::login::NewDatabase.ja_().arg(path) +
                                 " (icon)"});
        QCOMPARE(f.db.path(), path);
        QCOMPARE(firstColumn(f.db, "SELECT ID FROM Login"), QStringList{"admin"});
        QCOMPARE(bool(QFile::permissions(path) & QFile::WriteGroup), shared);
        QCOMPARE(DB_Claim(folder, f.ctx.sw).fault(), DbFault::SecondCopy); // one running copy

        DB_Close(f.db); // the next start opens it without a word
        f.program.claim.release();
        Frm_Login next(f.ctx, f.program, {});
        QVERIFY(next.Form_Load());
        next.show();
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs.messages.size(), 1);
    }

    // PBKDF2-HMAC-SHA256, salted (RFC 7914's known answer); an unknown ID costs one check too.
    void passwordDigests()
    {
        QCOMPARE(password::pbkdf2Sha256("passwd", "salt", 1, 64).toHex(),
                 QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
        const QString hashed = password::hash("846", 1000);
        QVERIFY(password::verify("846", hashed) && !password::verify("8460", hashed) &&
                !password::verify("846", "846") && password::hash("846", 1000) != hashed);

        TestApp app;
        const QString stored =
            firstColumn(app.db, "SELECT Pass FROM Login WHERE ID = 'admin'").value(0);
        const QString standIn = password::standInDigest();
        QCOMPARE(standIn.section('$', 0, 1), stored.section('$', 0, 1)); // of the same cost
        QVERIFY(!password::verify(QString(), standIn) && !password::verify("846", standIn));

        for (const QString pair : {"admin/846", "admin/847", "nobody/846", "/846"}) {
            const SignInCheck check =
                checkSignIn(app.db, pair.section('/', 0, 0), pair.section('/', 1));
            QVERIFY2(check.matches == (pair == "admin/846") && check.digestsChecked == 1,
                     qPrintable(pair));
        }
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"

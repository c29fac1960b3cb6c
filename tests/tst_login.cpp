// The sign-in window through its real controls, on real database files.
#include "admin/frm_id.h"
#include "app/frm_login.h"
#include "app/sign_in_check.h"
#include "base/password.h"
#include "base/texts/app.h"
#include "support/modal.h"
#include "support/test_db.h"

#include <QFile>
#include <QTest>
#include <QtWidgets>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LoginFixture {
    explicit LoginFixture(int eng = 0, int test = 0)
        : app(Switches{.Test_Flg = test, .Eng_Flg = eng}, false),
          window(app.ctx, app.program, [this] { ++signedIn; })
    {
    }
    TestApp app;
    int signedIn = 0;
    Frm_Login window;
};

const QString kDbError =
    QStringLiteral("データベースに接続出来ません！！\nプログラムを終了します。");

// Runs `work` as user nobody when the test runs as root, so that file permissions bind as they
// do for an operator.
void asNobody(bool wanted, const std::function<void()>& work)
{
    const bool active = wanted && ::geteuid() == 0;
    if (active && ::setresuid(65534, 65534, 0) != 0)
        qFatal("cannot run as nobody");
    work();
    if (active && ::setresuid(0, 0, 0) != 0)
        qFatal("cannot return to root");
}

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
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("id"); // null: as the window was loaded
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("message"); // after the title; empty: signed in
        const auto row = [](const char* name, int eng, const char* id, const char* pass,
                            const char* message, int test = 0) {
            QTest::newRow(name) << eng << test << (id ? QString(id) : QString()) << QString(pass)
                                << QString(message);
        };
        const char* noMatch = "ログインID または パスワードが違います。";
        row("both empty", 0, "", "", "ログインIDが未入力です。");
        row("password empty", 0, "admin", "", "パスワードが未入力です。");
        row("wrong password", 0, "admin", "847", noMatch);
        row("wrong case", 0, "ADMIN", "846", noMatch);
        row("quote injection", 0, "admin' --", "x'OR'1'='1", noMatch);
        row("english wrong", 1, "admin", "1", "Login ID or the password is different.");
        row("right pair", 0, "admin", "846", "");
        row("test build, pre-filled", 1, nullptr, "", "", 1);
    }

    void signIn()
    {
        QFETCH(int, eng);
        QFETCH(int, test);
        QFETCH(QString, id);
        QFETCH(QString, pass);
        QFETCH(QString, message);
        LoginFixture f(eng, test);
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
        f.app.dialogs.answers = {MsgAnswer::No}; // keeps the delivered password for now
        // Enter goes from box to box, the text selected, then to the button without signing in.
        w.Txt_Id->setFocus();
        QTest::keyClick(w.Txt_Id, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.Txt_Pass);
        QCOMPARE(w.Txt_Pass->selectedText(), w.Txt_Pass->text());
        QTest::keyClick(w.Txt_Pass, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.Cmd_Login);
        QVERIFY(f.signedIn == 0 && f.app.dialogs.messages.isEmpty());
        QTest::keyClick(w.Cmd_Login, Qt::Key_Return);

        // Signing in with the delivered password offers to change it.
        const QString title = eng ? "Login Error: " : "ログインエラー: ";
        const QString delivered =
            eng ? "QUARVENIX: The delivered password is still in use.\n"
                  "Do you want to change it now? (icon)"
                : "クアルヴェニクス: 出荷時のパスワードのまま使われています。\n"
                  "今すぐパスワードを変更しますか？ (icon)";
        QCOMPARE(f.app.dialogs.shown(),
                 message.isEmpty() ? QStringList{delivered} : QStringList{title + message});
        QCOMPARE(f.signedIn, message.isEmpty() ? 1 : 0);
        QCOMPARE(w.isVisible(), !message.isEmpty());
        if (message.isEmpty())
            return;
        // The box to type again has the focus; a refused password is selected.
        QCOMPARE(QApplication::focusWidget(), id.isEmpty() ? w.Txt_Id : w.Txt_Pass);
        QCOMPARE(w.Txt_Pass->selectedText(), id.isEmpty() ? "" : pass);
    }

    // Yes opens the login-ID window on admin; once the password is changed
    // there, the next sign-in asks nothing.
    void deliveredPasswordChanged()
    {
        LoginFixture f;
        QVERIFY(f.window.Form_Load());
        QStringList seen;
        onNextModal([&](QWidget* w) {
            auto* id = qobject_cast<Frm_ID*>(w);
            QVERIFY(id);
            seen << id->Txt_Id->text() + '|' + id->Txt_Name->text();
            id->Txt_Pass->setText("abcd");
            id->Txt_PassK->setText("abcd");
            id->Cmd_Add->click();
            seen << f.app.dialogs.lastText();
            id->Cmd_Modoru->click();
        });
        const auto signIn = [&](const char* pass) {
            f.window.Txt_Id->setText("admin");
            f.window.Txt_Pass->setText(pass);
            f.window.Cmd_Login->click();
        };
        signIn("846");
        QCOMPARE(seen.join(" / "), "admin|管理者 / 登録しました。");
        QCOMPARE(f.signedIn, 1);
        f.app.dialogs.clear();
        signIn("abcd");
        QCOMPARE(f.app.dialogs.messages.size(), 0);
        QCOMPARE(f.signedIn, 2);
    }

    void startRefused_data()
    {
        QTest::addColumn<int>("eng");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("state");   // of the database file and its folder
        QTest::addColumn<QString>("message"); // "title: text (icon)"; empty: the program starts
        const QString clockJa =
            QStringLiteral("クアルヴェニクス: パソコンの日付が合ってません。\n"
                           "パソコンの日付を合わせてから起動してください。 (icon)");
        QTest::newRow("clock in 2005") << 0 << 2005 << "delivered" << clockJa;
        QTest::newRow("clock in 2006") << 0 << 2006 << "delivered" << QString();
        // The fixed text stays Japanese; the reason follows the window's language.
        const auto refused = [](const char* name, int eng, const char* state,
                                const BiText& reason) {
            QTest::newRow(name) << eng << 2024 << QString::fromLatin1(state)
                                << QStringLiteral("エラーメッセージ: ") + kDbError +
                                       QLatin1Char('\n') + reason.pick(eng == 1);
        };
        namespace t = texts::startup;
        refused("missing", 0, "missing", t::ReasonMissing);
        refused("read-only file", 0, "read-only file", t::ReasonReadOnly);
        refused("read-only folder", 0, "read-only folder", t::ReasonReadOnly);
        refused("read-only folder, lock file left", 1, "read-only folder, lock left",
                t::ReasonReadOnly);
        refused("empty file", 0, "empty", t::ReasonNotDatabase);
        refused("not sqlite", 1, "text", t::ReasonNotDatabase);
        refused("table missing", 0, "no table", t::ReasonNotDatabase);
        refused("damaged", 0, "damaged", t::ReasonDamaged);
        refused("held by another program", 1, "busy", t::ReasonBusy);
    }

    void startRefused()
    {
        QFETCH(int, eng);
        QFETCH(int, year);
        QFETCH(QString, state);
        QFETCH(QString, message);
        LoginFixture f(eng);
        f.app.now =
            QDateTime(QDate(year, year == 2005 ? 12 : 1, year == 2005 ? 31 : 1), QTime(23, 0));
        const QString path = f.app.dbPath();
        const QString dir = f.app.dir.path();
        Database otherProgram;
        if (state == QLatin1String("missing")) {
            QFile::remove(path);
        } else if (state == QLatin1String("read-only file")) {
            setMode(dir, 0777);
            setMode(path, 0444);
        } else if (state.startsWith(QLatin1String("read-only folder"))) {
            if (state.endsWith(QLatin1String("lock left")))
                QVERIFY(DB_Claim(dir, f.app.ctx.sw).held());
            setMode(path, 0666);
            setMode(dir, 0555);
        } else if (state == QLatin1String("empty") || state == QLatin1String("text")) {
            QVERIFY(writeFile(
                path, QByteArray(state == "text" ? "CSV,not,a,database\r\n" : "").repeated(100)));
        } else if (state == QLatin1String("no table")) {
            Database db;
            db.open(path);
            db.execute(QStringLiteral("DROP TABLE Login"));
        } else if (state == QLatin1String("damaged")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(100)); // the schema's first page
            file.write(QByteArray(8, '\xff'));
        } else if (state == QLatin1String("busy")) {
            otherProgram.open(path);
            otherProgram.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        }
        const QByteArray before = fileBytes(path);
        asNobody(state.startsWith(QLatin1String("read-only")),
                 [&] { QCOMPARE(f.window.Form_Load(), message.isEmpty()); });
        setMode(dir, 0700);
        QCOMPARE(f.app.db.isOpen(), message.isEmpty());
        QCOMPARE(f.app.program.claim.held(), message.isEmpty());
        QCOMPARE(f.app.dialogs.shown(), message.isEmpty() ? QStringList() : QStringList{message});
        if (state == QLatin1String("missing"))
            QVERIFY(!QFile::exists(path)); // no database is created
        else if (!message.isEmpty())
            QCOMPARE(fileBytes(path), before); // nor an unusable one touched
    }

    void secondCopyRefusedUntilTheFirstEnds()
    {
        // A second copy on the same file is refused until the end command has closed and
        // compacted the file, ended the program and freed the file.
        LoginFixture f;
        QVERIFY(f.window.Form_Load());
        const QString dir = f.app.dir.path();
        QVERIFY(!DB_Claim(dir, f.app.ctx.sw).held());
        QTest::mouseClick(f.window.Cmd_End, Qt::LeftButton);
        QVERIFY(f.app.quitCalls == 1 && !f.app.db.isOpen() && f.app.dialogs.messages.isEmpty());
        QVERIFY(!QFile::exists(f.app.dir.filePath("SaitekiDB.db")));
        QVERIFY(DB_Claim(dir, f.app.ctx.sw).held());
    }

    // The digest: PBKDF2-HMAC-SHA256, salted, never the typed text itself. An unknown ID costs one
    // password check like a known one, against a stand-in digest of the same cost that nothing
    // fits.
    void passwordDigests()
    {
        // Known answer of PBKDF2-HMAC-SHA256 (RFC 7914, section 11).
        QCOMPARE(password::pbkdf2Sha256("passwd", "salt", 1, 64).toHex(),
                 QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
        const QString hashed = password::hash("846", 1000);
        QVERIFY(password::verify("846", hashed) && !password::verify("8460", hashed));
        QVERIFY(!password::verify("846", "846") && password::hash("846", 1000) != hashed); // salted

        TestApp app;
        const QString stored =
            app.db.openRecordset(QStringLiteral("SELECT * FROM Login WHERE ID = 'admin' ;"))
                .text(QStringLiteral("Pass"));
        const QString standIn = password::standInDigest();
        QCOMPARE(standIn.section('$', 0, 1), stored.section('$', 0, 1)); // of the same cost
        QVERIFY(!password::verify(QString(), standIn) && !password::verify("846", standIn));

        // The right pair, a wrong password, an unknown and an empty ID: one digest checked each.
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

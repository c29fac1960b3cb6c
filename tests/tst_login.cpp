// The sign-in window through its real controls, on real database files.
#include "app/frm_login.h"
#include "app/password.h"
#include "app/startup.h"
#include "support/test_db.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct LoginFixture {
    explicit LoginFixture(Switches sw = {})
        : app(sw, false), window(app.ctx, [this] { ++signedIn; })
    {
    }
    TestApp app;
    int signedIn = 0;
    Frm_Login window;
};

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

class TstLogin : public QObject {
    Q_OBJECT

private slots:
    void captions_data();
    void captions();
    void signIn_data();
    void signIn();
    void enterChain();
    void clockCheck_data();
    void clockCheck();
    void unusableDatabaseEndsCleanly_data();
    void unusableDatabaseEndsCleanly();
    void secondCopyOfTheProgramIsRefused();
    void testBuildPrefills();
    void endCommandClosesAndCompacts();
    void passwordDigest();
};

void TstLogin::captions_data()
{
    QTest::addColumn<int>("eng");
    QTest::addColumn<QStringList>(
        "expected"); // window, LB_Dai, LB_Login, LB_Pass, Cmd_Login, Cmd_End
    QTest::newRow("japanese") << 0 << QStringList{"ログイン画面", "クアルヴェニクス　システム",
                                                  "ログインID：", "パスワード：",
                                                  "ログイン",     "終　了"};
    QTest::newRow("english") << 1 << QStringList{"LOGIN",     "QUARVENIX SYSTEM",
                                                 "Login ID:", "Password:",
                                                 "LOGIN",     "END"};
}

void TstLogin::captions()
{
    QFETCH(int, eng);
    QFETCH(QStringList, expected);
    Switches sw;
    sw.Eng_Flg = eng;
    LoginFixture f(sw);
    QVERIFY(f.window.Form_Load());
    const QStringList actual{f.window.windowTitle(),     f.window.LB_Dai->text(),
                             f.window.LB_Login->text(),  f.window.LB_Pass->text(),
                             f.window.Cmd_Login->text(), f.window.Cmd_End->text()};
    QCOMPARE(actual, expected);
    QCOMPARE(f.window.Txt_Id->maxLength(), 10);
    f.window.Txt_Pass->setText(QStringLiteral("846"));
    QCOMPARE(f.window.Txt_Pass->displayText(), QStringLiteral("***"));
}

void TstLogin::signIn_data()
{
    QTest::addColumn<int>("eng");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("pass");
    QTest::addColumn<QString>("message"); // empty: signed in
    QTest::addColumn<QString>("focus");
    QTest::newRow("both empty") << 0 << ""
                                << ""
                                << "ログインIDが未入力です。"
                                << "Txt_Id";
    QTest::newRow("id empty") << 0 << ""
                              << "846"
                              << "ログインIDが未入力です。"
                              << "Txt_Id";
    QTest::newRow("password empty") << 0 << "admin"
                                    << ""
                                    << "パスワードが未入力です。"
                                    << "Txt_Pass";
    QTest::newRow("wrong password") << 0 << "admin"
                                    << "847"
                                    << "ログインID または パスワードが違います。"
                                    << "Txt_Pass";
    QTest::newRow("wrong case") << 0 << "ADMIN"
                                << "846"
                                << "ログインID または パスワードが違います。"
                                << "Txt_Pass";
    QTest::newRow("stored digest typed") << 0 << "admin"
                                         << "pbkdf2"
                                         << "ログインID または パスワードが違います。"
                                         << "Txt_Pass";
    QTest::newRow("quote injection") << 0 << "admin' --"
                                     << "x'OR'1'='1"
                                     << "ログインID または パスワードが違います。"
                                     << "Txt_Pass";
    QTest::newRow("english empty") << 1 << ""
                                   << ""
                                   << "Login ID is a uninput. "
                                   << "Txt_Id";
    QTest::newRow("english password") << 1 << "admin"
                                      << ""
                                      << "The password is a uninput."
                                      << "Txt_Pass";
    QTest::newRow("english wrong") << 1 << "admin"
                                   << "1"
                                   << "Login ID or the password is different."
                                   << "Txt_Pass";
    QTest::newRow("right pair") << 0 << "admin"
                                << "846"
                                << ""
                                << "";
    QTest::newRow("right pair english") << 1 << "admin"
                                        << "846"
                                        << ""
                                        << "";
}

void TstLogin::signIn()
{
    QFETCH(int, eng);
    QFETCH(QString, id);
    QFETCH(QString, pass);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Switches sw;
    sw.Eng_Flg = eng;
    LoginFixture f(sw);
    QVERIFY(f.window.Form_Load());
    f.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.window.Txt_Id->setText(id);
    f.window.Txt_Pass->setText(pass);
    QTest::mouseClick(f.window.Cmd_Login, Qt::LeftButton);

    if (message.isEmpty()) {
        QVERIFY(f.app.dialogs.messages.isEmpty());
        QCOMPARE(f.signedIn, 1);
        QVERIFY(!f.window.isVisible());
        return;
    }
    QCOMPARE(f.app.dialogs.messages.size(), 1);
    const auto& m = f.app.dialogs.messages.first();
    QCOMPARE(m.text, message);
    QCOMPARE(m.title, eng ? QStringLiteral("Login Error") : QStringLiteral("ログインエラー"));
    QCOMPARE(m.buttons, MsgButtons::Ok);
    QCOMPARE(f.signedIn, 0);
    QVERIFY(f.window.isVisible());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    if (focus == QLatin1String("Txt_Pass"))
        QCOMPARE(f.window.Txt_Pass->selectedText(), pass);
}

void TstLogin::enterChain()
{
    LoginFixture f;
    QVERIFY(f.window.Form_Load());
    f.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.window.Txt_Id->setFocus();
    QTest::keyClicks(f.window.Txt_Id, QStringLiteral("admin"));
    f.window.Txt_Pass->setText(QStringLiteral("846"));
    QTest::keyClick(f.window.Txt_Id, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.window.Txt_Pass);
    QCOMPARE(f.window.Txt_Pass->selectedText(), QStringLiteral("846"));
    QTest::keyClick(f.window.Txt_Pass, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.window.Cmd_Login);
    QCOMPARE(f.signedIn, 0); // Enter in the password box does not sign in by itself
    QTest::keyClick(f.window.Cmd_Login, Qt::Key_Return);
    QCOMPARE(f.signedIn, 1);
}

void TstLogin::clockCheck_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("eng");
    QTest::addColumn<bool>("starts");
    QTest::newRow("2005") << 2005 << 0 << false;
    QTest::newRow("2005 english") << 2005 << 1 << false;
    QTest::newRow("2006") << 2006 << 0 << true;
}

void TstLogin::clockCheck()
{
    QFETCH(int, year);
    QFETCH(int, eng);
    QFETCH(bool, starts);
    Switches sw;
    sw.Eng_Flg = eng;
    LoginFixture f(sw);
    f.app.now = QDateTime(QDate(year, year == 2005 ? 12 : 1, year == 2005 ? 31 : 1), QTime(23, 0));
    QCOMPARE(f.window.Form_Load(), starts);
    QCOMPARE(f.app.db.isOpen(), starts);
    if (starts) {
        QVERIFY(f.app.dialogs.messages.isEmpty());
        return;
    }
    QCOMPARE(f.app.dialogs.messages.size(), 1);
    const auto& m = f.app.dialogs.messages.first();
    QCOMPARE(m.icon, MsgIcon::Information);
    QCOMPARE(m.title, eng ? QStringLiteral("QUARVENIX") : QStringLiteral("クアルヴェニクス"));
    QCOMPARE(m.text,
             eng ? QStringLiteral("The date of the computer is not suitable.\nPlease start after "
                                  "matching the date of the computer.")
                 : QStringLiteral("パソコンの日付が合ってません。\nパソコンの日付を合わせてから起動"
                                  "してください。"));
}

void TstLogin::unusableDatabaseEndsCleanly_data()
{
    QTest::addColumn<int>("eng");
    QTest::addColumn<QByteArray>("content"); // null: the file is missing
    QTest::newRow("missing") << 0 << QByteArray();
    QTest::newRow("missing, english build") << 1 << QByteArray();
    QTest::newRow("empty file") << 0 << QByteArray("");
    QTest::newRow("not a database") << 0 << QByteArray("CSV,not,a,database\r\n").repeated(100);
}

void TstLogin::unusableDatabaseEndsCleanly()
{
    QFETCH(int, eng);
    QFETCH(QByteArray, content);
    Switches sw;
    sw.Eng_Flg = eng;
    LoginFixture f(sw);
    const QString path = f.app.dbPath();
    QFile::remove(path);
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVERIFY(!f.window.Form_Load());
    QCOMPARE(f.app.dialogs.messages.size(), 1);
    // In Japanese whatever the language switch says.
    QCOMPARE(f.app.dialogs.messages.first().text,
             QStringLiteral("データベースに接続出来ません！！\nプログラムを終了します。"));
    QCOMPARE(f.app.dialogs.messages.first().title, QStringLiteral("エラーメッセージ"));
    QVERIFY(!f.app.db.isOpen());
    if (content.isNull())
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(fileHash(path), QCryptographicHash::hash(content, QCryptographicHash::Sha256));
}

void TstLogin::secondCopyOfTheProgramIsRefused()
{
    LoginFixture first;
    QVERIFY(first.window.Form_Load());
    // A second copy started on the same folder would lose what it stores
    // once the first one's compaction replaces the file: it is refused.
    Database secondDb;
    AppContext second = first.app.ctx;
    second.db = &secondDb;
    second.dbClaim.reset();
    Frm_Login secondWindow(second, [] {});
    QVERIFY(!secondWindow.Form_Load());
    QVERIFY(!secondDb.isOpen());
    QCOMPARE(first.app.dialogs.lastText(),
             QStringLiteral("データベースに接続出来ません！！\nプログラムを終了します。"));
    // The end command of the first frees the file.
    first.window.Cmd_End_Click();
    QVERIFY(secondWindow.Form_Load());
}

void TstLogin::testBuildPrefills()
{
    Switches sw;
    sw.Test_Flg = 1;
    sw.Eng_Flg = 1;
    LoginFixture f(sw);
    QVERIFY(f.window.Form_Load());
    QCOMPARE(QFileInfo(f.app.db.path()).fileName(), QStringLiteral("QuarvenixDBTest.db"));
    QCOMPARE(f.window.Txt_Id->text(), QStringLiteral("admin"));
    QCOMPARE(f.window.Txt_Pass->text(), QStringLiteral("846"));
    f.window.Cmd_Login_Click();
    QCOMPARE(f.signedIn, 1);
}

void TstLogin::endCommandClosesAndCompacts()
{
    LoginFixture f;
    QVERIFY(f.window.Form_Load());
    f.app.db.execute(QStringLiteral("INSERT INTO Log_Data_Bak SELECT * FROM Log_Data ;"));
    const QByteArray before = fileHash(f.app.dbPath());
    QTest::mouseClick(f.window.Cmd_End, Qt::LeftButton);
    QCOMPARE(f.app.quitCalls, 1);
    QVERIFY(!f.app.db.isOpen());
    QVERIFY(f.app.dialogs.messages.isEmpty());
    QVERIFY(!QFile::exists(f.app.dir.filePath(QStringLiteral("SaitekiDB.db"))));
    QVERIFY(fileHash(f.app.dbPath()) != before); // rewritten by the compaction...
    f.app.db.open(f.app.dbPath());               // ...and still whole
    QCOMPARE(f.app.count(QStringLiteral("Login")), 1);
}

void TstLogin::passwordDigest()
{
    // Known answer of PBKDF2-HMAC-SHA256 (RFC 7914, section 11).
    QCOMPARE(password::pbkdf2Sha256("passwd", "salt", 1, 64).toHex(),
             QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                        "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
    const QString stored = password::hash(QStringLiteral("846"), 1000);
    QVERIFY(!stored.contains(QStringLiteral("846$")));
    QVERIFY(password::verify(QStringLiteral("846"), stored));
    QVERIFY(!password::verify(QStringLiteral("8460"), stored));
    QVERIFY(!password::verify(QStringLiteral("846"), QStringLiteral("846")));
    QVERIFY(password::hash(QStringLiteral("846"), 1000) != stored); // salted

    TestApp app;
    Recordset rs = app.db.openRecordset(QStringLiteral("SELECT * FROM Login WHERE ID = 'admin' ;"));
    QVERIFY(rs.text(QStringLiteral("Pass")).startsWith(QStringLiteral("pbkdf2-sha256$")));
    QVERIFY(password::verify(QStringLiteral("846"), rs.text(QStringLiteral("Pass"))));
}

QTEST_MAIN(TstLogin)
#include "tst_login.moc"

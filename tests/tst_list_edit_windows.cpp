// The login ID and handset name windows through their real controls, on real database files.
#include "admin/frm_id.h"
#include "admin/frm_kiki.h"
#include "app/frm_login.h"
#include "base/texts/admin.h"
#include "sets/selection_set_table.h"
#include "support/test_db.h"
#include "support/xvfb.h" // showActive()

#include <QTest>
#include <QtWidgets>
#include <memory>

namespace {

// Logins besides admin, handset names and stored units to work on.
struct Admin : TestApp {
    explicit Admin(int english = 0) : TestApp({.Eng_Flg = english})
    {
        db.execute("INSERT INTO Login (ID, Name, Pass, Kanri) VALUES ('suzuki', '鈴木', 'x', 1), "
                   "('Admin', 'A', 'x', 0), ('o''brien', 'O''Brien', 'x', 0)");
        db.execute("INSERT INTO Log_Data (Unit_SN) VALUES ('0080'), ('0081'), ('1234')");
        db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3'), "
                   "('1234', 'Van')");
    }
    ListEditWindow& open(const QString& name)
    {
        window = name == "Frm_ID" ? std::unique_ptr<ListEditWindow>(std::make_unique<Frm_ID>(ctx))
                                  : std::make_unique<Frm_Kiki>(ctx);
        return *window;
    }
    Frm_ID& id() { return static_cast<Frm_ID&>(open("Frm_ID")); }
    Frm_Kiki& kiki() { return static_cast<Frm_Kiki&>(open("Frm_Kiki")); }
    // The grid's rows as "No,key,name" (login IDs: ",administers") joined by "; ".
    QString grid() const
    {
        QStringList rows;
        for (int r = 0; r < window->MSFG->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < window->MSFG->columnCount(); ++c)
                cells << window->MSFG->item(r, c)->text();
            rows << cells.join(',');
        }
        return rows.join("; ");
    }
    // Messages as shown: text, then "!" for the exclamation icon, "?" for a question.
    QString shown() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages)
            out << m.text + (m.buttons != MsgButtons::Ok      ? "?"
                             : m.icon == MsgIcon::Exclamation ? "!"
                                                              : "");
        return out.join('|');
    }
    // Signs in at a real sign-in window; true when it lets the pair in.
    bool signsIn(const QString& id, const QString& pass)
    {
        int in = 0;
        Frm_Login login(ctx, program, [&in] { ++in; });
        login.Txt_Id->setText(id);
        login.Txt_Pass->setText(pass);
        login.Cmd_Login->click();
        return in == 1;
    }
    QString stored(const QString& sql) { return firstColumn(db, sql).join(';'); }

    std::unique_ptr<ListEditWindow> window;
};

// Types one character the way a keyboard or an input method delivers it.
void type(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

// The text boxes of a window in its order (a list's own text box for the serial number), the
// first ones given the texts `typed`.
QList<QLineEdit*> boxes(const ListEditWindow& w, const QStringList& typed = {})
{
    QList<QLineEdit*> out;
    for (const char* name : {"Txt_Id", "Cmb_SN", "Txt_Name", "Txt_Pass", "Txt_PassK"}) {
        if (auto* combo = w.findChild<QComboBox*>(name))
            out << combo->lineEdit();
        else if (auto* edit = w.findChild<QLineEdit*>(name))
            out << edit;
    }
    for (int i = 0; i < typed.size(); ++i)
        out[i]->setText(typed[i]);
    return out;
}

QString boxTexts(const QList<QLineEdit*>& boxes)
{
    QStringList out;
    for (const QLineEdit* box : boxes)
        out << box->text();
    return out.join(',');
}

void clickRow(QTableWidget* grid, int row)
{
    const QRect cell = grid->visualItemRect(grid->item(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class TstListEditWindows : public QObject {
    Q_OBJECT

private slots:
    void registration_data()
    {
        QTest::addColumn<int>("english");
        QTest::addColumn<QStringList>("typed"); // a box each: four for login IDs, two for names
        QTest::addColumn<QString>("message");   // "!" after one with the exclamation icon
        QTest::addColumn<QString>("grid");      // after; empty: as before, boxes kept
        const auto row = [](const char* name, int english, QStringList typed,
                            const QString& message, const char* grid = "") {
            QTest::newRow(name) << english << typed << message << grid;
        };
        row("all empty", 0, {"", "", "", ""}, "ログインIDが未入力です。!");
        row("only the confirmation empty", 0, {"tanaka", "田中", "pw", ""},
            "確認パスワードが未入力です。!");
        row("password empty", 1, {"tanaka", "", "", "pw"}, "The password is a uninput.!");
        row("case differs, english", 1, {"tanaka", "", "Secret", "secret"},
            "The password and the confirmation password are different.!");
        row("password of 3", 0, {"tanaka", "", "abc", "abc"},
            texts::login_id::PassTooShort.ja_() + "!");
        row("name may be empty", 0, {"tanaka", "", "abcd", "abcd"}, "登録しました。",
            "1,Admin,A,; 2,admin,管理者,○; 3,o'brien,O'Brien,; 4,suzuki,鈴木,○; 5,tanaka,,");
        row("english", 1, {"O'Hara", "x');DROP TABLE x;--", "pass", "pass"}, "It registered. ",
            "1,Admin,A,; 2,O'Hara,x');DROP TABLE x;--,; 3,admin,Administrator,Yes; "
            "4,o'brien,O'Brien,; 5,suzuki,鈴木,Yes");
        const QString badName = texts::login_id::NameTooLong.en_() + "!";
        row("name without Shift_JIS", 1, {"tanaka", "Snow ☃", "pw", "pw"}, badName);
        row("name of 21 bytes, stored so before", 1,
            {"suzuki", "abcdefghijklmnopqrstu", "pass", "pass"}, badName);
        row("serial empty, english", 1, {"", ""}, "Unit S/N is a unselection. !");
        row("replaced name, english", 1, {"0080", "Truck 4"}, "It registered.",
            "1,0080,Truck 4; 2,1234,Van");
        row("number no log carries", 0, {"9'9", "Spare"}, "登録しました。",
            "1,0080,Truck 3; 2,1234,Van; 3,9'9,Spare");
        row("trailing blank, existing", 0, {"1234 ", "Van 2"}, "登録しました。",
            "1,0080,Truck 3; 2,1234,Van 2");
    }
    void registration()
    {
        QFETCH(int, english);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, grid);
        Admin a(english);
        ListEditWindow& w = a.open(typed.size() == 4 ? "Frm_ID" : "Frm_Kiki");
        const QString gridBefore = a.grid();
        const QList<QLineEdit*> edits = boxes(w, typed);
        w.Cmd_Add->click();
        QCOMPARE(a.shown(), message);
        QCOMPARE(a.grid(), grid.isEmpty() ? gridBefore : grid);
        // Refused: nothing typed is lost. Registered: the boxes empty, one row a key, dated now.
        QCOMPARE(boxTexts(edits),
                 grid.isEmpty() ? typed.join(',') : QString(typed.size() - 1, ','));
        if (!grid.isEmpty()) {
            const QString table = typed.size() == 4 ? "Login" : "Kiki_Name";
            QCOMPARE(a.count(table), qint64(w.MSFG->rowCount()));
            QVERIFY(a.stored("SELECT Date FROM " + table).contains("2024-05-15 10:30:00"));
        }
    }

    void passwordChangeSignsInAtOnce()
    {
        Admin a;
        Frm_ID& w = a.id();
        QVERIFY(showActive(&w));
        const auto registerAs = [&](const QString& id, const QString& pass) {
            boxes(w, {id, w.Txt_Name->text(), pass, pass});
            w.Cmd_Add->click();
        };
        // The first by keyboard: Enter goes from box to box, selecting the text, and from the
        // last to the button without registering; Enter on the button registers.
        const QList<QLineEdit*> chain = boxes(w, {"tanaka ", "田中", "first1", "first1"});
        w.Txt_Id->setFocus();
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(chain[i - 1], Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), chain[i]);
            QCOMPARE(chain[i]->selectedText(), chain[i]->text());
        }
        QTest::keyClick(w.Txt_PassK, Qt::Key_Return);
        QVERIFY(QApplication::focusWidget() == w.Cmd_Add && a.dialogs.messages.isEmpty());
        QTest::keyClick(w.Cmd_Add, Qt::Key_Return);
        QCOMPARE(a.shown(), "登録しました。");
        QVERIFY(a.signsIn("tanaka", "first1")); // stored without the blank, signs in as shown
        registerAs("tanaka", "second2");
        QVERIFY(a.signsIn("tanaka", "second2") && !a.signsIn("tanaka", "first1"));

        // admin's password changes from its row; "admin " names the same row.
        clickRow(w.MSFG, 1);
        QCOMPARE(w.Txt_Id->text(), "admin");
        registerAs(w.Txt_Id->text(), "new846");
        QVERIFY(a.signsIn("admin", "new846") && !a.signsIn("admin", "846"));
        registerAs("admin ", "blank846");
        QCOMPARE(a.stored("SELECT ID FROM Login WHERE RTRIM(ID) = 'admin'"), "admin");
        QVERIFY(a.signsIn("admin", "blank846"));
    }

    // A new database refuses keys that differ only by trailing blanks. In an older one that holds
    // both, listed padded first, a registration changes the row that sign-in and the views read.
    void legacyPaddedKeys()
    {
        Admin a;
        for (const char* padded :
             {"Login (ID, Pass) VALUES ('admin ', 'x')", "Kiki_Name (Unit_SN) VALUES ('1234 ')",
              "Fukusu (No, Name, Log_No) VALUES (1, '標準セット ', 8)"})
            QVERIFY_THROWS_EXCEPTION(DbError, a.db.execute(QString("INSERT INTO ") + padded));
        for (const char* index : {"Login_Trim_Key", "Kiki_Name_Trim_Key", "Fukusu_Trim_Key"})
            a.db.execute(QString("DROP INDEX ") + index);
        a.db.execute("UPDATE Login SET ID = 'admin ' WHERE ID = 'admin'");
        a.db.execute("INSERT INTO Login (ID, Name, Pass) SELECT 'admin', Name, Pass FROM Login "
                     "WHERE ID = 'admin '");
        a.db.execute("UPDATE Kiki_Name SET Unit_SN = '0080 ' WHERE Unit_SN = '0080'");
        a.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3'), "
                     "('0081 ', 'Spare')");
        a.db.execute(
            "INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Mine ', 8), (1, 'Mine', 9)");

        boxes(a.id(), {"admin", "管理者", "new846", "new846"});
        a.window->Cmd_Add->click();
        for (const QStringList& typed : {QStringList{"0080", "Truck 4"}, {"0081", "Spare 2"}}) {
            boxes(a.kiki(), typed);
            a.window->Cmd_Add->click();
        }
        selection_set_table::write(a.db, {"Fukusu", "Log_No"}, "Mine ", {17}, a.now);
        QVERIFY(a.signsIn("admin", "new846"));
        QVERIFY(!a.signsIn("admin", "846") && !a.signsIn("admin ", "846"));
        QCOMPARE(a.stored("SELECT Unit_SN || '=' || Name FROM V_Unit_SN ORDER BY Unit_SN"),
                 "0080=Truck 4;0081=Spare 2;1234=Van");
        QCOMPARE(a.stored("SELECT Name || No || '/' || Log_No FROM Fukusu WHERE Name LIKE 'Mine%'"),
                 "Mine1/17");
    }

    void deletion_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("english");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("messages"); // "?" after a question, "!" after a warning
        QTest::addColumn<QString>("keys");     // left in the table
        const auto row = [](const char* name, const char* window, int english, const char* key,
                            const char* messages, const char* keys, bool yes = true) {
            QTest::newRow(name) << window << english << key << yes << messages << keys;
        };
        const char* all = "Admin;admin;o'brien;suzuki";
        row("ID empty", "Frm_ID", 0, "", "削除するログインIDを選択して下さい。!", all);
        row("admin", "Frm_ID", 0, "admin", "adminは、削除出来ません。!", all);
        row("Admin is another ID", "Frm_ID", 0, "Admin",
            "Adminを削除しても宜しいですか？?|削除しました。", "admin;o'brien;suzuki");
        row("admin with a blank is asked, and kept", "Frm_ID", 0, "admin ",
            "admin を削除しても宜しいですか？?|adminは、削除出来ません。!", all);
        row("trailing blank does not count", "Frm_ID", 1, "suzuki  ",
            "Even if suzuki   is deleted, is it good??|It deleted it. ", "Admin;admin;o'brien");
        row("quote", "Frm_ID", 0, "o'brien", "o'brienを削除しても宜しいですか？?|削除しました。",
            "Admin;admin;suzuki");
        row("answered No", "Frm_ID", 0, "suzuki", "suzukiを削除しても宜しいですか？?", all, false);
        row("serial empty, english", "Frm_Kiki", 1, "", "Please select deleted unit S/N.!",
            "0080;1234");
        row("serial, english", "Frm_Kiki", 1, "1234",
            "Even if 1234is deleted, is it good??|It deleted it. ", "0080");
    }
    void deletion()
    {
        QFETCH(QString, window);
        QFETCH(int, english);
        QFETCH(QString, key);
        QFETCH(bool, yes);
        QFETCH(QString, messages);
        QFETCH(QString, keys);
        Admin a(english);
        ListEditWindow& w = a.open(window);
        a.dialogs.answers << (yes ? MsgAnswer::Yes : MsgAnswer::No);
        boxes(w, {key});
        w.Cmd_Del->click();
        QCOMPARE(a.shown(), messages);
        QCOMPARE(a.stored(window == "Frm_Kiki" ? "SELECT Unit_SN FROM Kiki_Name ORDER BY Unit_SN"
                                               : "SELECT ID FROM Login ORDER BY ID"),
                 keys);
        QCOMPARE(a.count("V_Unit_SN"), qint64(3)); // deleting a name leaves the handset's logs
    }

    void clickOnRows()
    {
        Admin a;
        Frm_ID& w = a.id();
        QVERIFY(showActive(&w));
        w.Txt_Pass->setText("typed");
        clickRow(w.MSFG, 3);
        QCOMPARE(boxTexts(boxes(w)), "suzuki,鈴木,,");
        QCOMPARE(w.MSFG->selectionModel()->selectedRows().value(0).row(), 3);
        w.Cmd_Add->click(); // the password must be typed again
        QCOMPARE(a.shown(), "パスワードが未入力です。!");
        w.Cmd_New->click();
        QCOMPARE(boxTexts(boxes(w)), ",,,");
        QVERIFY(w.MSFG->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.Txt_Id);

        Frm_Kiki& k = a.kiki();
        QVERIFY(showActive(&k));
        QCOMPARE(k.Cmb_SN->currentText() + '/' + QString::number(k.Cmb_SN->count()), "/3");
        // Choosing a number with a name shows it, selected; one without keeps the box's text.
        k.Txt_Name->setText("from before");
        for (const char* chosen : {"0080", "0081"}) {
            k.Cmb_SN->setFocus();
            QTest::keyClick(k.Cmb_SN, Qt::Key_Down);
            QCOMPARE(k.Cmb_SN->currentText(), chosen);
            QCOMPARE(QApplication::focusWidget(), k.Txt_Name);
            QCOMPARE(k.Txt_Name->selectedText(), "Truck 3");
        }
        // Typing a listed number and leaving the box chooses nothing.
        k.Cmb_SN->setFocus();
        k.Cmb_SN->lineEdit()->selectAll();
        QTest::keyClicks(k.Cmb_SN->lineEdit(), "1234");
        k.Txt_Name->setText("Typed name");
        k.Cmd_Add->setFocus();
        QCOMPARE(k.Txt_Name->text() + '/' + k.Cmb_SN->currentText(), "Typed name/1234");
        k.Cmd_Add->click();
        QCOMPARE(a.stored("SELECT Name FROM Kiki_Name WHERE Unit_SN = '1234'"), "Typed name");
    }

    // The limits hold as characters are typed: 10 for IDs, passwords and serial numbers, 20
    // Shift_JIS bytes for names; a character without a Shift_JIS form is not taken.
    void limitsAsTyped()
    {
        Admin a;
        const auto typed = [&](const char* window, int box, const QString& text) {
            QLineEdit* edit = boxes(a.open(window))[box];
            type(edit, text);
            return edit->text();
        };
        QCOMPARE(typed("Frm_ID", 0, "abcdefghijk"), "abcdefghij");
        QCOMPARE(typed("Frm_ID", 2, "12345678901"), "1234567890");
        QCOMPARE(typed("Frm_Kiki", 0, "12345678901"), "1234567890");
        QCOMPARE(typed("Frm_ID", 1, "あいうえおかきくけこさ"), "あいうえおかきくけこ");
        QCOMPARE(typed("Frm_Kiki", 1, QString(19, 'h') + "あa"), QString(19, 'h') + "a");
        QCOMPARE(typed("Frm_ID", 1, "a☃b€c"), "abc");
    }
};

QTEST_MAIN(TstListEditWindows)
#include "tst_list_edit_windows.moc"

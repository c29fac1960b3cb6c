// The login ID and handset name windows through their real controls, on real
// database files; a changed password is tried at the real sign-in window.
#include "admin/frm_id.h"
#include "admin/frm_kiki.h"
#include "admin/list_edit_table.h"
#include "app/frm_login.h"
#include "grid/log_grid_view.h"
#include "support/test_db.h"

#include <QTest>
#include <QtWidgets>
#include <memory>

namespace {

// Logins besides admin, handset names and stored units to work on.
const char* const kRows[] = {
    "INSERT INTO Login (ID, Name, Pass) VALUES ('suzuki', '鈴木', 'x'), ('Admin', 'A', 'x'), "
    "('o''brien', 'O''Brien', 'x')",
    "INSERT INTO Log_Data (Unit_SN) VALUES ('0080'), ('0081'), ('1234')",
    "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3'), ('1234', 'Van')",
};

struct Admin : TestApp {
    explicit Admin(int english = 0) : TestApp({.Eng_Flg = english})
    {
        for (const char* sql : kRows)
            db.execute(QString::fromUtf8(sql));
    }
    ListEditWindow& open(const QString& name)
    {
        window = name == "Frm_ID" ? std::unique_ptr<ListEditWindow>(std::make_unique<Frm_ID>(ctx))
                                  : std::make_unique<Frm_Kiki>(ctx);
        return *window;
    }
    Frm_ID& id() { return static_cast<Frm_ID&>(open("Frm_ID")); }
    Frm_Kiki& kiki() { return static_cast<Frm_Kiki&>(open("Frm_Kiki")); }
    // The grid's rows as "No,key,name" joined by "; ".
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
    QString fieldsText() const
    {
        QStringList texts;
        for (const auto* e : window->findChildren<QLineEdit*>())
            texts << e->text();
        return texts.join(',');
    }
    template <class W> bool shownActive(W& w)
    {
        w.show();
        return QTest::qWaitForWindowActive(&w);
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
    QString stored(const QString& sql)
    {
        QString out;
        for (const QString& value : firstColumn(db, sql))
            out += value + ';';
        return out;
    }

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

// The text box of a field (a list's own text box for the serial number).
QLineEdit* box(const ListEditWindow& w, const QString& name)
{
    QWidget* control = w.findChild<QWidget*>(name);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(control);
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
    void controls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("english");
        // Title | heading | labels | button captions and tooltips | box tooltips | grid
        // headings and widths (twips) | focus order from the first focus.
        QTest::addColumn<QString>("expected");
        QTest::newRow("login IDs")
            << "Frm_ID" << 0
            << "ログインID|ログインID|ログインID 名　前 パスワード 確認パスワード|"
               "新規/ログインIDの新規 登録/ログインIDの登録・変更 削除/ログインIDの削除 戻る/|"
               "10文字以内英数字を入力して下さい/10文字以内の文字を入力して下さい。/"
               "10文字以内英数字を入力して下さい/パスワードと同一の文字を入力して下さい。|"
               "No:300 ログインID:1000 名前:2000|Cmd_New Txt_Id Txt_Name Txt_Pass Txt_PassK "
               "Cmd_Add Cmd_Modoru MSFG Cmd_Del";
        QTest::newRow("login IDs, english")
            << "Frm_ID" << 1
            << "LOGIN ID|LOGIN ID|Login ID Name Password Confirmation|"
               "New/ログインIDの新規 ADD/ログインIDの登録・変更 DEL/ログインIDの削除 CLOSE/|"
               "///|No:300 LOGIN ID:1000 NAME:2000|Cmd_New Txt_Id Txt_Name Txt_Pass Txt_PassK "
               "Cmd_Add Cmd_Modoru MSFG Cmd_Del";
        QTest::newRow("handset names")
            << "Frm_Kiki" << 0
            << "ハンドセット名称|ハンドセット名称|ユニットS/N 名　称|"
               "登録/ハンディセット名称の登録変更 削除/ハンディセット名称の削除 戻る/|/|"
               "No:400 ユニットS/N:1100 名称:1900|Cmb_SN Txt_Name Cmd_Add Cmd_Modoru MSFG Cmd_Del";
        QTest::newRow("handset names, english")
            << "Frm_Kiki" << 1
            << "Hand Set Name|Hand Set Name|Unit S/N Name|"
               "ADD/ハンディセット名称の登録変更 DEL/ハンディセット名称の削除 CLOSE/|/|"
               "No:400 UnitS/N:1100 Name:1900|Cmb_SN Txt_Name Cmd_Add Cmd_Modoru MSFG Cmd_Del";
    }
    void controls()
    {
        QFETCH(QString, window);
        QFETCH(int, english);
        QFETCH(QString, expected);
        const QList<int> twips =
            window == "Frm_ID" ? QList{300, 1000, 2000} : QList{400, 1100, 1900};
        Admin a(english);
        ListEditWindow& w = a.open(window);
        QStringList labels, buttons, tips, headings;
        for (const char* name : {"Label2", "Label5", "Label3", "Label4"})
            if (auto* l = w.findChild<QLabel*>(name))
                labels << l->text();
        for (const char* name : {"Cmd_New", "Cmd_Add", "Cmd_Del", "Cmd_Modoru"})
            if (auto* b = w.findChild<QPushButton*>(name))
                buttons << b->text() + '/' + b->toolTip();
        for (const char* name : {"Txt_Id", "Cmb_SN", "Txt_Name", "Txt_Pass", "Txt_PassK"})
            if (auto* box = w.findChild<QWidget*>(name))
                tips << box->toolTip();
        for (int c = 0; c < w.MSFG->columnCount(); ++c) {
            headings << w.MSFG->horizontalHeaderItem(c)->text() + ':' + QString::number(twips[c]);
            QCOMPARE(w.MSFG->columnWidth(c), LogGridView::twipsToPixels(twips[c], w.MSFG));
            QCOMPARE(w.MSFG->horizontalHeaderItem(c)->textAlignment(), int(Qt::AlignCenter));
        }
        QVERIFY(a.shownActive(w));
        // A list's own text box stands for the list.
        const auto inList = [](const QWidget* x) {
            return qobject_cast<const QComboBox*>(x->parentWidget()) != nullptr;
        };
        QWidget* first = QApplication::focusWidget();
        if (inList(first))
            first = first->parentWidget();
        QStringList order;
        for (QWidget* x = first; !order.contains(x->objectName()); x = x->nextInFocusChain())
            if ((x->focusPolicy() & Qt::TabFocus) && x->isVisible() && !inList(x))
                order << x->objectName();
        QCOMPARE(
            QStringList({w.windowTitle(), w.Label1->text(), labels.join(' '), buttons.join(' '),
                         tips.join('/'), headings.join(' '), order.join(' ')})
                .join('|'),
            expected);

        for (const char* name : {"Txt_Id", "Txt_Pass", "Txt_PassK"})
            if (auto* box = w.findChild<QLineEdit*>(name)) {
                QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
                QCOMPARE(box->echoMode(), name[4] == 'P' ? QLineEdit::Password : QLineEdit::Normal);
            }
        auto* name = w.findChild<QLineEdit*>("Txt_Name");
        QVERIFY(name->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(name->inputMethodHints(), english ? Qt::ImhPreferLatin : Qt::ImhNone);
        // The grid is read only; the password is never in it.
        QCOMPARE(w.MSFG->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!a.grid().contains("x"));
    }

    void registration_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("english");
        QTest::addColumn<QStringList>("typed"); // one text per box, in the window's order
        QTest::addColumn<QString>("message");   // "!" after one with the exclamation icon
        QTest::addColumn<QString>("grid");      // after; empty: as before, boxes kept
        const auto id = [](const char* name, int english, QStringList typed, const char* message,
                           const char* grid = "") {
            QTest::newRow(name) << "Frm_ID" << english << typed << message << grid;
        };
        id("all empty", 0, {"", "", "", ""}, "ログインIDが未入力です。!");
        id("only the confirmation empty", 0, {"tanaka", "田中", "pw", ""},
           "確認パスワードが未入力です。!");
        id("password empty", 1, {"tanaka", "", "", "pw"}, "The password is a uninput.!");
        id("case differs, english", 1, {"tanaka", "", "Secret", "secret"},
           "The password and the confirmation password are different.!");
        id("password of 3", 0, {"tanaka", "", "abc", "abc"},
           "パスワードは4文字以上で入力して下さい。!");
        id("name may be empty", 0, {"tanaka", "", "abcd", "abcd"}, "登録しました。",
           "1,Admin,A; 2,admin,管理者; 3,o'brien,O'Brien; 4,suzuki,鈴木; 5,tanaka,");
        id("english", 1, {"O'Hara", "x');DROP TABLE x;--", "pass", "pass"}, "It registered. ",
           "1,Admin,A; 2,O'Hara,x');DROP TABLE x;--; 3,admin,Administrator; "
           "4,o'brien,O'Brien; 5,suzuki,鈴木");
        id("name too long", 0, {"tanaka", QString(21, 'n'), "pw", "pw"},
           "名前は全角10文字（半角20文字）以内で、使える文字だけを入力して下さい。!");
        id("name without Shift_JIS", 1, {"tanaka", "Snow ☃", "pw", "pw"},
           "The name can hold at most 10 full-width or 20 half-width characters, and only "
           "characters that can be stored.!");
        const auto kiki = [](const char* name, int english, QStringList typed, const char* message,
                             const char* grid = "") {
            QTest::newRow(name) << "Frm_Kiki" << english << typed << message << grid;
        };
        kiki("both empty, english", 1, {"", ""}, "Unit S/N is a unselection. !");
        kiki("new name", 0, {"0081", "バス１号"}, "登録しました。",
             "1,0080,Truck 3; 2,0081,バス１号; 3,1234,Van");
        kiki("replaced name, english", 1, {"0080", "Truck 4"}, "It registered.",
             "1,0080,Truck 4; 2,1234,Van");
        kiki("number no log carries", 0, {"9'9", "Spare"}, "登録しました。",
             "1,0080,Truck 3; 2,1234,Van; 3,9'9,Spare");
        kiki("trailing blank, existing", 0, {"1234 ", "Van 2"}, "登録しました。",
             "1,0080,Truck 3; 2,1234,Van 2");
        kiki("name too long", 0, {"0081", "あいうえおかきくけこさ"},
             "名称は全角10文字（半角20文字）以内で、使える文字だけを入力して下さい。!");
    }
    void registration()
    {
        QFETCH(QString, window);
        QFETCH(int, english);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, grid);
        Admin a(english);
        ListEditWindow& w = a.open(window);
        const QString gridBefore = a.grid();
        QList<QLineEdit*> boxes;
        for (const char* name : {"Txt_Id", "Cmb_SN", "Txt_Name", "Txt_Pass", "Txt_PassK"})
            if (QLineEdit* b = box(w, name))
                boxes << b;
        for (int i = 0; i < boxes.size(); ++i)
            boxes[i]->setText(typed[i]);
        w.Cmd_Add->click();
        QCOMPARE(a.shown(), message);
        QCOMPARE(a.dialogs.messages[0].title, window == "Frm_ID"
                                                  ? (english ? "LOGIN ID" : "ログインID")
                                                  : (english ? "Equipment name" : "機器名称"));
        if (grid.isEmpty()) {
            QCOMPARE(a.grid(), gridBefore);
            QStringList kept;
            for (const QLineEdit* box : boxes)
                kept << box->text();
            QCOMPARE(kept, typed);
        } else {
            QCOMPARE(a.grid(), grid);
            for (const QLineEdit* box : boxes)
                QCOMPARE(box->text(), "");
            // One row per key; written now.
            const QString table = window == "Frm_ID" ? "Login" : "Kiki_Name";
            QCOMPARE(a.count(table), qint64(w.MSFG->rowCount()));
            QVERIFY(a.stored("SELECT Date FROM " + table).contains("2024-05-15 10:30:00"));
        }
    }

    void passwordChangeSignsInAtOnce()
    {
        Admin a;
        Frm_ID& w = a.id();
        QVERIFY(a.shownActive(w));
        const auto registerAs = [&](const QString& id, const QString& pass) {
            w.Txt_Id->setText(id);
            w.Txt_Pass->setText(pass);
            w.Txt_PassK->setText(pass);
            w.Cmd_Add->click();
        };
        registerAs("tanaka ", "first1"); // stored without the blank, signs in as shown
        QVERIFY(a.signsIn("tanaka", "first1"));
        registerAs("tanaka", "second2");
        QVERIFY(a.signsIn("tanaka", "second2"));
        QVERIFY(!a.signsIn("tanaka", "first1"));
        // Stored as a salted digest, never as typed.
        const QString pass = a.stored("SELECT Pass FROM Login WHERE ID = 'tanaka'");
        QVERIFY2(pass.startsWith("pbkdf2-sha256$") && !pass.contains("second2"), qPrintable(pass));

        // admin's password changes from its row; "admin " names the same row.
        clickRow(w.MSFG, 1);
        QCOMPARE(w.Txt_Id->text(), "admin");
        registerAs(w.Txt_Id->text(), "new846");
        QVERIFY(a.signsIn("admin", "new846"));
        QVERIFY(!a.signsIn("admin", "846"));
        registerAs("admin ", "blank846");
        QCOMPARE(a.stored("SELECT ID FROM Login WHERE RTRIM(ID) = 'admin'"), "admin;");
        QVERIFY(a.signsIn("admin", "blank846"));
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
                            bool yes, const char* messages, const char* keys) {
            QTest::newRow(name) << window << english << QString::fromUtf8(key) << yes
                                << QString::fromUtf8(messages) << QString::fromUtf8(keys);
        };
        const char* all = "Admin;admin;o'brien;suzuki;";
        row("ID empty", "Frm_ID", 0, "", true, "削除するログインIDを選択して下さい。!", all);
        row("admin", "Frm_ID", 0, "admin", true, "adminは、削除出来ません。!", all);
        row("Admin is another ID", "Frm_ID", 0, "Admin", true,
            "Adminを削除しても宜しいですか？?|削除しました。", "admin;o'brien;suzuki;");
        row("admin with a blank is asked, and kept", "Frm_ID", 0, "admin ", true,
            "admin を削除しても宜しいですか？?|adminは、削除出来ません。!", all);
        row("trailing blank does not count", "Frm_ID", 1, "suzuki  ", true,
            "Even if suzuki   is deleted, is it good??|It deleted it. ", "Admin;admin;o'brien;");
        row("quote", "Frm_ID", 0, "o'brien", true,
            "o'brienを削除しても宜しいですか？?|削除しました。", "Admin;admin;suzuki;");
        row("answered No", "Frm_ID", 0, "suzuki", false, "suzukiを削除しても宜しいですか？?", all);
        row("serial empty, english", "Frm_Kiki", 1, "", true, "Please select deleted unit S/N.!",
            "0080;1234;");
        row("serial, english", "Frm_Kiki", 1, "1234", true,
            "Even if 1234is deleted, is it good??|It deleted it. ", "0080;");
        row("serial with a blank", "Frm_Kiki", 0, "0080 ", true,
            "0080 を削除しても宜しいですか？?|削除しました。", "1234;");
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
        box(w, window == "Frm_ID" ? "Txt_Id" : "Cmb_SN")->setText(key);
        w.Cmd_Del->click();
        QCOMPARE(a.shown(), messages);
        QCOMPARE(a.stored(window == "Frm_Kiki" ? "SELECT Unit_SN FROM Kiki_Name ORDER BY Unit_SN"
                                               : "SELECT ID FROM Login ORDER BY ID"),
                 keys);
        // Deleting a name leaves the handset's logs.
        QCOMPARE(a.count("V_Unit_SN"), qint64(3));
    }

    void tableOperationNeverDeletesAdmin()
    {
        Admin a;
        list_edit::deleteRows(a.db, list_edit::loginIds(), "admin  ");
        list_edit::deleteRows(a.db, list_edit::loginIds(), "suzuki ");
        QCOMPARE(a.stored("SELECT ID FROM Login ORDER BY ID"), "Admin;admin;o'brien;");
    }

    void clickOnRows()
    {
        Admin a;
        Frm_ID& w = a.id();
        QVERIFY(a.shownActive(w));
        w.Txt_Pass->setText("typed");
        clickRow(w.MSFG, 3);
        QCOMPARE(a.fieldsText(), "suzuki,鈴木,,");
        QCOMPARE(w.MSFG->selectionModel()->selectedRows().value(0).row(), 3);
        w.Cmd_Add->click(); // the password must be typed again
        QCOMPARE(a.shown(), "パスワードが未入力です。!");
        w.Cmd_New->click();
        QCOMPARE(a.fieldsText(), ",,,");
        QVERIFY(w.MSFG->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.Txt_Id);

        Frm_Kiki& k = a.kiki();
        clickRow(k.MSFG, 1);
        QCOMPARE(k.Cmb_SN->currentText() + '/' + k.Txt_Name->text(), "1234/Van");
        QCOMPARE(k.Cmb_SN->currentIndex(), -1);

        // An empty table: only the heading row, and a click on it does nothing.
        a.db.execute("DELETE FROM Login");
        Frm_ID& empty = a.id();
        QVERIFY(a.shownActive(empty));
        QCOMPARE(empty.MSFG->rowCount(), 0);
        empty.Txt_Id->setText("kept");
        QHeaderView* header = empty.MSFG->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QTest::mouseClick(empty.MSFG->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(empty.Txt_Id->text(), "kept");
        QCOMPARE(a.dialogs.messages.size(), 1);
    }

    void enterChains()
    {
        Admin a;
        Frm_ID& w = a.id();
        QVERIFY(a.shownActive(w));
        const QList<QLineEdit*> chain{w.Txt_Id, w.Txt_Name, w.Txt_Pass, w.Txt_PassK};
        for (QLineEdit* box : chain)
            box->setText(box == w.Txt_Id ? "tanaka" : box == w.Txt_Name ? "田中" : "pass");
        w.Txt_Id->setFocus();
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(chain[i - 1], Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), chain[i]);
            QCOMPARE(chain[i]->selectedText(), chain[i]->text());
        }
        QTest::keyClick(w.Txt_PassK, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.Cmd_Add);
        QCOMPARE(a.dialogs.messages.size(), 0); // not registered by the Enter key alone
        QTest::keyClick(w.Cmd_Add, Qt::Key_Return);
        QCOMPARE(a.shown(), "登録しました。");
    }

    void serialNumberList()
    {
        Admin a;
        Frm_Kiki& k = a.kiki();
        QVERIFY(a.shownActive(k));
        QStringList listed;
        for (int i = 0; i < k.Cmb_SN->count(); ++i)
            listed << k.Cmb_SN->itemText(i);
        QCOMPARE(listed, QStringList({"0080", "0081", "1234"}));
        QCOMPARE(k.Cmb_SN->currentText(), "");

        // Choosing a number with a name shows it, selected for typing over; choosing one
        // without a name keeps what the box holds.
        k.Txt_Name->setText("from before");
        QTest::keyClick(k.Cmb_SN, Qt::Key_Down);
        QCOMPARE(k.Cmb_SN->currentText(), "0080");
        QCOMPARE(QApplication::focusWidget(), k.Txt_Name);
        QCOMPARE(k.Txt_Name->selectedText(), "Truck 3");
        k.Cmb_SN->setFocus();
        QTest::keyClick(k.Cmb_SN, Qt::Key_Down);
        QCOMPARE(k.Cmb_SN->currentText(), "0081");
        QCOMPARE(QApplication::focusWidget(), k.Txt_Name);
        QCOMPARE(k.Txt_Name->selectedText(), "Truck 3");

        // Typing a listed number and leaving the box chooses nothing.
        k.Cmb_SN->setFocus();
        k.Cmb_SN->lineEdit()->selectAll();
        QTest::keyClicks(k.Cmb_SN->lineEdit(), "1234");
        k.Txt_Name->setText("Typed name");
        k.Cmd_Add->setFocus();
        QCOMPARE(k.Txt_Name->text(), "Typed name");
        QCOMPARE(k.Cmb_SN->currentText(), "1234");
        k.Cmd_Add->click();
        QCOMPARE(a.stored("SELECT Name FROM Kiki_Name WHERE Unit_SN = '1234'"), "Typed name;");

        // The list is read at load only; a deleted name's unit is listed at the next opening.
        a.db.execute("INSERT INTO Log_Data (Unit_SN) VALUES ('5555')");
        k.Cmb_SN->setEditText("0080");
        k.Cmd_Del->click();
        QCOMPARE(k.Cmb_SN->count(), 3);
        Frm_Kiki& again = a.kiki();
        QCOMPARE(again.Cmb_SN->count(), 4);
        QCOMPARE(again.Cmb_SN->findText("0080"), 0);
        QVERIFY(!a.grid().contains("0080"));
    }

    void limitsAsTyped_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char* name, const char* window, const char* box,
                            const QString& typed, const QString& kept) {
            QTest::newRow(name) << window << box << typed << kept;
        };
        row("ID", "Frm_ID", "Txt_Id", "abcdefghijk", "abcdefghij");
        row("password", "Frm_ID", "Txt_Pass", "12345678901", "1234567890");
        row("serial", "Frm_Kiki", "Cmb_SN", "12345678901", "1234567890");
        row("full-width name", "Frm_ID", "Txt_Name", "あいうえおかきくけこさ",
            "あいうえおかきくけこ");
        row("half-width katakana", "Frm_ID", "Txt_Name", "あいうえおかきくけｱｲｳ",
            "あいうえおかきくけｱｲ");
        row("full-width after 19 bytes", "Frm_Kiki", "Txt_Name", QString(19, 'h') + "あa",
            QString(19, 'h') + "a");
        row("no Shift_JIS form", "Frm_ID", "Txt_Name", "a☃b€c", "abc");
    }
    void limitsAsTyped()
    {
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Admin a;
        ListEditWindow& w = a.open(window);
        QLineEdit* edit = ::box(w, box);
        type(edit, typed);
        QCOMPARE(edit->text(), kept);
    }

    void nameLoadedTooLongCanBeShortened()
    {
        Admin a;
        a.db.execute("UPDATE Login SET Name = 'abcdefghijklmnopqrstuvwxyz' WHERE ID = 'suzuki'");
        Frm_ID& w = a.id();
        w.MSFG_Click(3);
        QCOMPARE(w.Txt_Name->text().size(), 26);
        w.Txt_Name->end(false);
        QTest::keyClick(w.Txt_Name, Qt::Key_Backspace);
        QCOMPARE(w.Txt_Name->text().size(), 25);
        type(w.Txt_Name, "z"); // but not lengthened
        QCOMPARE(w.Txt_Name->text().size(), 25);
        w.Txt_Pass->setText("pw");
        w.Txt_PassK->setText("pw");
        w.Cmd_Add->click();
        QVERIFY(a.shown().startsWith("名前は全角10文字"));
    }
};

QTEST_MAIN(TstListEditWindows)
#include "tst_list_edit_windows.moc"

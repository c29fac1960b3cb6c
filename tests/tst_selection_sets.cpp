// The content and unit selection-set windows through their real controls on a private X server,
// so that the focus really moves: items clicked, names typed or picked from the drop-down list,
// scripted answers, the tables read back, and the main window's lists and search afterwards.
#include "grid/log_grid_model.h"
#include "grid/log_grid_view.h"
#include "main/frm_main.h"
#include "sets/frm_selection_set.h"
#include "support/failing_trigger.h"
#include "support/handset_sim.h"
#include "support/test_db.h"
#include "support/xvfb.h"

#include <QTest>
#include <QtWidgets>
#include <memory>

namespace {

// A loaded main window on a database with logs of four units (one named) and a set "Five" of
// each kind.
struct Sets : TestApp {
    explicit Sets(Switches sw = {}) : TestApp(sw)
    {
        db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                   "('0081', '2024-05-15 08:00:00', '1', 8), ('0080', '2024-05-15 08:00:00', "
                   "'2', 21), ('123456', '2024-05-15 08:00:00', '3', 8), ('0080', "
                   "'2024-05-15 09:00:00', '4', 1), ('0082', '2024-05-15 08:00:00', '5', 41), "
                   "('123456', '2024-05-15 09:00:00', '6', 21), ('0081', '2024-05-15 "
                   "09:00:00', '7', 1)");
        db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')");
        db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Five', 1), (2, 'Five', 2), "
                   "(3, 'Five', 3), (4, 'Five', 4), (5, 'Five', 5)");
        db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'Five', '0080'), "
                   "(2, 'Five', '0081'), (3, 'Five', '0082'), (4, 'Five', '123456'), "
                   "(5, 'Five', '9999')");
        main.Form_Load();
    }
    // The window of either kind, shown so that its items can be clicked.
    Frm_SelectionSet& open(bool units)
    {
        window = units
                     ? std::unique_ptr<Frm_SelectionSet>(std::make_unique<Frm_USentaku>(ctx, &main))
                     : std::make_unique<Frm_Sentaku>(ctx, &main);
        if (!showActive(window.get()))
            qFatal("the window is not active");
        return *window;
    }
    // "Name:member,member" of every set but the standard content set, members in No order.
    QString sets(bool units)
    {
        QMap<QString, QStringList> found;
        Recordset rs = db.openRecordset(units ? "SELECT * From UFukusu ORDER BY No"
                                              : "SELECT * From Fukusu ORDER BY No");
        for (; !rs.eof(); rs.moveNext())
            found[rs.text("Name")] << rs.text(units ? "Unit_SN" : "Log_No");
        QStringList out;
        for (auto i = found.cbegin(); i != found.cend(); ++i)
            if (units || i.key() != delivered_db::standardSetName(ctx.sw.english()))
                out << i.key() + ':' + i.value().join(',');
        return out.join(' ');
    }
    Frm_Main main{ctx};
    std::unique_ptr<Frm_SelectionSet> window;
};

// Clicks the item with this text, or the one standing for this member.
void click(QListWidget* list, const QString& textOrMember)
{
    auto found = list->findItems(textOrMember, Qt::MatchExactly);
    for (int i = 0; found.isEmpty() && i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toString() == textOrMember)
            found << list->item(i);
    QVERIFY2(!found.isEmpty(), qPrintable(textOrMember));
    list->scrollToItem(found[0]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found[0]).center());
}

// Clicks into the name box and types a name: keys for plain letters, an input-method commit
// otherwise.
void type(QComboBox* box, const QString& name)
{
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    QVERIFY(box->hasFocus());
    box->lineEdit()->clear();
    if (QString::fromLatin1(name.toLatin1()) == name) {
        QTest::keyClicks(box->lineEdit(), name);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(name);
        QCoreApplication::sendEvent(box->lineEdit(), &commit);
    }
    QCOMPARE(box->currentText(), name);
}

// Picks a name from the drop-down list with the mouse.
void pick(QComboBox* box, const QString& name)
{
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QModelIndex index = view->model()->index(box->findText(name), 0);
    QVERIFY2(index.isValid(), qPrintable(name));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// The name box, the members of the selected items and the names of the drop-down list.
QString snapshot(const Frm_SelectionSet& w)
{
    QStringList chosen, names = items(w.Cmb_Name);
    for (int i = 0; i < w.List_Nai->count(); ++i)
        if (w.List_Nai->item(i)->isSelected())
            chosen << w.List_Nai->item(i)->data(Qt::UserRole).toString();
    names.sort();
    return w.Cmb_Name->currentText() + " [" + chosen.join(',') + "] " + names.join(',');
}

QString done(bool units, bool english)
{
    return english ? "Selection|It registered.|0"
                   : QString("複数選択|登録しました%1|0").arg(units ? "。" : "｡");
}

} // namespace

class TstSelectionSets : public QObject {
    Q_OBJECT

public:
    static void initMain() { useXvfb(); }

private slots:
    void steps_data()
    {
        QTest::addColumn<bool>("units");
        QTest::addColumn<bool>("english");
        // c: click an item (text or member), t: type a name, p: pick a name, y/n: the next
        // answer, x: run a statement, full: the next insert of member 2 fails, all: select
        // every item, tab/enter: that key on the focused control, =: note the window's state,
        // anything else: click that button.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("states"); // noted by "="
        QTest::addColumn<QString>("sets");   // afterwards; "" when unchanged, " " when none
        const QString ja = "複数選択|", en = "Selection|", q = "|0+YesNo";
        const auto row = [](const char* tag, bool units, bool english, const QString& steps,
                            const QStringList& boxes, const QString& states = {},
                            const QString& sets = {}) {
            QTest::newRow(tag) << units << english << steps << boxes << states << sets;
        };
        // Members are numbered in list order whatever the click order; a second click deselects.
        // Picking a name clears every selection, then selects the members still listed.
        row("contents", 0, 0,
            "c:測定終了|c:電源オフ|c:電源オン|c:電源オフ|c:アルコール測定|t:Night|Cmd_Add|=|all|"
            "p:Night|=|x:DELETE FROM Log_Master WHERE Log_No = 1|p:Night|=",
            {done(0, 0)},
            " [] Five,Night,標準セット / Night [1,8,41] Five,Night,標準セット / "
            "Night [8,41] Five,Night,標準セット",
            "Five:1,2,3,4,5 Night:1,8,41");
        row("contents, english", 0, 1,
            "c:Measurement end|c:Power on|c:Alcohol measurement|t:Night|Cmd_Add", {done(0, 1)}, {},
            "Five:1,2,3,4,5 Night:1,8,41");
        row("units: the whole serial number", 1, 0,
            "c:123456 ( )|c:0080 (Truck 3 )|t:Night|Cmd_Add|p:Night|=|"
            "x:DELETE FROM Log_Data WHERE Unit_SN = '0080'|p:Night|=",
            {done(1, 0)}, "Night [0080,123456] Five,Night / Night [123456] Five,Night",
            "Five:0080,0081,0082,123456,9999 Night:0080,123456");
        row("units, english", 1, 1, "c:0082|c:0080|c:0081|c:0082|t:Night|Cmd_Add", {done(1, 1)}, {},
            "Five:0080,0081,0082,123456,9999 Night:0080,0081");
        // A typed name selects nothing, also when the focus leaves the box (to the list, by Tab or
        // Enter, or to 登録); the overwrite leaves exactly the new members.
        row("typed name of a set, then 登録", 0, 0,
            "c:1|c:2|t:T1|Cmd_Add|Cmd_New|c:8|c:41|t:T1|y|Cmd_Add",
            {done(0, 0), ja + "T1を上書きしても宜しいですか？" + q, done(0, 0)}, {},
            "Five:1,2,3,4,5 T1:8,41");
        row("typed name of a unit set, then 登録", 1, 0,
            "c:0080|c:0081|t:T1|Cmd_Add|Cmd_New|c:0082|c:123456|t:T1|y|Cmd_Add",
            {done(1, 0), ja + "T1を上書きしても宜しいですか？" + q, done(1, 0)}, {},
            "Five:0080,0081,0082,123456,9999 T1:0082,123456");
        row("typed name left by Tab and by Enter", 0, 0, "c:4|t:Five|tab|=|t:Five|enter|=", {},
            "Five [4] Five,標準セット / Five [4] Five,標準セット");
        row("overwrite", 0, 0, "t:Five|=|c:4|c:2|y|Cmd_Add",
            {ja + "Fiveを上書きしても宜しいですか？" + q, done(0, 0)}, "Five [] Five,標準セット",
            "Five:2,4");
        row("overwrite units", 1, 1, "t:Five|c:0082|c:0080|y|Cmd_Add",
            {en + "Even if Five is overwrited, is it good?" + q, done(1, 1)}, {}, "Five:0080,0082");
        row("overwrite answered no", 0, 0,
            "t:Five|c:4|n|Cmd_Add|=", {ja + "Fiveを上書きしても宜しいですか？" + q},
            "Five [4] Five,標準セット");
        // With nothing selected the old set stays whole, whatever the answer.
        row("overwrite, nothing selected", 0, 0, "t:Five|y|Cmd_Add",
            {ja + "Fiveを上書きしても宜しいですか？" + q, ja + "内容が選択されてません。|0"});
        row("overwrite no, nothing selected", 1, 0, "t:Five|n|Cmd_Add",
            {ja + "Fiveを上書きしても宜しいですか？" + q, ja + "ユニットが選択されてません。|0"});
        row("overwrite fails midway", 0, 0, "full|p:Five|c:1|y|Cmd_Add|=",
            {ja + "Fiveを上書きしても宜しいですか？" + q,
             ja + "複数選択の読み書きに失敗しました。\ndisk full|2"},
            "Five [2,3,4,5] Five,標準セット");
        row("standard set", 0, 0, "c:41|t:標準セット|Cmd_Add",
            {ja + "標準セットは、変更できません。|0"});
        row("standard set, english", 0, 1, "c:41|t:Standard set|Cmd_Add",
            {en + "A standard set is not revokable.|0"});
        row("the other language's standard", 0, 0, "c:41|t:Standard set|Cmd_Add", {done(0, 0)}, {},
            "Five:1,2,3,4,5 Standard set:41");
        row("lower-case standard", 0, 1, "c:41|t:standard set|Cmd_Add", {done(0, 1)}, {},
            "Five:1,2,3,4,5 standard set:41");
        row("no standard unit set", 1, 0, "c:0081|t:標準セット|Cmd_Add", {done(1, 0)}, {},
            "Five:0080,0081,0082,123456,9999 標準セット:0081");
        row("no name", 0, 0, "c:41|Cmd_Add", {ja + "複数名が入力､選択されてません｡|0"});
        row("no unit set name", 1, 0, "c:0081|Cmd_Add",
            {ja + "複数名が入力、選択されてません。|0"});
        row("no unit set name, english", 1, 1, "c:0081|Cmd_Add",
            {en + "The name is input, and not selected.|0"});
        row("51 characters", 0, 0, "c:41|t:" + QString(51, u'長') + "|Cmd_Add",
            {ja + "複数名は50文字以内で入力してください。|2"});
        row("50 characters", 1, 1, "c:0081|t:" + QString(50, 'n') + "|Cmd_Add", {done(1, 1)}, {},
            "Five:0080,0081,0082,123456,9999 " + QString(50, 'n') + ":0081");
        row("quotes", 0, 1, "c:41|t:O'Hara' OR ''='|Cmd_Add", {done(0, 1)}, {},
            "Five:1,2,3,4,5 O'Hara' OR ''=':41");
        // Deleting: the standard set is refused; any other name, even an empty one, is asked.
        row("delete standard", 0, 0, "t:標準セット|Cmd_Del",
            {ja + "標準セットは、削除できません。|0"});
        row("delete standard, english", 0, 1, "t:Standard set|Cmd_Del",
            {en + "A standard set cannot be deleted.|0"});
        row("delete, empty name", 0, 0, "y|Cmd_Del|=", {ja + "を削除しても宜しいですか？" + q},
            " [] Five,標準セット");
        row("delete answered no", 1, 1,
            "p:Five|n|Cmd_Del|=", {en + "Even if Five is deleted, is it good?" + q},
            "Five [0080,0081,0082,123456] Five");
        row("delete", 1, 0, "p:Five|y|Cmd_Del|=", {ja + "Fiveを削除しても宜しいですか？" + q},
            " [] ", " ");
        row("delete contents, english", 0, 1,
            "t:Five|y|Cmd_Del|=", {en + "Even if Five is deleted, is it good?" + q},
            " [] Standard set", " ");
    }
    void steps()
    {
        QFETCH(bool, units);
        QFETCH(bool, english);
        QFETCH(QString, steps);
        QFETCH(QStringList, boxes);
        QFETCH(QString, states);
        QFETCH(QString, sets);
        Sets s({.Eng_Flg = english});
        const QString before = s.sets(units);
        Frm_SelectionSet& w = s.open(units);
        QStringList noted;
        for (const QString& step : steps.split('|')) {
            const QString arg = step.mid(2);
            if (step.startsWith("c:"))
                click(w.List_Nai, arg);
            else if (step.startsWith("t:"))
                type(w.Cmb_Name, arg);
            else if (step.startsWith("p:"))
                pick(w.Cmb_Name, arg);
            else if (step.startsWith("x:"))
                s.db.execute(arg);
            else if (step == "full")
                addFailingTrigger(s.db, "Full", "Fukusu", "INSERT", "NEW.No = 2", "disk full");
            else if (step == "y" || step == "n")
                s.dialogs.answers << (step == "y" ? MsgAnswer::Yes : MsgAnswer::No);
            else if (step == "all")
                w.List_Nai->selectAll();
            else if (step == "tab" || step == "enter")
                QTest::keyClick(QApplication::focusWidget(),
                                step == "tab" ? Qt::Key_Tab : Qt::Key_Return);
            else if (step == "=")
                noted << snapshot(w);
            else
                QTest::mouseClick(w.findChild<QPushButton*>(step), Qt::LeftButton);
        }
        QCOMPARE(shown(s.dialogs), boxes);
        QCOMPARE(noted.join(" / "), states);
        QCOMPARE(s.sets(units), sets.isEmpty() ? before : sets.trimmed());
        QCOMPARE(s.count(QString(units ? "UFukusu" : "Fukusu") +
                         " WHERE Name <> 'Five' AND Date <> '2024-05-15 10:30:00'"),
                 units ? 0 : 4); // new rows carry the time; the standard set is never touched
        QVERIFY(!QApplication::overrideCursor());
    }

    void captions_data()
    {
        QTest::addColumn<bool>("units");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("texts"); // window, labels and buttons; tooltips; first item
        const QString tips = "クリックすると選択、選択されているのをクリックすると解除されます。|"
                             "10文字以内の文字を入力して下さい。|複数選択新規|複数選択登録・変更|"
                             "複数選択削除|メイン画面に戻ります。";
        const auto row = [](const char* name, bool units, bool english, const QString& texts) {
            QTest::newRow(name) << units << english << texts;
        };
        row("contents", 0, 0,
            "内容複数選択|内容　複数選択|内　容|複数名|新規|登録|削除|戻る; " + tips +
                "; 電源オン");
        row("contents, english", 0, 1,
            "Content Selection|Content Selection|Content|Name|New|ADD|DEL|CLOSE; |||||; Power on");
        row("units", 1, 0,
            "ユニット複数選択|ユニット　複数選択|ユニット|複数名|新規|登録|削除|戻る; " + tips +
                "; 0080 (Truck 3 )");
        row("units, english", 1, 1,
            "UNIT Selection|UNIT Selection|Unit|Name|New|ADD|DEL|CLOSE; |||||; 0080 (Truck 3 )");
    }
    void captions()
    {
        QFETCH(bool, units);
        QFETCH(bool, english);
        QFETCH(QString, texts);
        Sets s({.Eng_Flg = english});
        s.db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only')");
        Frm_SelectionSet& w = s.open(units);
        QStringList captions{w.windowTitle()}, tips;
        for (const char* name :
             {"Label1", "Label3", "Label2", "Cmd_New", "Cmd_Add", "Cmd_Del", "Cmd_Modoru"})
            captions << w.findChild<QWidget*>(name)->property("text").toString();
        for (const char* name :
             {"List_Nai", "Cmb_Name", "Cmd_New", "Cmd_Add", "Cmd_Del", "Cmd_Modoru"})
            tips << w.findChild<QWidget*>(name)->toolTip();
        QCOMPARE(captions.join('|') + "; " + tips.join('|') + "; " + w.List_Nai->item(0)->text(),
                 texts);
        // A content without a Japanese text is listed under its English one.
        QCOMPARE(w.List_Nai->item(w.List_Nai->count() - 1)->text(), units ? "123456 ( )" : "Only");
        // Only the unit window turns the input method off in English.
        QCOMPARE(w.Cmb_Name->lineEdit()->testAttribute(Qt::WA_InputMethodEnabled),
                 !(units && english));
        // Enter in the name box hands the focus to the register button without registering.
        QTest::keyClick(w.Cmb_Name->lineEdit(), Qt::Key_Return);
        QVERIFY(w.Cmd_Add->hasFocus());
        QVERIFY(s.dialogs.messages.isEmpty());
    }

    void closingRefreshesTheMainList_data()
    {
        QTest::addColumn<bool>("units");
        QTest::addColumn<QString>("way");
        QTest::newRow("contents, Cmd_Modoru") << false << "Cmd_Modoru";
        QTest::newRow("units, Cmd_Modoru") << true << "Cmd_Modoru";
        QTest::newRow("contents, close box") << false << "close box";
        QTest::newRow("units, Escape") << true << "Escape";
    }
    void closingRefreshesTheMainList()
    {
        QFETCH(bool, units);
        QFETCH(QString, way);
        Sets s;
        s.main.Opt_User[1]->click(); // enables the unit sets button
        QVERIFY(showActive(&s.main));
        QComboBox* list = units ? s.main.Cmb_User : s.main.Cmb_Naiyou;
        list->setCurrentIndex(1);
        QString opened;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<Frm_SelectionSet*>(QApplication::activeModalWidget());
            QVERIFY(w);
            opened = w->objectName();
            s.db.execute(units ? "DELETE FROM UFukusu" : "DELETE FROM Fukusu WHERE Name = 'Five'");
            if (way == "Cmd_Modoru")
                QTest::mouseClick(w->Cmd_Modoru, Qt::LeftButton);
            else if (way == "Escape")
                QTest::keyClick(w, Qt::Key_Escape);
            else
                w->close();
        });
        QTest::mouseClick(s.main.Cmd_Fuku[units], Qt::LeftButton);
        QCOMPARE(opened, units ? "Frm_USentaku" : "Frm_Sentaku");
        // Only its own close button refreshes the list, which then shows no choice.
        const bool refreshed = way == "Cmd_Modoru";
        QCOMPARE(items(list).contains("複数選択　　Five"), !refreshed);
        QCOMPARE(list->currentIndex(), refreshed ? -1 : 1);
    }

    void searchFindsTheSetsLogs_data()
    {
        QTest::addColumn<Switches>("sw");
        QTest::newRow("japanese") << Switches{};
        QTest::newRow("english") << Switches{.Eng_Flg = 1};
        QTest::newRow("english test build") << Switches{.Test_Flg = 1, .Eng_Flg = 1};
    }
    void searchFindsTheSetsLogs()
    {
        QFETCH(Switches, sw);
        Sets s(sw);
        const auto search = [&s] {
            QTest::mouseClick(s.main.Cmd_Find, Qt::LeftButton);
            QStringList found; // unit and data number of each row
            const LogGridModel& grid = *s.main.MSFG->gridModel();
            for (int r = 1; r < grid.Rows(); ++r)
                found << grid.TextMatrix(r, 0) + ' ' + grid.TextMatrix(r, 2);
            found.sort();
            return found.join(", ");
        };
        // The default criteria: today and the standard set of the build's language.
        QCOMPARE(s.main.Cmb_Naiyou->currentText(),
                 sw.english() ? "SELECT　　Standard set" : "複数選択　　標準セット");
        QCOMPARE(search(), "X00 0081 1, X00 123456 3");
        for (const bool units : {true, false}) {
            Frm_SelectionSet& w = s.open(units);
            for (const char* member : units ? std::array{"123456", "0081"} : std::array{"21", "8"})
                click(w.List_Nai, member);
            type(w.Cmb_Name, "Pick");
            QTest::mouseClick(w.Cmd_Add, Qt::LeftButton);
            QTest::mouseClick(w.Cmd_Modoru, Qt::LeftButton);
            // What the main window does when the window reports its close.
            units ? s.main.Unit_Read() : s.main.Master_Read();
        }
        const QString entry = QString(sw.english() ? "SELECT　　" : "複数選択　　") + "Pick";
        s.main.Opt_Ngh[0]->click();
        s.main.Opt_User[1]->click();
        s.main.Cmb_User->setCurrentIndex(s.main.Cmb_User->findText(entry));
        s.main.Cmb_Naiyou->setCurrentIndex(s.main.Cmb_Naiyou->findText(entry));
        QCOMPARE(search(), "X00 0081 1, X00 123456 3, X00 123456 6");
        QCOMPARE(s.dialogs.messages.size(), 2); // the two registrations
    }
};

QTEST_MAIN(TstSelectionSets)
#include "tst_selection_sets.moc"

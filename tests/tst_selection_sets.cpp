// The selection-set windows through their real controls on a private X server.
#include "base/texts/sets.h"
#include "main/frm_main.h"
#include "sets/frm_selection_set.h"
#include "support/failing_trigger.h"
#include "support/handset_sim.h" // shown()
#include "support/test_db.h"
#include "support/xvfb.h"

#include <QTest>
#include <QtWidgets>
#include <memory>

namespace {

// A main window on a database with logs of four units (one named), a content with an
// English text only, and a set "Five" of each kind.
struct Sets : TestApp {
    explicit Sets(Switches sw = {}) : TestApp(sw)
    {
        db.execute(
            "INSERT INTO Log_Data (Unit_SN) VALUES ('0081'), ('0080'), ('123456'), ('0082')");
        db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')");
        db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only')");
        db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Five', 1), (2, 'Five', 2), "
                   "(3, 'Five', 3), (4, 'Five', 4), (5, 'Five', 5)");
        db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'Five', '0080'), "
                   "(2, 'Five', '0081'), (3, 'Five', '0082'), (4, 'Five', '123456'), "
                   "(5, 'Five', '9999')");
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

// Clicks into the name box and types a name: keys for Latin-1, an input-method commit otherwise.
void type(QComboBox* box, const QString& name)
{
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    QVERIFY(box->hasFocus());
    box->lineEdit()->clear();
    QInputMethodEvent commit;
    commit.setCommitString(name);
    if (QString::fromLatin1(name.toLatin1()) == name)
        QTest::keyClicks(box->lineEdit(), name);
    else
        QCoreApplication::sendEvent(box->lineEdit(), &commit);
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

// The name box, the members of the selected items and the names of the drop-down list.
QString snapshot(const Frm_SelectionSet& w)
{
    QStringList chosen, names;
    for (int i = 0; i < w.Cmb_Name->count(); ++i)
        names << w.Cmb_Name->itemText(i);
    for (int i = 0; i < w.List_Nai->count(); ++i)
        if (w.List_Nai->item(i)->isSelected())
            chosen << w.List_Nai->item(i)->data(Qt::UserRole).toString();
    names.sort();
    return w.Cmb_Name->currentText() + " [" + chosen.join(',') + "] " + names.join(',');
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
        // c: click an item (text or member), t: type a name, p: pick a name, y/n: the next answer,
        // x: run a statement, full: inserting member 2 fails, all: select every item, tab/enter:
        // that key, =/?/i: note the window's state / the focused control / input method on or off;
        // anything else: click that button.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("boxes"); // "done": the window's registration message
        QTest::addColumn<QString>("states");    // noted by "=" and "i"
        QTest::addColumn<QString>("sets");      // afterwards; "" when unchanged, " " when none
        const QString ja = "複数選択|", en = "Selection|", q = "|0+YesNo";
        const QString askFive = ja + "Fiveを上書きしても宜しいですか？" + q;
        const auto row = [](const char* tag, bool units, bool english, const QString& steps,
                            const QStringList& boxes, const QString& states = {},
                            const QString& sets = {}) {
            QTest::newRow(tag) << units << english << steps << boxes << states << sets;
        };
        // Members are numbered in list order whatever the click order; a second click deselects;
        // a content without a Japanese text is listed under its English one. Picking a name
        // clears every selection, then selects the members still listed.
        row("contents", 0, 0,
            "i|c:測定終了|c:電源オフ|c:電源オン|c:電源オフ|c:アルコール測定|c:Only|t:Night|Cmd_Add|"
            "=|all|p:Night|=|x:DELETE FROM Log_Master WHERE Log_No = 1|p:Night|=",
            {"done"},
            "ime /  [] Five,Night,標準セット / Night [1,8,41,90] Five,Night,標準セット / "
            "Night [8,41,90] Five,Night,標準セット",
            "Five:1,2,3,4,5 Night:1,8,41,90");
        row("units: the whole serial number", 1, 0,
            "i|c:123456 ( )|c:0080 (Truck 3 )|t:Night|Cmd_Add|p:Night|=", {"done"},
            "ime / Night [0080,123456] Five,Night",
            "Five:0080,0081,0082,123456,9999 Night:0080,123456");
        // Only the unit window turns the input method off in English.
        row("units, english", 1, 1, "i|c:0082|c:0080|c:0081|c:0082|t:Night|Cmd_Add", {"done"},
            "no ime", "Five:0080,0081,0082,123456,9999 Night:0080,0081");
        // A typed name selects nothing, also when the focus leaves the box (to the list, by Tab or
        // Enter, or to 登録); the overwrite leaves exactly the new members.
        row("typed name of a set, then 登録", 0, 0,
            "c:1|c:2|t:T1|Cmd_Add|Cmd_New|c:8|c:41|t:T1|y|Cmd_Add",
            {"done", ja + "T1を上書きしても宜しいですか？" + q, "done"}, {},
            "Five:1,2,3,4,5 T1:8,41");
        row("typed name left by Tab and by Enter", 0, 0, "c:4|t:Five|tab|=|t:Five|enter|?|=", {},
            "Five [4] Five,標準セット / Cmd_Add / Five [4] Five,標準セット");
        row("overwrite answered no", 0, 0, "t:Five|c:4|n|Cmd_Add|=", {askFive},
            "Five [4] Five,標準セット");
        // With nothing selected the old set stays whole though the answer is yes.
        row("overwrite, nothing selected", 1, 0, "t:Five|y|Cmd_Add",
            {askFive, ja + "ユニットが選択されてません。|0"});
        row("overwrite fails midway", 0, 0, "full|p:Five|c:1|y|Cmd_Add|=",
            {askFive, ja + texts::sentaku::DbFailed.ja_().arg("disk full") + "|2"},
            "Five [2,3,4,5] Five,標準セット");
        row("standard set", 0, 0, "c:41|t:標準セット|Cmd_Add",
            {ja + "標準セットは、変更できません。|0"});
        row("standard set with a trailing blank", 0, 0, "c:41|t:標準セット |Cmd_Add",
            {ja + "標準セットは、変更できません。|0"});
        row("standard set, english", 0, 1, "c:41|t:Standard set|Cmd_Add",
            {en + "A standard set is not revokable.|0"});
        row("the other language's standard", 0, 0, "c:41|t:Standard set|Cmd_Add", {"done"}, {},
            "Five:1,2,3,4,5 Standard set:41");
        row("lower-case standard", 0, 1, "c:41|t:standard set|Cmd_Add", {"done"}, {},
            "Five:1,2,3,4,5 standard set:41");
        row("no standard unit set", 1, 0, "c:0081|t:標準セット|Cmd_Add", {"done"}, {},
            "Five:0080,0081,0082,123456,9999 標準セット:0081");
        row("no name", 0, 0, "c:41|Cmd_Add", {ja + "複数名が入力､選択されてません｡|0"});
        row("51 characters", 0, 0, "c:41|t:" + QString(51, u'長') + "|Cmd_Add",
            {ja + texts::sentaku::NameTooLong.ja_().arg(50) + "|2"});
        row("50 characters", 1, 1, "c:0081|t:" + QString(50, 'n') + "|Cmd_Add", {"done"}, {},
            "Five:0080,0081,0082,123456,9999 " + QString(50, 'n') + ":0081");
        row("quotes, english", 0, 1, "i|c:Alcohol measurement|t:O'Hara' OR ''='|Cmd_Add", {"done"},
            "ime", "Five:1,2,3,4,5 O'Hara' OR ''=':8");
        // Deleting: the standard set is refused; any other name, even an empty one, is asked.
        row("delete standard", 0, 0, "t:標準セット|Cmd_Del",
            {ja + "標準セットは、削除できません。|0"});
        row("delete, empty name", 0, 0, "y|Cmd_Del|=", {ja + "を削除しても宜しいですか？" + q},
            " [] Five,標準セット");
        row("delete answered no", 1, 1,
            "p:Five|n|Cmd_Del|=", {en + "Even if Five is deleted, is it good?" + q},
            "Five [0080,0081,0082,123456] Five");
        row("delete", 1, 0, "p:Five|y|Cmd_Del|=", {ja + "Fiveを削除しても宜しいですか？" + q},
            " [] ", " ");
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
        const auto window =
            units
                ? std::unique_ptr<Frm_SelectionSet>(std::make_unique<Frm_USentaku>(s.ctx, &s.main))
                : std::make_unique<Frm_Sentaku>(s.ctx, &s.main);
        Frm_SelectionSet& w = *window;
        QVERIFY(showActive(&w)); // so that its items can be clicked
        const QLineEdit* typedName = w.Cmb_Name->lineEdit();
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
            else if (step == "?")
                noted << QApplication::focusWidget()->objectName();
            else if (step == "i")
                noted << (typedName->testAttribute(Qt::WA_InputMethodEnabled) ? "ime" : "no ime");
            else
                QTest::mouseClick(w.findChild<QPushButton*>(step), Qt::LeftButton);
        }
        const QString done = english ? "Selection|It registered.|0"
                                     : QString("複数選択|登録しました%1|0").arg(units ? "。" : "｡");
        QCOMPARE(shown(s.dialogs), boxes.replaceInStrings(QRegularExpression("^done$"), done));
        QCOMPARE(noted.join(" / "), states);
        QCOMPARE(s.sets(units), sets.isEmpty() ? before : sets.trimmed());
        QCOMPARE(s.count(QString(units ? "UFukusu" : "Fukusu") +
                         " WHERE Name <> 'Five' AND Date <> '2024-05-15 10:30:00'"),
                 units ? 0 : 4); // new rows carry the time; the standard set is never touched
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TstSelectionSets)
#include "tst_selection_sets.moc"

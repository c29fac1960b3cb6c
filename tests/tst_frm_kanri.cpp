// The administration menu, the windows it opens, and Enter on their questions.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kanri.h"
#include "admin/frm_kiki.h"
#include "admin/frm_lmaster.h"
#include "base/texts/admin.h"
#include "base/texts/main.h"
#include "db/schema.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "sets/frm_selection_set.h"
#include "support/modal.h"
#include "support/test_db.h"
#include "ui/qt_dialogs.h"

#include <QTest>
#include <QtWidgets>
#include <functional>
#include <memory>

namespace {

struct Menu : TestApp {
    Menu()
    {
        db.execute("INSERT INTO Log_Data (Unit_SN) VALUES ('0080'), ('0081')");
        main.Form_Load();
    }
    Frm_Main main{ctx};
};

// Every row of every table, as text.
QString tables(Database& db)
{
    QString out;
    for (const QString& table : schema::tableNames())
        out += table + ':' + rowTexts(db, "SELECT * FROM " + table).join("|\n") + "|\n";
    return out;
}

// Fills and clicks a window's controls: "Name=text" fills that box, "Name" clicks it (a list:
// selects every item); %1 is the program folder.
void applySteps(QWidget* w, const QString& steps, const QString& folder)
{
    for (const QString& step : QString(steps).replace("%1", folder).split('|')) {
        QWidget* control = w->findChild<QWidget*>(step.section('=', 0, 0));
        QVERIFY2(control, qPrintable(step));
        if (auto* box = qobject_cast<QComboBox*>(control))
            box->setEditText(step.section('=', 1));
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(step.section('=', 1));
        else if (auto* list = qobject_cast<QListWidget*>(control))
            list->selectAll();
        else
            qobject_cast<QAbstractButton*>(control)->click();
    }
}

} // namespace

class TstFrmKanri : public QObject {
    Q_OBJECT

private slots:
    void opensWindowsAfresh_data()
    {
        QTest::addColumn<QString>("row"); // the button=the window and what its load read, twice
        for (const char* row :
             {"Cmd_Id=Frm_ID 1 | Frm_ID 2", "Cmd_Kiki=Frm_Kiki 2 | Frm_Kiki 3",
              "Cmd_LMaster=Frm_LMaster | Frm_LMaster", "Cmd_DB=Frm_DB path: | Frm_DB path:"})
            QTest::newRow(row) << QString(row);
    }
    void opensWindowsAfresh()
    {
        QFETCH(QString, row);
        Menu m;
        Frm_Kanri k(m.ctx, &m.main);
        k.show();
        QVERIFY(QTest::qWaitForWindowActive(&k));
        QStringList seen; // the focus order first
        for (QWidget* x = QApplication::focusWidget(); seen.size() < 6; x = x->nextInFocusChain())
            if (x->focusPolicy() & Qt::TabFocus)
                seen << x->objectName();
        QCOMPARE(seen.join(' '), "Cmd_Id Cmd_Modoru Cmd_Kiki Cmd_LMaster Cmd_DB Cmd_Rireki");
        seen.clear();
        for (int opening = 0; opening < 2; ++opening) {
            onNextModal([&](QWidget* w) {
                QString state;
                if (auto* id = qobject_cast<Frm_ID*>(w))
                    state = QString::number(id->MSFG->rowCount());
                if (auto* kiki = qobject_cast<Frm_Kiki*>(w))
                    state = QString::number(kiki->Cmb_SN->count());
                if (auto* db = qobject_cast<Frm_DB*>(w)) {
                    state = "path:" + db->Txt_FName->text();
                    db->Txt_FName->setText("typed"); // gone at the next opening
                }
                QVERIFY(qobject_cast<QDialog*>(w) && w->parentWidget() == &k);
                seen << (w->objectName() + ' ' + state).trimmed();
                m.db.execute(QString("INSERT INTO Login (ID) VALUES ('u%1')").arg(opening));
                m.db.execute(QString("INSERT INTO Log_Data (Unit_SN) VALUES ('9%1')").arg(opening));
                w->findChild<QPushButton*>("Cmd_Modoru")->click();
            });
            k.findChild<QPushButton*>(row.section('=', 0, 0))->click();
        }
        QCOMPARE(seen.join(" | "), row.section('=', 1));
        QVERIFY(k.isVisible()); // the menu stays beneath
    }

    void gridAfterEachWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("steps"); // in the window, as applySteps() takes them
        QTest::addColumn<bool>("frame");    // the menu closed by its frame, not by 戻る
        QTest::addColumn<QString>("shown"); // the grid's rows "unit name content", then the count
        QTest::newRow("handset name") << "Cmd_Kiki"
                                      << "Cmb_SN=0080|Txt_Name=Van|Cmd_Add" << false
                                      << "X00 0080 Van 開始 ; X00 0080 Van 終了 ; 2件";
        QTest::newRow("log master, menu closed by its frame")
            << "Cmd_LMaster"
            << "Txt_FName=%1/new.mst|Cmd_Henkou" << true
            << "X00 0080  Begin ; X00 0080  セットエラー ; 2件";
        QTest::newRow("save and delete") << "Cmd_DB"
                                         << "Opt_Del(1)|Txt_FName=%1/all.csv|Cmd_Hozon" << false
                                         << texts::search_status::NoneFound.ja_();
    }
    // A window of the menu that changed stored logs or their texts has the main window run its
    // last search again, with that search's criteria though the unit list was refilled, in the
    // order the grid was sorted.
    void gridAfterEachWindow()
    {
        QFETCH(QString, window);
        QFETCH(QString, steps);
        QFETCH(bool, frame);
        QFETCH(QString, shown);
        Menu m;
        m.db.execute("DELETE FROM Log_Data");
        m.db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '開始', 'a'), "
                     "(91, '終了', 'b')");
        m.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                     "('0080', '2024-05-01 08:00:00', '1', 91), ('0080', '2024-05-01 09:00:00', "
                     "'2', 90), ('0081', '2024-05-01 10:00:00', '3', 90)");
        QVERIFY(writeFile(m.dir.filePath("new.mst"), log_master_file::build({{90, "", "Begin"}})));
        Frm_Main& w = m.main;
        w.Unit_Read();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
        w.Opt_User[1]->click();
        w.Cmb_User->setCurrentIndex(w.Cmb_User->findText("0080 ( )"));
        w.Cmd_Find->click();
        w.Cmb_Sort[2]->click(); // data numbers descending
        onNextModal([&](QWidget* menu) {
            onNextModal(
                [&](QWidget* child) { applySteps(child, steps + "|Cmd_Modoru", m.dir.path()); });
            menu->findChild<QPushButton*>(window)->click();
            frame ? (void)menu->close() : menu->findChild<QPushButton*>("Cmd_Modoru")->click();
        });
        w.Cmd_kanri->click();
        QStringList rows;
        const LogGridModel& grid = *w.MSFG->gridModel();
        for (int r = 1; r < grid.Rows(); ++r)
            rows << grid.TextMatrix(r, 0) + ' ' + grid.TextMatrix(r, 1) + ' ' +
                        grid.TextMatrix(r, 5).trimmed();
        QCOMPARE((rows << w.LB_Count->text()).join(" ; "), shown);
        QCOMPARE(w.Cmb_User->currentIndex() == -1, !frame); // 戻る refilled the unit list
    }

    void enterAnswersTheDefault_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("steps"); // Name=text fills that box; Name clicks it (a list:
                                            // selects every item); %1 is the program folder
        QTest::addColumn<bool>("yes");      // what Enter answers
        const auto row = [](const char* tag, const char* window, const char* steps, bool yes) {
            QTest::newRow(tag) << window << steps << yes;
        };
        row("delete all logs", "Frm_DB", "Opt_Del(2)|Cmd_Hozon", false);
        row("save and delete", "Frm_DB", "Opt_Del(1)|Txt_FName=%1/all.csv|Cmd_Hozon", false);
        row("save only", "Frm_DB", "Txt_FName=%1/all.csv|Cmd_Hozon", true);
        row("delete a login ID", "Frm_ID", "Txt_Id=u1|Cmd_Del", false);
        row("delete a set", "Frm_Sentaku", "Cmb_Name=Five|Cmd_Del", false);
        row("overwrite a set", "Frm_USentaku", "List_Nai|Cmb_Name=Five|Cmd_Add", false);
        row("change the log master", "Frm_LMaster", "Txt_FName=%1/new.mst|Cmd_Henkou", false);
    }
    // Enter on a question that deletes or overwrites answers No, and every table stays as it
    // was; before saving only, Enter answers Yes and the file is written.
    void enterAnswersTheDefault()
    {
        QFETCH(QString, window);
        QFETCH(QString, steps);
        QFETCH(bool, yes);
        Menu m;
        m.db.execute("INSERT INTO Login (ID, Name) VALUES ('u1', 'One')");
        m.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Five', 5)");
        m.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'Five', '0081')");
        QVERIFY(writeFile(m.dir.filePath("new.mst"), log_master_file::build({{7, "a", "b"}})));
        const QString before = tables(m.db);
        const QHash<QString, std::function<std::unique_ptr<QDialog>()>> windows{
            {"Frm_DB", [&] { return std::make_unique<Frm_DB>(m.ctx); }},
            {"Frm_ID", [&] { return std::make_unique<Frm_ID>(m.ctx); }},
            {"Frm_Sentaku", [&] { return std::make_unique<Frm_Sentaku>(m.ctx); }},
            {"Frm_USentaku", [&] { return std::make_unique<Frm_USentaku>(m.ctx); }},
            {"Frm_LMaster", [&] { return std::make_unique<Frm_LMaster>(m.ctx, nullptr); }}};
        const std::unique_ptr<QDialog> w = windows[window]();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        m.dialogs.answers << ScriptedDialogs::Enter;
        applySteps(w.get(), steps, m.dir.path());
        // The question with its default, then only after Yes the end of the operation.
        QCOMPARE(m.dialogs.messages.size(), yes ? 2 : 1);
        QCOMPARE(m.dialogs.messages[0].buttons,
                 yes ? MsgButtons::YesNo : MsgButtons::YesNoDefaultNo);
        QCOMPARE(tables(m.db), before);
        QCOMPARE(QFile::exists(m.dir.filePath("all.csv")), yes);
    }
    // Only an ID with 管理者 opens the menu; the others (and a deleted ID) are told they may
    // not. admin always may, its box stays on.
    void administratorOnly_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("box");
        QTest::addColumn<bool>("opens");
        QTest::newRow("admin, box off") << "admin" << false << true;
        QTest::newRow("taro, box on") << "taro" << true << true;
        QTest::newRow("taro, box off") << "taro" << false << false;
        QTest::newRow("deleted since the sign-in") << "gone" << true << false;
    }
    void administratorOnly()
    {
        QFETCH(QString, id);
        QFETCH(bool, box);
        QFETCH(bool, opens);
        Menu m;
        Frm_ID ids(m.ctx);
        QVERIFY(!ids.Chk_Kanri->isChecked()); // a new ID starts without it
        ids.Txt_Id->setText(id);
        ids.Chk_Kanri->setChecked(box);
        QCOMPARE(ids.Chk_Kanri->isEnabled(), id != "admin");
        for (QLineEdit* pass : {ids.Txt_Pass, ids.Txt_PassK})
            pass->setText("secret");
        ids.Cmd_Add->click();
        if (id == "gone")
            m.db.execute("DELETE FROM Login WHERE ID = 'gone'");
        m.ctx.loginId = id;
        for (QObject* way : std::initializer_list<QObject*>{m.main.Cmd_kanri, m.main.M_Kanri}) {
            m.dialogs.clear();
            bool opened = false;
            if (opens) // a refusal opens nothing that would take this
                onNextModal([&](QWidget* w) {
                    opened = qobject_cast<Frm_Kanri*>(w);
                    w->close();
                });
            QVERIFY(
                QMetaObject::invokeMethod(way, qobject_cast<QAction*>(way) ? "trigger" : "click"));
            QCOMPARE(opened, opens);
            QCOMPARE(m.dialogs.shown(),
                     opens ? QStringList()
                           : QStringList{"管理: " + texts::login_id::NotAdministrator.ja_() +
                                         " (icon)"});
        }
    }
    // The real boxes: Enter answers as the scripted one does; Japanese builds show Qt's own
    // buttons and dialogs in Japanese.
    void realDialogs()
    {
        QVERIFY(useQtTranslation(true));
        QStringList seen; // the visible buttons of each modal window, before the key closes it
        const auto pressOnNext = [&seen](Qt::Key key) {
            QTimer::singleShot(0, [&seen, key] {
                QWidget* w = QApplication::activeModalWidget();
                QStringList list;
                for (const QPushButton* b : w->findChildren<QPushButton*>())
                    if (b->isVisible())
                        list << b->text();
                list.sort();
                seen << list.join('|');
                QTest::keyClick(w, key);
            });
        };
        QtDialogs real;
        for (const auto& [buttons, enter] :
             {std::pair{MsgButtons::YesNo, MsgAnswer::Yes},
              std::pair{MsgButtons::YesNoDefaultNo, MsgAnswer::No}}) {
            pressOnNext(Qt::Key_Return);
            QCOMPARE(real.message(nullptr, "?", "t", buttons, MsgIcon::Question), enter);
        }
        pressOnNext(Qt::Key_Escape);
        real.saveFileName(nullptr, {});
        QCoreApplication::removeTranslator(QCoreApplication::instance()->findChild<QTranslator*>());
        QCOMPARE(seen.join(" / "),
                 "いいえ(&N)|はい(&Y) / いいえ(&N)|はい(&Y) / キャンセル|保存(&S)");
    }
};

QTEST_MAIN(TstFrmKanri)
#include "tst_frm_kanri.moc"

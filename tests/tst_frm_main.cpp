// The main window and the version window through their real controls, on real database files.
#include "admin/frm_ver.h"
#include "base/texts/main.h"
#include "grid/log_grid_model.h"
#include "grid/log_grid_view.h"
#include "main/frm_main.h"
#include "support/test_db.h"

#include <QTest>
#include <QtWidgets>

namespace {

// A loaded main window on a delivered database, on `today`.
struct Session : TestApp {
    explicit Session(Switches sw = {}, QDate today = {2024, 5, 15}) : TestApp(sw)
    {
        now.setDate(today);
        w.Form_Load();
    }
    Frm_Main w{ctx};
};

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// "name|Japanese|English|Japanese tooltip|English tooltip", joined by "; ".
const char* const kCaptions =
    "Frame1|年月日|DATE; Opt_Ngh(0)|全て|ALL; Opt_Ngh(1)|日付指定|DATE; Label1|年|Y; Label2|月|M; "
    "Label3|日|D; Label4|年|Y; Label5|月|M; Label6|日|D; Label7|～|～; Frame3|ユニット|UNIT; "
    "Opt_User(0)|全て|ALL; Opt_User(1)|ユニット指定|UNIT; "
    "Cmd_Fuku(1)|複数選択指定|SELECT|ユニットの複数選択画面を表示します。|; Frame4|内容|CONTENTS; "
    "Opt_Naiyou(0)|全て|ALL; Opt_Naiyou(1)|内容指定|CONTENTS; "
    "Cmd_Fuku(0)|複数選択指定|SELECT|内容の複数選択画面を表示します。|; "
    "Cmd_Find|検索|SEARCH|ログを検索し表示します。|; Cmb_Sort(0)|ユニット|Unit; "
    "Cmb_Sort(1)|機器名称|Name; Cmb_Sort(2)|No|No; Cmb_Sort(3)|年月日|Date; Cmb_Sort(4)|時間|Time; "
    "Cmb_Sort(5)|内容|Contents; Cmd_Read|読　込|Read|ハンドセットのログを読込みます。|; "
    "Cmd_Save|保　存|Save|表示されているログを保存します。|; "
    "Cmd_Print|印刷|Print|表示されているログを印刷します。|; "
    "Cmd_Setei|通　信|Port Set|COMポートの番号を変更します。|; "
    "Cmd_kanri|管　理|Control|ログインIDの登録・変更・削除、機器名称の登録・変更・削除|; "
    "Cmd_End|終　了|End|システムを終了します。|; "
    "Cmd_Sousa|テスト|テスト|ログを保存・削除|ログを保存・削除; Txt_Yomi|読込み中|Reading; "
    "M_File|ファイル|File; M_Read|読　込|Read; M_Save|保　存|Save; M_Print|印　刷|Print; "
    "M_Stat|統　計|Statistics; "
    "M_Setei|通　信|Port Set; M_Kanri|管　理|Control; M_End|終了|End; M_Space||; "
    "M_Ver|バージョン|Version";

} // namespace

class TstFrmMain : public QObject {
    Q_OBJECT

private slots:
    void loadedWindow_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("day"); // of December 2030: ten days on, still 2030 or 2031
        QTest::newRow("japanese, 21st") << false << 21;
        QTest::newRow("english, 22nd") << true << 22;
    }
    void loadedWindow()
    {
        QFETCH(bool, english);
        QFETCH(int, day);
        Session s({.Eng_Flg = english}, {2030, 12, day});
        Frm_Main& w = s.w;
        QStringList actual{w.windowTitle()};
        QStringList expected{english ? "QUARVENIX SYSTEM" : "クアルヴェニクス　システム"};
        for (const QString& entry : QString::fromUtf8(kCaptions).split("; ")) {
            const QStringList f = entry.split('|');
            const auto found = w.findChildren<QObject*>(f[0]);
            const QObject* o = found.size() == 1 ? found[0] : nullptr;
            const char* caption = o && o->property("text").isValid() ? "text" : "title";
            // An action's tooltip defaults to its text, so widgets' tooltips only.
            const QString tip = o && o->isWidgetType() ? o->property("toolTip").toString() : "";
            actual << f[0] + '|' + (o ? o->property(caption).toString() : "not one") + '|' + tip;
            expected << f[0] + '|' + f[english ? 2 : 1] + '|' + f.value(english ? 4 : 3);
        }
        // The menus in order ("-" = separator); the grid's headings stay Japanese.
        QStringList menu, grid;
        for (const QAction* a : w.menuBar()->actions() + w.M_File->actions())
            menu << (a->menu() ? a->menu()->objectName() : a->objectName()) +
                        (a->isSeparator() ? "-" : "");
        const int twips[] = {1100, 2000, 1000, 2000, 2000, 5900, 0};
        for (int col = 0; col < 7; ++col) {
            grid << w.MSFG->gridModel()->TextMatrix(0, col);
            QCOMPARE(w.MSFG->columnWidth(col), LogGridView::twipsToPixels(twips[col], w.MSFG));
        }
        actual << menu.join(' ') << grid.join('|');
        expected
            << "M_File M_Space M_Ver M_Read M_Bar1- M_Save M_Bar2- M_Print M_Bar6- M_Stat M_Bar3- "
               "M_Setei M_Bar4- M_Kanri M_Bar5- M_End"
            << "ユニット|機器名称|No|年月日|時間|内容|";
        QCOMPARE(actual, expected);

        // After load, then after each option click: the checked option of each group, then the
        // enabling of the six date boxes, the unit box and sets button, the content box and button.
        const auto optionState = [&w] {
            QString state;
            for (const QRadioButton* b : {w.Opt_Ngh[1], w.Opt_User[1], w.Opt_Naiyou[1]})
                state += b->isChecked() ? '1' : '0';
            state += '/';
            for (const QWidget* box : std::initializer_list<const QWidget*>{
                     w.Cmb_Nen[0], w.Cmb_Tuki[0], w.Cmb_Hi[0], w.Cmb_Nen[1], w.Cmb_Tuki[1],
                     w.Cmb_Hi[1], w.Cmb_User, w.Cmd_Fuku[1], w.Cmb_Naiyou, w.Cmd_Fuku[0]})
                state += box->isEnabled() ? '1' : '0';
            return state;
        };
        QString states = optionState();
        for (const char* name :
             {"Opt_Ngh(0)", "Opt_Ngh(1)", "Opt_User(1)", "Opt_User(0)", "Opt_Naiyou(0)",
              "Opt_Naiyou(1)", "Opt_User(1)", "Opt_Naiyou(0)", "Opt_Ngh(0)", "Opt_User(0)"}) {
            w.findChild<QRadioButton*>(name)->click();
            states += ' ' + optionState();
        }
        QCOMPARE(states, "101/1111110011 001/0000000011 101/1111110011 111/1111111111 "
                         "101/1111110011 100/1111110000 101/1111110011 111/1111111111 "
                         "110/1111111100 010/0000001100 000/0000000000");

        // Years up to that of today + 10 days, plus 10; today in all six boxes.
        QStringList years, days;
        for (int n = 2006; n <= (day < 22 ? 2040 : 2041); ++n)
            years << QString::number(n);
        for (int n = 1; n <= 31; ++n)
            days << QString::number(n).rightJustified(2, '0');
        for (int i = 0; i < 2; ++i)
            QCOMPARE(items(w.Cmb_Nen[i]) + items(w.Cmb_Tuki[i]) + items(w.Cmb_Hi[i])
                         << w.Cmb_Nen[i]->currentText() + w.Cmb_Tuki[i]->currentText() +
                                w.Cmb_Hi[i]->currentText(),
                     years + days.mid(0, 12) + days << s.now.toString("yyyyMMdd"));

        // Sets first (in the database's order) with their prefix, then the log master.
        const QString prefix = english ? "SELECT　　" : "複数選択　　"; // two U+3000
        const QStringList ends =
            QString(english ? "Standard set|Power on|Power off|Data transfer|Only English|"
                            : "標準セット|電源オン|電源オフ|データ送信|Only English|日本語")
                .split('|');
        QCOMPARE(w.Cmb_Naiyou->currentText(), prefix + ends[0]);
        QCOMPARE(w.Cmb_User->currentIndex(), -1);
        for (const QString& sql :
             QString(
                 "INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Night', 1), (2, 'Night', 2);"
                 "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only "
                 "English'), (91, '日本語', NULL);"
                 "INSERT INTO Log_Data (Unit_SN) VALUES ('0081'), ('0080'), ('0080');"
                 "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3');"
                 "INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080'), "
                 "(2, 'East', '0081')")
                 .split(';'))
            s.db.execute(sql);
        w.Master_Read();
        w.Unit_Read();
        QStringList list = items(w.Cmb_Naiyou);
        QCOMPARE(list.size(), 2 + 21 + 2);
        std::sort(list.begin(), list.begin() + 2);
        QCOMPARE(list.mid(0, 4) + list.mid(22),
                 QStringList({prefix + "Night", prefix + ends[0]}) + ends.mid(1));
        QCOMPARE(items(w.Cmb_User), (QStringList{prefix + "East", "0080 (Truck 3 )", "0081 ( )"}));
        s.db.execute("DROP VIEW V_Unit_SN"); // a list that cannot be read stays empty, and is told
        w.Unit_Read();
        QCOMPARE(w.Cmb_User->count(), 0);
        QCOMPARE(s.dialogs.messages.size(), 1);
        QVERIFY(s.dialogs.lastText().startsWith(
            texts::main_window::ListReadError.in(s.ctx.sw).arg("no such table: V_Unit_SN")));
    }

    void windowsOpenedModally_data()
    {
        QTest::addColumn<Switches>("sw");
        QTest::addColumn<QString>("row"); // command|name and title (and texts shown)|list reloaded
        const QString ja =
            "M_Ver|Frm_Ver バージョン|クアルヴェニクス　システム|バージョン：　2.09%1|"
            "閉じる|https://www.quarvenix.example/|support@quarvenix.example|";
        const QString en = "M_Ver|Frm_Ver バージョン|QUARVENIX SYSTEM|Version : 2.08%1|CLOSE|";
        QTest::newRow("M_Ver") << Switches{} << ja.arg("");
        QTest::newRow("M_Ver, english") << Switches{.Eng_Flg = 1} << en.arg("");
        QTest::newRow("M_Ver, edition A") << Switches{.A_Flg = 1} << ja.arg("A");
        for (const char* row :
             {"Cmd_Fuku(0)|Frm_Sentaku 内容複数選択|Cmb_Naiyou",
              "Cmd_Fuku(1)|Frm_USentaku ユニット複数選択|Cmb_User",
              "Cmd_kanri|Frm_Kanri 管理|Cmb_User", "M_Kanri|Frm_Kanri 管理|Cmb_User",
              "Cmd_Setei|Frm_Com 通信設定|", "M_Setei|Frm_Com 通信設定|"})
            QTest::newRow(row) << Switches{} << QString::fromUtf8(row);
    }
    void windowsOpenedModally()
    {
        QFETCH(Switches, sw);
        QFETCH(QString, row);
        const QString command = row.section('|', 0, 0), reloaded = row.section('|', -1);
        Session s(sw);
        s.w.Opt_User[1]->click(); // enables the unit sets button
        s.w.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.w));
        s.w.move(3, 5); // coming back from another program leaves it where the operator put it
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&s.w);
        QCOMPARE(s.w.pos(), QPoint(3, 5));
        QString actual;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            actual = modal->objectName() + " " + modal->windowTitle() +
                     (qobject_cast<QDialog*>(modal) ? "" : " (no QDialog)");
            if (const auto* v = qobject_cast<Frm_Ver*>(modal)) // its texts shown
                for (const QWidget* x : std::initializer_list<const QWidget*>{
                         v->Label1, v->Label2, v->Cmd_Modoru, v->Label3, v->Label4})
                    actual += x->isVisible() ? '|' + x->property("text").toString() : "";
            // Sets made while the window is open show once it is closed.
            s.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'New', 1)");
            s.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'New', '0080')");
            if (auto* close = modal->findChild<QPushButton*>("Cmd_Modoru"))
                close->click();
            if (modal->isVisible()) { // never leave the test waiting on it
                modal->close();
                actual += " (not closed by Cmd_Modoru)";
            }
        });
        if (auto* action = s.w.findChild<QAction*>(command))
            action->trigger();
        else
            s.w.findChild<QPushButton*>(command)->click();
        QCOMPARE(actual, row.section('|', 1, -2));
        for (QComboBox* box : {s.w.Cmb_User, s.w.Cmb_Naiyou})
            QCOMPARE(items(box).contains("複数選択　　New"), box->objectName() == reloaded);
        s.w.activateWindow(); // back from one of the program's windows, it is placed again
        QVERIFY(QTest::qWaitForWindowActive(&s.w));
        QVERIFY(s.w.pos() != QPoint(3, 5));
    }

    // Each way out during a read is tried with the read's tests; here the frame's, after a resize.
    void shownWindowAndWayOut()
    {
        Session s;
        Frm_Main& w = s.w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(!w.Cmd_Sousa->isVisible() && !w.Cmd_Sousa->isEnabled() && !w.Txt_Yomi->isVisible());
        // Each heading button covers exactly its column's heading, also when resized and scrolled.
        QHeaderView* header = w.MSFG->horizontalHeader();
        const auto misplaced = [&] {
            QCoreApplication::processEvents();
            QList<int> out;
            for (int i = 0; i < 6; ++i) {
                const QRect column(header->mapTo(&w, QPoint(header->sectionViewportPosition(i), 0)),
                                   QSize(header->sectionSize(i), header->height()));
                if (QRect(w.Cmb_Sort[i]->mapTo(&w, QPoint()), w.Cmb_Sort[i]->size()) != column)
                    out << i;
            }
            return out;
        };
        QCOMPARE(misplaced(), QList<int>());
        // The window cannot shrink below what its controls need; when it widens, the last
        // column takes the width.
        w.resize(1, 1);
        const auto tooNarrow = [&] {
            QStringList out;
            for (const QWidget* c : w.centralWidget()->findChildren<QWidget*>())
                if (c->isVisible() && !w.MSFG->isAncestorOf(c) &&
                    (c->width() < c->minimumSizeHint().width() ||
                     (qobject_cast<const QComboBox*>(c) && c->width() < c->sizeHint().width())))
                    out << c->objectName();
            return out;
        };
        QTRY_COMPARE(tooNarrow(), QStringList());
        const int content = header->sectionSize(5);
        w.resize(w.width() + 600, w.height());
        QCoreApplication::processEvents();
        QVERIFY(header->sectionSize(5) > content);
        QCOMPARE(header->sectionViewportPosition(5) + header->sectionSize(5),
                 w.MSFG->viewport()->width());
        w.resize(w.minimumWidth(), w.height());
        QScrollBar* bar = w.MSFG->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QCOMPARE(misplaced(), QList<int>());
        header->resizeSection(1, header->sectionSize(1) + 37);
        QCOMPARE(misplaced(), QList<int>());

        // Activation centres the window on the usable desktop (Form_Center), title bar on it.
        const QRect screen = w.screen()->availableGeometry();
        w.resize(760, screen.height() + 300);
        w.Form_Activate();
        QCOMPARE(w.frameGeometry().top(), screen.top());
        QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);

        // The exit path runs once: the database closed, compacted, nothing lost.
        s.db.execute("CREATE TABLE Junk AS SELECT zeroblob(300000) AS b");
        s.db.execute("DROP TABLE Junk");
        const auto freePages = [&] {
            return s.db.openRecordset("PRAGMA freelist_count").field("freelist_count").toInt();
        };
        QVERIFY(freePages() > 0);
        QVERIFY(w.close());
        QVERIFY(!s.db.isOpen() && !QFileInfo::exists(s.dir.filePath("SaitekiDB.db")));
        w.Cmd_End->click(); // a later way out does not run the exit path again
        w.M_End->trigger();
        QCOMPARE(s.quitCalls, 1);
        QVERIFY(s.dialogs.messages.isEmpty());
        s.db.open(s.dbPath());
        QCOMPARE(freePages(), 0);
        QCOMPARE(s.count("Log_Master"), qint64(21));
    }
};

QTEST_MAIN(TstFrmMain)
#include "tst_frm_main.moc"

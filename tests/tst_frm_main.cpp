// The main window through its real controls, on real database files.
#include "main/frm_main.h"
#include "main/log_grid_model.h"
#include "main/log_grid_view.h"
#include "support/test_db.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

struct Session {
    explicit Session(bool english = false, const QDate& today = {})
        : app(Switches{.Eng_Flg = english ? 1 : 0})
    {
        if (today.isValid())
            app.now = QDateTime(today, QTime(12, 0));
        window = std::make_unique<Frm_Main>(app.ctx);
        window->Form_Load();
    }
    Frm_Main& w() { return *window; }
    TestApp app;
    std::unique_ptr<Frm_Main> window;
};

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// Every captioned control and menu entry, as "name|Japanese|English|Japanese tooltip|English
// tooltip" joined by "; ". English clears the tooltips except the hidden feed's.
const char* const kCaptions[] = {
    "Frame1|年月日|DATE; Opt_Ngh(0)|全て|ALL; Opt_Ngh(1)|日付指定|DATE",
    "Label1|年|Y; Label2|月|M; Label3|日|D; Label4|年|Y; Label5|月|M; Label6|日|D; Label7|～|～",
    "Frame3|ユニット|UNIT; Opt_User(0)|全て|ALL; Opt_User(1)|ユニット指定|UNIT",
    "Cmd_Fuku(1)|複数選択指定|SELECT|ユニットの複数選択画面を表示します。|",
    "Frame4|内容|CONTENTS; Opt_Naiyou(0)|全て|ALL; Opt_Naiyou(1)|内容指定|CONTENTS",
    "Cmd_Fuku(0)|複数選択指定|SELECT|内容の複数選択画面を表示します。|",
    "Cmd_Find|検索|SEARCH|ログを検索し表示します。|",
    "Cmb_Sort(0)|ユニット|Unit; Cmb_Sort(1)|機器名称|Name; Cmb_Sort(2)|No|No",
    "Cmb_Sort(3)|年月日|Date; Cmb_Sort(4)|時間|Time; Cmb_Sort(5)|内容|Contents",
    "Cmd_Read|読　込|Read|ハンドセットのログを読込みます。|",
    "Cmd_Save|保　存|Save|表示されているログを保存します。|",
    "Cmd_Print|印刷|Print|表示されているログを印刷します。|",
    "Cmd_Setei|通　信|Port Set|COMポートの番号を変更します。|",
    "Cmd_kanri|管　理|Control|ログインIDの登録・変更・削除、機器名称の登録・変更・削除|",
    "Cmd_End|終　了|End|システムを終了します。|",
    "Cmd_Sousa|テスト|テスト|ログを保存・削除|ログを保存・削除; Txt_Yomi|読込み中|Reading",
    "M_File|ファイル|File; M_Read|読　込|Read; M_Save|保　存|Save; M_Print|印　刷|Print",
    "M_Setei|通　信|Port Set; M_Kanri|管　理|Control; M_End|終了|End; M_Space||; "
    "M_Ver|バージョン|Version"};

// Which option of each group is on; the enabling of the six date boxes, the unit box and sets
// button, the content box and sets button.
QString optionState(const Frm_Main& w)
{
    QString state;
    for (const QRadioButton* b : {w.Opt_Ngh[1], w.Opt_User[1], w.Opt_Naiyou[1]})
        state += QLatin1Char(b->isChecked() ? '1' : '0');
    state += QLatin1Char('/');
    for (const QWidget* box : std::initializer_list<const QWidget*>{
             w.Cmb_Nen[0], w.Cmb_Tuki[0], w.Cmb_Hi[0], w.Cmb_Nen[1], w.Cmb_Tuki[1], w.Cmb_Hi[1],
             w.Cmb_User, w.Cmd_Fuku[1], w.Cmb_Naiyou, w.Cmd_Fuku[0]})
        state += QLatin1Char(box->isEnabled() ? '1' : '0');
    return state;
}

qint64 scalar(Database& db, const QString& sql)
{
    qint64 n = -1;
    db.forEachRow(sql, [&](const QSqlQuery& q) { n = q.value(0).toLongLong(); });
    return n;
}

} // namespace

class TstFrmMain : public QObject {
    Q_OBJECT

private slots:
    void captions_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("japanese") << false;
        QTest::newRow("english") << true;
    }
    void captions()
    {
        QFETCH(bool, english);
        Session s(english);
        Frm_Main& w = s.w();
        QStringList actual{w.windowTitle()};
        QStringList expected{english ? "QUARVENIX SYSTEM" : "クアルヴェニクス　システム"};
        // "name|caption|tooltip"; an action's tooltip defaults to its text, so widgets only.
        for (const char* group : kCaptions) {
            for (const QString& entry : QString::fromUtf8(group).split(QStringLiteral("; "))) {
                const QStringList f = entry.split(QLatin1Char('|'));
                const auto found = w.findChildren<QObject*>(f[0]);
                const QObject* o = found.size() == 1 ? found.first() : nullptr;
                const QVariant text = o ? o->property("text") : QVariant("not one");
                actual << f[0] + '|' + (text.isValid() ? text : o->property("title")).toString() +
                              '|' +
                              (o && o->isWidgetType() ? o->property("toolTip") : "").toString();
                expected << f[0] + '|' + f[english ? 2 : 1] + '|' + f.value(english ? 4 : 3);
            }
        }
        QCOMPARE(actual, expected);

        QStringList entries;
        for (const QAction* a : w.M_File->actions())
            entries << a->objectName() + (a->isSeparator() ? "-" : "");
        QCOMPARE(entries,
                 (QStringList{"M_Read", "M_Bar1-", "M_Save", "M_Bar2-", "M_Print", "M_Bar3-",
                              "M_Setei", "M_Bar4-", "M_Kanri", "M_Bar5-", "M_End"}));
        QVERIFY(w.menuBar()->actions() ==
                (QList<QAction*>{w.M_File->menuAction(), w.M_Space, w.M_Ver}));

        // Grid headings stay Japanese; column widths in twips at 15 twips per pixel.
        const LogGridModel* model = w.MSFG->gridModel();
        const QStringList japanese{"ユニット", "機器名称", "No", "年月日", "時間", "内容", ""};
        const int twips[] = {1100, 2000, 1000, 2000, 2000, 5900, 0};
        QStringList grid, expectedGrid;
        for (int col = 0; col < 7; ++col) {
            grid << QStringLiteral("%1|%2|%3")
                        .arg(model->TextMatrix(0, col),
                             model->headerData(col, Qt::Horizontal).toString())
                        .arg(w.MSFG->columnWidth(col));
            expectedGrid << QStringLiteral("%1|%1|%2")
                                .arg(japanese[col])
                                .arg(LogGridView::twipsToPixels(twips[col], w.MSFG));
        }
        QCOMPARE(model->Rows(), 1);
        QCOMPARE(grid, expectedGrid);

        // At its narrowest the window still shows the standard set's entry whole.
        w.show();
        w.resize(w.minimumSize());
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QLineEdit* edit = w.Cmb_Naiyou->lineEdit();
        QVERIFY(edit->fontMetrics().horizontalAdvance(edit->text()) + 4 <= edit->width());
    }

    void listThatCannotBeReadIsReported()
    {
        Session s;
        s.app.db.execute(QStringLiteral("DROP VIEW V_Unit_SN"));
        s.w().Unit_Read();
        QCOMPARE(s.w().Cmb_User->count(), 0);
        QCOMPARE(s.app.dialogs.messages.size(), 1);
        QVERIFY(
            s.app.dialogs.lastText().startsWith(QStringLiteral("一覧の読み込みに失敗しました。")));
    }
    void lists_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("day"); // of December 2030
        QTest::newRow("japanese, 20th") << false << 20;
        QTest::newRow("english, 21st") << true << 21;
        QTest::newRow("japanese, 22nd") << false << 22;
        QTest::newRow("english, 25th") << true << 25;
    }
    void lists()
    {
        QFETCH(bool, english);
        QFETCH(int, day);
        const QDate today(2030, 12, day);
        Session s(english, today);
        Frm_Main& w = s.w();
        // Years up to that of today + 10 days, plus 10; today in all six boxes.
        const auto numbers = [](int from, int to, int width) {
            QStringList list;
            for (int n = from; n <= to; ++n)
                list << QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
            return list;
        };
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(items(w.Cmb_Nen[i]), numbers(2006, day < 22 ? 2040 : 2041, 4));
            QCOMPARE(items(w.Cmb_Tuki[i]), numbers(1, 12, 2));
            QCOMPARE(items(w.Cmb_Hi[i]), numbers(1, 31, 2));
            QCOMPARE(w.Cmb_Nen[i]->currentText() + w.Cmb_Tuki[i]->currentText() +
                         w.Cmb_Hi[i]->currentText(),
                     today.toString("yyyyMMdd"));
        }

        const QString prefix = english ? "SELECT　　" : "複数選択　　";
        QVERIFY(prefix.endsWith(QString(2, QChar(0x3000)))); // two ideographic spaces
        QStringList first{prefix + (english ? "Standard set" : "標準セット"), prefix + "Night"};
        first << (english ? QStringList{"Power on", "Power off"}
                          : QStringList{"電源オン", "電源オフ"});
        const QStringList last{english ? "Data transfer" : "データ送信", "Only English",
                               english ? "" : "日本語"};
        QCOMPARE(w.Cmb_Naiyou->currentText(), first[0]); // the standard set after loading
        QCOMPARE(w.Cmb_User->currentText(), QString());
        for (const char* sql :
             {"INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'Night', 1), (2, 'Night', 2)",
              // A log number with only an English text, one with only a Japanese one.
              "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only English'), "
              "(91, '日本語', NULL)",
              "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES ('0081', "
              "'2024-05-01 10:00:00', '1', 1), ('0080', '2024-05-01 10:00:00', '1', 1), "
              "('0080', '2024-05-02 10:00:00', '2', 1)",
              "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')",
              "INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080'), (2, 'East', "
              "'0081')"})
            s.app.db.execute(sql);
        w.Master_Read();
        w.Unit_Read();
        QStringList list = items(w.Cmb_Naiyou);
        QCOMPARE(list.size(), 2 + 21 + 2);
        // The sets come first, in the order the database gives their names.
        std::sort(list.begin(), list.begin() + 2);
        std::sort(first.begin(), first.begin() + 2);
        QCOMPARE(list.mid(0, 4), first);
        QCOMPARE(list.mid(list.size() - 3), last);
        QCOMPARE(items(w.Cmb_User), (QStringList{prefix + "East", "0080 (Truck 3 )", "0081 ( )"}));
        QCOMPARE(w.Cmb_User->currentIndex(), -1);
    }

    void optionButtons()
    {
        // After each click: see optionState().
        const QStringList steps{"load 101/1111110011",          "Opt_Ngh(0) 001/0000000011",
                                "Opt_Ngh(1) 101/1111110011",    "Opt_User(1) 111/1111111111",
                                "Opt_User(0) 101/1111110011",   "Opt_Naiyou(0) 100/1111110000",
                                "Opt_Naiyou(1) 101/1111110011", "Opt_User(1) 111/1111111111",
                                "Opt_Naiyou(0) 110/1111111100", "Opt_Ngh(0) 010/0000001100",
                                "Opt_User(0) 000/0000000000"};
        Session s;
        QStringList actual;
        for (const QString& step : steps) {
            const QString name = step.section(QLatin1Char(' '), 0, 0);
            if (name != "load")
                s.w().findChild<QRadioButton*>(name)->click();
            actual << name + ' ' + optionState(s.w());
        }
        QCOMPARE(actual, steps);
    }

    void shownWindow()
    {
        Session s;
        Frm_Main& w = s.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Hidden at design: the test feed always, the indicator until a read receives.
        QVERIFY(!w.Cmd_Sousa->isVisible() && !w.Txt_Yomi->isVisible());
        QVERIFY(w.Cmd_Find->isVisible() && w.MSFG->isVisible());

        // Each heading button covers exactly its column's heading, shown no further left.
        QHeaderView* header = w.MSFG->horizontalHeader();
        const auto check = [&](const char* when) {
            QCoreApplication::processEvents();
            const QPoint origin = header->mapToGlobal(QPoint(0, 0));
            for (int i = 0; i < 6; ++i) {
                const QPushButton* b = w.Cmb_Sort[i];
                const QRect column(origin.x() + header->sectionViewportPosition(i), origin.y(),
                                   header->sectionSize(i), header->height());
                QVERIFY2(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()) == column,
                         qPrintable(QStringLiteral("%1, button %2").arg(when).arg(i)));
                // Clipped at the grid's edges only: a column wholly in view shows its whole button.
                const QRect shown = b->visibleRegion().boundingRect();
                QVERIFY(shown.isEmpty() || b->mapToGlobal(shown.topLeft()).x() >= origin.x());
                const int left = header->sectionViewportPosition(i);
                if (left >= 0 && left + header->sectionSize(i) <= header->width())
                    QVERIFY2(shown == b->rect(),
                             qPrintable(QStringLiteral("%1, button %2 clipped").arg(when).arg(i)));
            }
        };
        check("shown");
        w.resize(w.width() + 180, w.height() + 40);
        check("wider");
        w.resize(w.minimumWidth(), w.height());
        check("narrow");
        QScrollBar* bar = w.MSFG->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        check("scrolled right");
        header->resizeSection(1, header->sectionSize(1) + 37);
        check("column widened");
        bar->setValue(0);
        w.resize(w.width() + 400, w.height());
        check("wide again");

        // Activation centres the window (at the top on a 1024-wide screen).
        w.resize(760, 500);
        w.move(3, 5);
        w.Form_Activate();
        const QRect screen = w.screen()->geometry(), frame = w.frameGeometry();
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
        QVERIFY(screen.width() == 1024 ? frame.top() == screen.top()
                                       : qAbs(frame.center().y() - screen.center().y()) <= 1);
        // A window taller than the screen keeps its title bar on the screen.
        w.resize(760, screen.height() + 300);
        w.Form_Activate();
        QCOMPARE(w.frameGeometry().top(), screen.top());
        // Coming back from another program leaves the window where the operator put it.
        w.move(3, 5);
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&w);
        QCOMPARE(w.pos(), QPoint(3, 5));
    }

    void windowsOpenedModally_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("opened");    // object name and title
        QTest::addColumn<QString>("refreshed"); // the list reloaded once the window is closed
        const auto row = [](const char* command, const char* opened, const char* refreshed) {
            QTest::newRow(command) << command << QString::fromUtf8(opened) << refreshed;
        };
        row("M_Ver", "Frm_Ver バージョン", "");
        row("Cmd_Fuku(0)", "Frm_Sentaku 内容複数選択", "Cmb_Naiyou");
        row("Cmd_Fuku(1)", "Frm_USentaku ユニット複数選択", "Cmb_User");
        row("Cmd_kanri", "Frm_Kanri 管理", "Cmb_User");
        row("M_Kanri", "Frm_Kanri 管理", "Cmb_User");
        row("Cmd_Setei", "Frm_Com 通信設定", "");
        row("M_Setei", "Frm_Com 通信設定", "");
    }
    void windowsOpenedModally()
    {
        QFETCH(QString, command);
        QFETCH(QString, opened);
        QFETCH(QString, refreshed);
        Session s;
        Frm_Main& w = s.w();
        w.Opt_User[1]->click(); // enables the unit sets button
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.move(3, 5);
        QString seen;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seen = modal->objectName() + " " + modal->windowTitle() +
                   (qobject_cast<QDialog*>(modal) ? "" : " (no QDialog)");
            // A set made while the window is open shows once it is closed.
            s.app.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'New', 1)");
            s.app.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'New', '0080')");
            if (auto* close = modal->findChild<QPushButton*>(QStringLiteral("Cmd_Modoru")))
                close->click();
            if (modal->isVisible()) { // never leave the test waiting on it
                modal->close();
                seen += " (not closed by Cmd_Modoru)";
            }
        });
        if (auto* action = w.findChild<QAction*>(command))
            action->trigger();
        else
            w.findChild<QPushButton*>(command)->click();
        QCOMPARE(seen, opened);
        for (QComboBox* box : {w.Cmb_User, w.Cmb_Naiyou})
            QCOMPARE(items(box).contains("複数選択　　New"), box->objectName() == refreshed);
        // Back from one of the program's windows, the main window is placed again.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(w.pos() != QPoint(3, 5));
    }

    void endPaths_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("end button") << "Cmd_End";
        QTest::newRow("menu") << "M_End";
        QTest::newRow("frame") << "close";
    }
    void endPaths()
    {
        QFETCH(QString, how);
        Session s;
        Frm_Main& w = s.w();
        Database& db = s.app.db;
        // Free pages in the file, which only a compaction gives back.
        db.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                   "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) "
                   "SELECT '0080', '2024-05-01 10:00:00', i, 1 FROM n");
        db.execute("DELETE FROM Log_Data");
        QVERIFY(scalar(db, "PRAGMA freelist_count") > 0);
        const qint64 before = QFileInfo(s.app.dbPath()).size();

        w.show();
        if (how == "Cmd_End")
            w.Cmd_End->click();
        else if (how == "M_End")
            w.M_End->trigger();
        else
            QVERIFY(w.close());
        QCOMPARE(s.app.quitCalls, 1);
        QVERIFY(!db.isOpen());
        QVERIFY(!QFileInfo::exists(s.app.dir.filePath("SaitekiDB.db")));
        QVERIFY(QFileInfo(s.app.dbPath()).size() < before);
        // Any later way out does not run the exit path again.
        w.Cmd_End->click();
        w.close();
        QCOMPARE(s.app.quitCalls, 1);
        QVERIFY(s.app.dialogs.messages.isEmpty());
        Database reopened;
        reopened.open(s.app.dbPath());
        QCOMPARE(scalar(reopened, "PRAGMA freelist_count"), qint64(0));
        QCOMPARE(scalar(reopened, "SELECT count(*) FROM Log_Master"), qint64(21));
    }
};

QTEST_MAIN(TstFrmMain)
#include "tst_frm_main.moc"

// The main window through its real controls, on real database files.
#include "main/frm_main.h"
#include "main/log_grid_model.h"
#include "main/log_grid_view.h"
#include "support/test_db.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

struct Session {
    explicit Session(Switches sw = {}, const QDateTime& now = {}) : app(sw)
    {
        if (now.isValid())
            app.now = now;
        window = std::make_unique<Frm_Main>(app.ctx);
        window->Form_Load();
    }
    TestApp app;
    std::unique_ptr<Frm_Main> window;
};

Switches language(bool english)
{
    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    return sw;
}

QString captionOf(const QObject* o)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(o))
        return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(o))
        return g->title();
    if (const auto* l = qobject_cast<const QLabel*>(o))
        return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(o))
        return e->text();
    if (const auto* a = qobject_cast<const QAction*>(o))
        return a->text();
    if (const auto* m = qobject_cast<const QMenu*>(o))
        return m->title();
    return QStringLiteral("<no caption>");
}

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

void exec(Database& db, const QString& sql)
{
    db.execute(sql);
}

// Runs `answer` on the modal window that the next exec() opens.
void onModal(const std::function<void(QWidget*)>& answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            qWarning("no modal window is open");
            return;
        }
        answer(modal);
        // Never leave the test waiting on a window a failed check left open.
        if (modal->isVisible())
            modal->close();
    });
}

struct Caption {
    const char* name;
    const char* ja;
    const char* en;
};

// Every captioned control and menu entry of the window.
const Caption kCaptions[] = {
    {"Frame1", "年月日", "DATE"},
    {"Opt_Ngh(0)", "全て", "ALL"},
    {"Opt_Ngh(1)", "日付指定", "DATE"},
    {"Label1", "年", "Y"},
    {"Label2", "月", "M"},
    {"Label3", "日", "D"},
    {"Label4", "年", "Y"},
    {"Label5", "月", "M"},
    {"Label6", "日", "D"},
    {"Label7", "～", "～"},
    {"Frame3", "ユニット", "UNIT"},
    {"Opt_User(0)", "全て", "ALL"},
    {"Opt_User(1)", "ユニット指定", "UNIT"},
    {"Cmd_Fuku(1)", "複数選択指定", "SELECT"},
    {"Frame4", "内容", "CONTENTS"},
    {"Opt_Naiyou(0)", "全て", "ALL"},
    {"Opt_Naiyou(1)", "内容指定", "CONTENTS"},
    {"Cmd_Fuku(0)", "複数選択指定", "SELECT"},
    {"Cmd_Find", "検索", "SEARCH"},
    {"Cmb_Sort(0)", "ユニット", "Unit"},
    {"Cmb_Sort(1)", "機器名称", "Name"},
    {"Cmb_Sort(2)", "No", "No"},
    {"Cmb_Sort(3)", "年月日", "Date"},
    {"Cmb_Sort(4)", "時間", "Time"},
    {"Cmb_Sort(5)", "内容", "Contents"},
    {"Cmd_Read", "読　込", "Read"},
    {"Cmd_Save", "保　存", "Save"},
    {"Cmd_Print", "印刷", "Print"},
    {"Cmd_Setei", "通　信", "Port Set"},
    {"Cmd_kanri", "管　理", "Control"},
    {"Cmd_End", "終　了", "End"},
    {"Cmd_Sousa", "テスト", "テスト"},
    {"Txt_Yomi", "読込み中", "Reading"},
    {"M_File", "ファイル", "File"},
    {"M_Read", "読　込", "Read"},
    {"M_Save", "保　存", "Save"},
    {"M_Print", "印　刷", "Print"},
    {"M_Setei", "通　信", "Port Set"},
    {"M_Kanri", "管　理", "Control"},
    {"M_End", "終了", "End"},
    {"M_Space", "", ""},
    {"M_Ver", "バージョン", "Version"},
};

const Caption kTooltips[] = {
    {"Cmd_Find", "ログを検索し表示します。", ""},
    {"Cmd_Fuku(0)", "内容の複数選択画面を表示します。", ""},
    {"Cmd_Fuku(1)", "ユニットの複数選択画面を表示します。", ""},
    {"Cmd_Read", "ハンドセットのログを読込みます。", ""},
    {"Cmd_Save", "表示されているログを保存します。", ""},
    {"Cmd_Print", "表示されているログを印刷します。", ""},
    {"Cmd_Setei", "COMポートの番号を変更します。", ""},
    {"Cmd_kanri", "ログインIDの登録・変更・削除、機器名称の登録・変更・削除", ""},
    {"Cmd_End", "システムを終了します。", ""},
    {"Cmd_Sousa", "ログを保存・削除", "ログを保存・削除"},
};

// Opt_Ngh, Opt_User, Opt_Naiyou: which option of each group is on.
struct Enabled {
    bool dates, unitBox, unitSets, contentBox, contentSets;
};

Enabled enabledOf(const Frm_Main& w)
{
    bool dates = true;
    for (int i = 0; i < 2; ++i)
        dates = dates && w.Cmb_Nen[i]->isEnabled() && w.Cmb_Tuki[i]->isEnabled() &&
                w.Cmb_Hi[i]->isEnabled();
    bool anyDate = false;
    for (int i = 0; i < 2; ++i)
        anyDate = anyDate || w.Cmb_Nen[i]->isEnabled() || w.Cmb_Tuki[i]->isEnabled() ||
                  w.Cmb_Hi[i]->isEnabled();
    if (dates != anyDate)
        qWarning("the six date boxes disagree");
    return {dates, w.Cmb_User->isEnabled(), w.Cmd_Fuku[1]->isEnabled(), w.Cmb_Naiyou->isEnabled(),
            w.Cmd_Fuku[0]->isEnabled()};
}

} // namespace

class TstFrmMain : public QObject {
    Q_OBJECT

private slots:
    void captions_data();
    void captions();
    void tooltips_data();
    void tooltips();
    void menuAndHiddenControls();
    void gridHeadingsStayJapanese();
    void contentList_data();
    void contentList();
    void unitList();
    void yearLists_data();
    void yearLists();
    void defaultCriteria_data();
    void defaultCriteria();
    void optionButtons_data();
    void optionButtons();
    void headingButtonsFollowTheColumns();
    void windowsOpenedModally_data();
    void windowsOpenedModally();
    void endPaths_data();
    void endPaths();
    void endLeavesDatabaseClosedAndCompacted();
    void activationCentres();
};

void TstFrmMain::captions_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    for (const bool english : {false, true}) {
        const char* lang = english ? "en" : "ja";
        QTest::addRow("%s/window", lang)
            << english << QString()
            << QString::fromUtf8(english ? "QUARVENIX SYSTEM" : "クアルヴェニクス　システム");
        for (const Caption& c : kCaptions) {
            QTest::addRow("%s/%s", lang, c.name) << english << QString::fromLatin1(c.name)
                                                 << QString::fromUtf8(english ? c.en : c.ja);
        }
    }
}

void TstFrmMain::captions()
{
    QFETCH(bool, english);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    Session s(language(english));
    if (name.isEmpty()) {
        QCOMPARE(s.window->windowTitle(), expected);
        return;
    }
    const auto found = s.window->findChildren<QObject*>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(captionOf(found.first()), expected);
}

void TstFrmMain::tooltips_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    for (const bool english : {false, true}) {
        for (const Caption& c : kTooltips) {
            QTest::addRow("%s/%s", english ? "en" : "ja", c.name)
                << english << QString::fromLatin1(c.name)
                << QString::fromUtf8(english ? c.en : c.ja);
        }
    }
}

void TstFrmMain::tooltips()
{
    QFETCH(bool, english);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    Session s(language(english));
    auto* button = s.window->findChild<QPushButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), expected);
}

void TstFrmMain::menuAndHiddenControls()
{
    Session s;
    Frm_Main& w = *s.window;
    QStringList fileEntries;
    for (const QAction* a : w.M_File->actions()) {
        fileEntries << a->objectName();
        QCOMPARE(a->isSeparator(), a->objectName().startsWith(QLatin1String("M_Bar")));
    }
    QCOMPARE(fileEntries, (QStringList{"M_Read", "M_Bar1", "M_Save", "M_Bar2", "M_Print", "M_Bar3",
                                       "M_Setei", "M_Bar4", "M_Kanri", "M_Bar5", "M_End"}));
    const QList<QAction*> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0], w.M_File->menuAction());
    QCOMPARE(bar[1], w.M_Space);
    QCOMPARE(bar[2], w.M_Ver);

    // Hidden at design: the test feed always, the indicator until a read receives.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.Cmd_Sousa->isVisible());
    QVERIFY(!w.Txt_Yomi->isVisible());
    QVERIFY(w.Cmd_Find->isVisible());
    QVERIFY(w.MSFG->isVisible());
}

void TstFrmMain::gridHeadingsStayJapanese()
{
    Session s(language(true));
    const LogGridModel* model = s.window->MSFG->gridModel();
    const QStringList expected{"ユニット", "機器名称", "No", "年月日", "時間", "内容", ""};
    QCOMPARE(model->Rows(), 1);
    for (int col = 0; col < 7; ++col) {
        QCOMPARE(model->TextMatrix(0, col), expected[col]);
        QCOMPARE(model->headerData(col, Qt::Horizontal).toString(), expected[col]);
    }
    // Column widths in twips at 15 twips per pixel (scaled with the dpi).
    const int widths[] = {1100, 2000, 1000, 2000, 2000, 5900, 0};
    for (int col = 0; col < 7; ++col) {
        QCOMPARE(s.window->MSFG->columnWidth(col),
                 LogGridView::twipsToPixels(widths[col], s.window->MSFG));
    }
}

void TstFrmMain::contentList_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("last");
    QTest::newRow("japanese") << false
                              << QStringList{"複数選択　　標準セット", "複数選択　　Night",
                                             "電源オン", "電源オフ"}
                              << QStringList{"データ送信", "Only English", "日本語"};
    QTest::newRow("english") << true
                             << QStringList{"SELECT　　Standard set", "SELECT　　Night", "Power on",
                                            "Power off"}
                             << QStringList{"Data transfer", "Only English", ""};
}

void TstFrmMain::contentList()
{
    QFETCH(bool, english);
    QFETCH(QStringList, first);
    QFETCH(QStringList, last);
    Session s(language(english));
    Database& db = s.app.db;
    exec(db, "INSERT INTO Fukusu (No, Name, Log_No, Date) VALUES (1, 'Night', 1, NULL)");
    exec(db, "INSERT INTO Fukusu (No, Name, Log_No, Date) VALUES (2, 'Night', 2, NULL)");
    // A log number with only an English text, one with only a Japanese one.
    exec(db, "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only English')");
    exec(db, "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (91, '日本語', NULL)");
    s.window->Master_Read();
    QStringList list = items(s.window->Cmb_Naiyou);
    QCOMPARE(list.size(), 2 + 21 + 2);
    // The sets come first, in the order the database gives their names.
    std::sort(list.begin(), list.begin() + 2);
    std::sort(first.begin(), first.begin() + 2);
    QCOMPARE(list.mid(0, 4), first);
    QCOMPARE(list.mid(list.size() - 3), last);
    // The prefix ends in two ideographic spaces.
    QCOMPARE(list[1].mid(list[1].indexOf(u'　'), 2), QString(QChar(0x3000)) + QChar(0x3000));
}

void TstFrmMain::unitList()
{
    Session s;
    Database& db = s.app.db;
    exec(db, "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
             "('0081', '2024-05-01 10:00:00', '1', 1), ('0080', '2024-05-01 10:00:00', '1', 1), "
             "('0080', '2024-05-02 10:00:00', '2', 1)");
    exec(db, "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')");
    exec(db, "INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'East', '0080')");
    exec(db, "INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (2, 'East', '0081')");
    s.window->Unit_Read();
    QCOMPARE(items(s.window->Cmb_User),
             (QStringList{"複数選択　　East", "0080 (Truck 3 )", "0081 ( )"}));
    QCOMPARE(s.window->Cmb_User->currentIndex(), -1);
}

void TstFrmMain::yearLists_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("lastYear");
    QTest::newRow("2030-12-20") << QDate(2030, 12, 20) << 2040;
    QTest::newRow("2030-12-21") << QDate(2030, 12, 21) << 2040;
    QTest::newRow("2030-12-22") << QDate(2030, 12, 22) << 2041;
    QTest::newRow("2030-12-25") << QDate(2030, 12, 25) << 2041;
    QTest::newRow("2024-05-15") << QDate(2024, 5, 15) << 2034;
    QTest::newRow("2006-01-01") << QDate(2006, 1, 1) << 2016;
}

void TstFrmMain::yearLists()
{
    QFETCH(QDate, today);
    QFETCH(int, lastYear);
    Session s({}, QDateTime(today, QTime(12, 0)));
    const Frm_Main& w = *s.window;
    for (int i = 0; i < 2; ++i) {
        const QStringList years = items(w.Cmb_Nen[i]);
        QCOMPARE(years.size(), lastYear - 2006 + 1);
        QCOMPARE(years.first(), QStringLiteral("2006"));
        QCOMPARE(years.last(), QString::number(lastYear));
        QCOMPARE(items(w.Cmb_Tuki[i]).size(), 12);
        QCOMPARE(items(w.Cmb_Tuki[i]).first(), QStringLiteral("01"));
        QCOMPARE(items(w.Cmb_Tuki[i]).last(), QStringLiteral("12"));
        QCOMPARE(items(w.Cmb_Hi[i]).size(), 31);
        QCOMPARE(items(w.Cmb_Hi[i]).at(8), QStringLiteral("09"));
        // Today in all six boxes, and nothing else can be typed into them.
        QCOMPARE(w.Cmb_Nen[i]->currentText(), today.toString("yyyy"));
        QCOMPARE(w.Cmb_Tuki[i]->currentText(), today.toString("MM"));
        QCOMPARE(w.Cmb_Hi[i]->currentText(), today.toString("dd"));
        QVERIFY(!w.Cmb_Nen[i]->isEditable());
    }
}

void TstFrmMain::defaultCriteria_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("content");
    QTest::newRow("japanese") << false << QStringLiteral("複数選択　　標準セット");
    QTest::newRow("english") << true << QStringLiteral("SELECT　　Standard set");
}

void TstFrmMain::defaultCriteria()
{
    QFETCH(bool, english);
    QFETCH(QString, content);
    Session s(language(english));
    const Frm_Main& w = *s.window;
    QVERIFY(!w.Opt_Ngh[0]->isChecked());
    QVERIFY(w.Opt_Ngh[1]->isChecked());
    QVERIFY(w.Opt_User[0]->isChecked());
    QVERIFY(!w.Opt_User[1]->isChecked());
    QCOMPARE(w.Cmb_User->currentText(), QString());
    QVERIFY(!w.Opt_Naiyou[0]->isChecked());
    QVERIFY(w.Opt_Naiyou[1]->isChecked());
    QCOMPARE(w.Cmb_Naiyou->currentText(), content);
    QVERIFY(w.Cmb_User->isEditable());
    QVERIFY(w.Cmb_Naiyou->isEditable());
}

void TstFrmMain::optionButtons_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QList<bool>>(
        "expected"); // dates, unit box, unit sets, content box, content sets
    QTest::newRow("after load") << QStringList{} << QList<bool>{true, false, false, true, true};
    QTest::newRow("all dates") << QStringList{"Opt_Ngh(0)"}
                               << QList<bool>{false, false, false, true, true};
    QTest::newRow("range again") << QStringList{"Opt_Ngh(0)", "Opt_Ngh(1)"}
                                 << QList<bool>{true, false, false, true, true};
    QTest::newRow("one unit") << QStringList{"Opt_User(1)"}
                              << QList<bool>{true, true, true, true, true};
    QTest::newRow("all units again")
        << QStringList{"Opt_User(1)", "Opt_User(0)"} << QList<bool>{true, false, false, true, true};
    QTest::newRow("all contents") << QStringList{"Opt_Naiyou(0)"}
                                  << QList<bool>{true, false, false, false, false};
    QTest::newRow("one content again") << QStringList{"Opt_Naiyou(0)", "Opt_Naiyou(1)"}
                                       << QList<bool>{true, false, false, true, true};
    QTest::newRow("everything off") << QStringList{"Opt_Ngh(0)", "Opt_User(0)", "Opt_Naiyou(0)"}
                                    << QList<bool>{false, false, false, false, false};
}

void TstFrmMain::optionButtons()
{
    QFETCH(QStringList, clicks);
    QFETCH(QList<bool>, expected);
    Session s;
    for (const QString& name : clicks) {
        auto* option = s.window->findChild<QRadioButton*>(name);
        QVERIFY(option);
        option->click();
        QVERIFY(option->isChecked());
    }
    const Enabled e = enabledOf(*s.window);
    QCOMPARE((QList<bool>{e.dates, e.unitBox, e.unitSets, e.contentBox, e.contentSets}), expected);
}

void TstFrmMain::headingButtonsFollowTheColumns()
{
    Session s;
    Frm_Main& w = *s.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QHeaderView* header = w.MSFG->horizontalHeader();

    // Each button covers exactly its column's heading, and shows only the
    // part of it that the grid shows.
    const auto check = [&](const char* when) {
        QCoreApplication::processEvents();
        for (int i = 0; i < 6; ++i) {
            const QPushButton* b = w.Cmb_Sort[i];
            const int left = header->mapToGlobal(QPoint(header->sectionViewportPosition(i), 0)).x();
            const int globalLeft = b->mapToGlobal(QPoint(0, 0)).x();
            if (globalLeft != left || b->width() != header->sectionSize(i))
                QFAIL(
                    qPrintable(QStringLiteral("%1: button %2 at %3 width %4, column at %5 width %6")
                                   .arg(QLatin1String(when))
                                   .arg(i)
                                   .arg(globalLeft)
                                   .arg(b->width())
                                   .arg(left)
                                   .arg(header->sectionSize(i))));
            // Over the grid's heading row.
            QCOMPARE(b->mapToGlobal(QPoint(0, 0)).y(), header->mapToGlobal(QPoint(0, 0)).y());
            QCOMPARE(b->height(), header->height());
            const QRect visible = b->visibleRegion().boundingRect();
            const int shownLeft = b->mapToGlobal(visible.topLeft()).x();
            QVERIFY(visible.isEmpty() || shownLeft >= header->mapToGlobal(QPoint(0, 0)).x());
        }
    };
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(w.Cmb_Sort[i]->width(),
                 LogGridView::twipsToPixels(LogGridModel::colWidthTwips(i), w.MSFG));
    }
    check("shown");
    w.resize(w.width() + 180, w.height() + 40);
    check("wider");
    w.resize(w.minimumWidth(), w.height());
    check("narrow");
    QScrollBar* bar = w.MSFG->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    check("scrolled right");
    bar->setValue(bar->maximum() / 2);
    check("scrolled halfway");
    header->resizeSection(1, header->sectionSize(1) + 37);
    check("column widened");
}

void TstFrmMain::windowsOpenedModally_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("refreshed"); // the list the close button reloads
    QTest::newRow("version") << "M_Ver"
                             << "Frm_Ver"
                             << "バージョン"
                             << "";
    QTest::newRow("content sets") << "Cmd_Fuku(0)"
                                  << "Frm_Sentaku"
                                  << "内容複数選択"
                                  << "Cmb_Naiyou";
    QTest::newRow("unit sets") << "Cmd_Fuku(1)"
                               << "Frm_USentaku"
                               << "ユニット複数選択"
                               << "Cmb_User";
    QTest::newRow("administration") << "Cmd_kanri"
                                    << "Frm_Kanri"
                                    << "管理"
                                    << "Cmb_User";
    QTest::newRow("administration menu") << "M_Kanri"
                                         << "Frm_Kanri"
                                         << "管理"
                                         << "Cmb_User";
    QTest::newRow("port") << "Cmd_Setei"
                          << "Frm_Com"
                          << "通信設定"
                          << "";
    QTest::newRow("port menu") << "M_Setei"
                               << "Frm_Com"
                               << "通信設定"
                               << "";
}

void TstFrmMain::windowsOpenedModally()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(QString, title);
    QFETCH(QString, refreshed);
    Session s;
    Frm_Main& w = *s.window;
    w.Opt_User[1]->click();
    w.Cmb_User->setEditText(QStringLiteral("typed"));
    w.Cmb_Naiyou->setEditText(QStringLiteral("typed"));
    bool opened = false;
    onModal([&](QWidget* modal) {
        opened = true;
        QCOMPARE(modal->objectName(), window);
        QCOMPARE(modal->windowTitle(), title);
        QVERIFY(qobject_cast<QDialog*>(modal));
        // A set made while the window is open shows once it is closed.
        s.app.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'New', 1)");
        s.app.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'New', '0080')");
        auto* close = modal->findChild<QPushButton*>(QStringLiteral("Cmd_Modoru"));
        QVERIFY(close);
        close->click();
    });
    if (auto* action = w.findChild<QAction*>(command))
        action->trigger();
    else
        w.findChild<QPushButton*>(command)->click();
    QVERIFY(opened);
    QVERIFY(!QApplication::activeModalWidget());

    for (QComboBox* box : {w.Cmb_User, w.Cmb_Naiyou}) {
        const bool reloaded = box->objectName() == refreshed;
        QCOMPARE(items(box).contains(QStringLiteral("複数選択　　New")), reloaded);
        // Reloading drops the current choice.
        QCOMPARE(box->currentText() == QStringLiteral("typed"), !reloaded);
    }
}

void TstFrmMain::endPaths_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("end button") << "Cmd_End";
    QTest::newRow("menu") << "M_End";
    QTest::newRow("frame") << "close";
}

void TstFrmMain::endPaths()
{
    QFETCH(QString, how);
    Session s;
    Frm_Main& w = *s.window;
    w.show();
    if (how == QLatin1String("Cmd_End"))
        w.Cmd_End->click();
    else if (how == QLatin1String("M_End"))
        w.M_End->trigger();
    else
        QVERIFY(w.close());
    QCOMPARE(s.app.quitCalls, 1);
    QVERIFY(!s.app.db.isOpen());
    // Any later way out does not run the exit path again.
    w.Cmd_End->click();
    w.close();
    QCOMPARE(s.app.quitCalls, 1);
    QVERIFY(s.app.dialogs.messages.isEmpty());
}

void TstFrmMain::endLeavesDatabaseClosedAndCompacted()
{
    Session s;
    Database& db = s.app.db;
    // Free pages in the file, which only a compaction gives back.
    {
        Transaction tx(db);
        for (int i = 0; i < 3000; ++i) {
            db.execute(
                QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                               "('0080', '2024-05-01 10:00:00', '%1', 1)")
                    .arg(i));
        }
        tx.commit();
    }
    db.execute("DELETE FROM Log_Data");
    const auto freePages = [](Database& d) {
        qint64 n = -1;
        d.forEachRow("PRAGMA freelist_count",
                     [&](const QSqlQuery& q) { n = q.value(0).toLongLong(); });
        return n;
    };
    QVERIFY(freePages(db) > 0);
    const qint64 before = QFileInfo(s.app.dbPath()).size();

    s.window->Cmd_End->click();
    QVERIFY(!db.isOpen());
    QCOMPARE(s.app.quitCalls, 1);
    QVERIFY(!QFileInfo::exists(QDir(s.app.dir.path()).filePath("SaitekiDB.db")));
    QVERIFY(QFileInfo(s.app.dbPath()).size() < before);
    Database reopened;
    reopened.open(s.app.dbPath());
    QCOMPARE(freePages(reopened), 0);
    qint64 masters = 0;
    reopened.forEachRow("SELECT count(*) FROM Log_Master",
                        [&](const QSqlQuery& q) { masters = q.value(0).toLongLong(); });
    QCOMPARE(masters, qint64(21));
}

void TstFrmMain::activationCentres()
{
    Session s;
    Frm_Main& w = *s.window;
    w.resize(760, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(3, 5);
    w.Form_Activate();
    const QRect screen = w.screen()->geometry();
    const QRect frame = w.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    if (screen.width() == 1024)
        QCOMPARE(frame.top(), screen.top());
    else
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);
}

QTEST_MAIN(TstFrmMain)
#include "tst_frm_main.moc"

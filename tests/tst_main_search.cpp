// Searching through the main window: criteria set in its boxes, the search
// button clicked, the grid read back; on a real database filled by the
// hidden test feed or by rows inserted directly.
#include "main/frm_main.h"
#include "main/log_grid_model.h"
#include "main/log_grid_view.h"
#include "support/test_db.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

struct Session {
    explicit Session(Switches sw = {}) : app(sw)
    {
        window = std::make_unique<Frm_Main>(app.ctx);
        window->Form_Load();
    }
    Frm_Main& w() { return *window; }
    const LogGridModel& grid() const { return *window->MSFG->gridModel(); }
    int resultRows() const { return grid().Rows() - 1; }

    TestApp app;
    std::unique_ptr<Frm_Main> window;
};

Switches switches(bool english, bool editionA = false)
{
    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    sw.A_Flg = editionA ? 1 : 0;
    return sw;
}

// Shows the entry with this text, or types it when the box has no such entry.
void choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
    else
        box->setEditText(text);
    QCOMPARE(box->currentText(), text);
}

// "yyyy/MM/dd" into the three boxes of one end of the range.
void chooseDate(Frm_Main& w, int end, const QString& date)
{
    const QStringList parts = date.split(QLatin1Char('/'));
    choose(w.Cmb_Nen[end], parts[0]);
    choose(w.Cmb_Tuki[end], parts[1]);
    choose(w.Cmb_Hi[end], parts[2]);
}

void insertLog(Database& db, const QString& unit, const QString& date, const QString& dataNo,
               int logNo, const QVariant& alcohol = {}, const QVariant& tani = {})
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Log_Data WHERE 0 = 1"));
    rs.addNew();
    rs.setField(QStringLiteral("Unit_SN"), unit);
    rs.setField(QStringLiteral("Date"), date);
    rs.setField(QStringLiteral("Data_No"), dataNo);
    rs.setField(QStringLiteral("Log_No"), logNo);
    rs.setField(QStringLiteral("Alcohol"), alcohol);
    rs.setField(QStringLiteral("Tani"), tani);
    rs.setField(QStringLiteral("WDate"), QStringLiteral("2024-05-15 10:00:00"));
    rs.update();
}

const QColor kLightBlue(0, 0, 255);
const QColor kLightRed(255, 0, 0);
const QColor kLightYellow(255, 255, 0);

} // namespace

class TstMainSearch : public QObject {
    Q_OBJECT

private slots:
    void testFeedStoresTheSample();
    void searchesOnTheSample_data();
    void searchesOnTheSample();
    void rowTexts_data();
    void rowTexts();
    void sortingByHeadingButtons();
};

void TstMainSearch::testFeedStoresTheSample()
{
    Session s;
    s.w().Cmd_Sousa->click();
    QCOMPARE(s.app.count(QStringLiteral("Log_Data")), qint64(30000));
    s.w().Cmd_Sousa->click(); // everything is stored already
    QCOMPARE(s.app.count(QStringLiteral("Log_Data")), qint64(30000));
    QVERIFY(s.app.dialogs.messages.isEmpty());
    QVERIFY(!QApplication::overrideCursor());

    // A failure of the store is told, and the pointer is back to normal.
    s.app.db.execute(QStringLiteral("DROP VIEW V_Unit_SN"));
    s.app.db.execute(QStringLiteral("DROP VIEW V_Log_Data"));
    s.app.db.execute(QStringLiteral("DROP TABLE Log_Data"));
    s.w().Cmd_Sousa->click();
    QCOMPARE(s.app.dialogs.messages.size(), 1);
    QCOMPARE(s.app.dialogs.messages[0].title, QStringLiteral("テスト"));
    QVERIFY(!s.app.dialogs.messages[0].text.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

void TstMainSearch::searchesOnTheSample_data()
{
    QTest::addColumn<QString>("from"); // "" = all dates
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("unit");    // "" = all units
    QTest::addColumn<QString>("content"); // "" = all contents
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("message");

    const QString all;
    QTest::newRow("today, standard set")
        << "2024/05/15"
        << "2024/05/15" << all << "複数選択　　標準セット" << 0 << false;
    QTest::newRow("today, all contents") << "2024/05/15"
                                         << "2024/05/15" << all << all << 0 << false;
    QTest::newRow("all dates") << all << all << all << all << 30000 << false;
    QTest::newRow("all dates, standard set")
        << all << all << all << "複数選択　　標準セット" << 0 << false;
    QTest::newRow("the sample's day") << "2007/01/11"
                                      << "2007/01/11" << all << all << 30000 << false;
    QTest::newRow("the day before") << "2007/01/10"
                                    << "2007/01/10" << all << all << 0 << false;
    QTest::newRow("unit") << all << all << "0080 ( )" << all << 30000 << false;
    QTest::newRow("other unit") << all << all << "0099 ( )" << all << 0 << false;
    QTest::newRow("unit set") << all << all << "複数選択　　East" << all << 30000 << false;
    QTest::newRow("unit set without the unit")
        << all << all << "複数選択　　West" << all << 0 << false;
    QTest::newRow("content") << all << all << all << "測定開始" << 10000 << false;
    QTest::newRow("content not stored") << all << all << all << "電源オン" << 0 << false;
    QTest::newRow("content set") << all << all << all << "複数選択　　Start+End" << 20000 << false;
    QTest::newRow("everything") << "2007/01/11"
                                << "2007/01/11"
                                << "複数選択　　East"
                                << "複数選択　　Start+End" << 20000 << false;
    QTest::newRow("first date after last") << "2007/01/12"
                                           << "2007/01/10" << all << all << 0 << false;
    QTest::newRow("31 February") << "2007/02/31"
                                 << "2007/03/01" << all << all << 0 << true;
    QTest::newRow("set without rows") << all << all << all << "複数選択　　Nothing" << 0 << true;
}

void TstMainSearch::searchesOnTheSample()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, unit);
    QFETCH(QString, content);
    QFETCH(int, rows);
    QFETCH(bool, message);

    Session s;
    Frm_Main& w = s.w();
    w.Cmd_Sousa->click();
    Database& db = s.app.db;
    db.execute(QStringLiteral("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES "
                              "(1, 'East', '0099'), (2, 'East', '0080'), (1, 'West', '0099')"));
    db.execute(QStringLiteral("INSERT INTO Fukusu (No, Name, Log_No) VALUES "
                              "(1, 'Start+End', 21), (2, 'Start+End', 41)"));
    w.Unit_Read();
    w.Master_Read();

    // The grid holds an earlier result, which every search replaces.
    w.Opt_Ngh[0]->click();
    w.Opt_Naiyou[0]->click();
    w.Cmd_Find->click();
    QCOMPARE(s.resultRows(), 30000);

    if (from.isEmpty()) {
        w.Opt_Ngh[0]->click();
    } else {
        w.Opt_Ngh[1]->click();
        chooseDate(w, 0, from);
        chooseDate(w, 1, to);
    }
    if (unit.isEmpty()) {
        w.Opt_User[0]->click();
    } else {
        w.Opt_User[1]->click();
        choose(w.Cmb_User, unit);
    }
    if (content.isEmpty()) {
        w.Opt_Naiyou[0]->click();
    } else {
        w.Opt_Naiyou[1]->click();
        choose(w.Cmb_Naiyou, content);
    }
    bool busyDuringMessage = false;
    s.app.dialogs.onMessage = [&](const ScriptedDialogs::Message&) {
        busyDuringMessage = QApplication::overrideCursor() != nullptr;
    };
    w.Cmd_Find->click();

    QCOMPARE(s.resultRows(), rows);
    QCOMPARE(s.app.dialogs.messages.size(), message ? 1 : 0);
    if (message) {
        QCOMPARE(s.app.dialogs.messages[0].title, QStringLiteral("検索"));
        QVERIFY(!s.app.dialogs.messages[0].text.isEmpty());
        QVERIFY(!busyDuringMessage);
    }
    QVERIFY(!QApplication::overrideCursor());
    if (rows > 0) {
        QCOMPARE(s.grid().TextMatrix(1, 0), QStringLiteral("X00 0080"));
        QCOMPARE(s.grid().TextMatrix(1, 3), QStringLiteral("2007年01月11日"));
    }
}

void TstMainSearch::rowTexts_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("editionA");
    QTest::addColumn<int>("logNo");
    QTest::addColumn<QVariant>("alcohol");
    QTest::addColumn<QVariant>("tani");
    QTest::addColumn<QString>("name"); // "" = no name registered
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QColor>("colour");

    const QVariant none;
    QTest::newRow("alcohol, japanese") << false << false << 8 << QVariant("0.150") << QVariant("01")
                                       << "Truck 3" << QStringList{"X00 0090",
                                                                   "Truck 3",
                                                                   "12",
                                                                   "2024年05月15日",
                                                                   "08時05分09秒",
                                                                   "アルコール測定 0.15001",
                                                                   ""}
                                       << kLightBlue;
    QTest::newRow("alcohol, english")
        << true << false << 8 << QVariant("0.150") << QVariant("01") << "Truck 3"
        << QStringList{"X00 0090", "Truck 3",
                       "12",       "2024/05/15",
                       "08:05:09", "Alcohol measurement 0.15001",
                       ""}
        << kLightBlue;
    QTest::newRow("alcohol, edition A")
        << false << true << 8 << QVariant("0.150") << QVariant("01") << "Truck 3"
        << QStringList{"X00 0090",     "Truck 3",         "12", "2024年05月15日",
                       "08時05分09秒", "アルコール測定 ", ""}
        << kLightBlue;
    QTest::newRow("detected, null name")
        << false << false << 9 << QVariant("0.300") << QVariant("01") << ""
        << QStringList{"X00 0090",        "", "12", "2024年05月15日", "08時05分09秒",
                       "アルコール検知 ", ""}
        << kLightRed;
    QTest::newRow("remeasurement") << true << false << 10 << none << none << "Truck 3"
                                   << QStringList{"X00 0090", "Truck 3",
                                                  "12",       "2024/05/15",
                                                  "08:05:09", "Alcohol remeasurement ",
                                                  ""}
                                   << kLightYellow;
    QTest::newRow("measurement error")
        << false << false << 17 << none << none << ""
        << QStringList{"X00 0090", "", "12", "2024年05月15日", "08時05分09秒", "測定エラー ", ""}
        << kLightRed;
    QTest::newRow("uncoloured") << false << false << 3 << none << none << ""
                                << QStringList{"X00 0090",     "",          "12", "2024年05月15日",
                                               "08時05分09秒", "時刻設定 ", ""}
                                << QColor();
    QTest::newRow("unknown log number, japanese")
        << false << false << 99 << none << none << ""
        << QStringList{"X00 0090", "", "12", "2024年05月15日", "08時05分09秒", "セットエラー ", ""}
        << QColor();
    QTest::newRow("unknown log number, english")
        << true << false << 99 << none << none << ""
        << QStringList{"X00 0090", "", "12", "2024/05/15", "08:05:09", "Set Error ", ""}
        << QColor();
}

void TstMainSearch::rowTexts()
{
    QFETCH(bool, english);
    QFETCH(bool, editionA);
    QFETCH(int, logNo);
    QFETCH(QVariant, alcohol);
    QFETCH(QVariant, tani);
    QFETCH(QString, name);
    QFETCH(QStringList, cells);
    QFETCH(QColor, colour);

    Session s(switches(english, editionA));
    insertLog(s.app.db, QStringLiteral("0090"), QStringLiteral("2024-05-15 08:05:09"),
              QStringLiteral("12"), logNo, alcohol, tani);
    if (!name.isEmpty()) {
        s.app.db.execute(
            QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0090', '%1')")
                .arg(name));
    }
    // Today's range is the default; every content.
    s.w().Opt_Naiyou[0]->click();
    s.w().Cmd_Find->click();

    QCOMPARE(s.resultRows(), 1);
    QStringList actual;
    for (int col = 0; col < 7; ++col)
        actual << s.grid().TextMatrix(1, col);
    QCOMPARE(actual, cells);
    QCOMPARE(s.grid().rowColor(1), colour);
    QVERIFY(s.app.dialogs.messages.isEmpty());
}

void TstMainSearch::sortingByHeadingButtons()
{
    Session s;
    Database& db = s.app.db;
    insertLog(db, QStringLiteral("0002"), QStringLiteral("2024-03-01 09:00:00"),
              QStringLiteral("1"), 8, QStringLiteral("0.100"), QStringLiteral("01"));
    insertLog(db, QStringLiteral("0003"), QStringLiteral("2024-01-01 17:00:00"),
              QStringLiteral("2"), 1);
    insertLog(db, QStringLiteral("0001"), QStringLiteral("2024-02-01 08:00:00"),
              QStringLiteral("3"), 9);
    Frm_Main& w = s.w();
    w.Opt_Ngh[0]->click();
    w.Opt_Naiyou[0]->click();
    w.Cmd_Find->click();
    QCOMPARE(s.resultRows(), 3);

    const auto column = [&](int col) {
        QStringList texts;
        for (int row = 1; row < s.grid().Rows(); ++row)
            texts << s.grid().TextMatrix(row, col);
        return texts;
    };
    const auto colourOf = [&](const QString& unit) {
        const QStringList units = column(0);
        return s.grid().rowColor(int(units.indexOf(unit)) + 1);
    };
    const QStringList heading = {"ユニット", "機器名称", "No", "年月日", "時間", "内容", ""};

    // The date button: descending, then ascending.
    w.Cmb_Sort[3]->click();
    QCOMPARE(column(3), (QStringList{"2024年03月01日", "2024年02月01日", "2024年01月01日"}));
    QCOMPARE(w.Sort_State[3], true);
    w.Cmb_Sort[3]->click();
    QCOMPARE(column(3), (QStringList{"2024年01月01日", "2024年02月01日", "2024年03月01日"}));
    QCOMPARE(w.Sort_State[3], false);
    // Another button starts descending; colours stay with their rows.
    w.Cmb_Sort[0]->click();
    QCOMPARE(column(0), (QStringList{"X00 0003", "X00 0002", "X00 0001"}));
    QCOMPARE(colourOf("X00 0002"), kLightBlue);
    QCOMPARE(colourOf("X00 0001"), kLightRed);
    QCOMPARE(colourOf("X00 0003"), QColor());
    // The time column.
    w.Cmb_Sort[4]->click();
    QCOMPARE(column(4), (QStringList{"17時00分00秒", "09時00分00秒", "08時00分00秒"}));
    w.Cmb_Sort[4]->click();
    QCOMPARE(column(4), (QStringList{"08時00分00秒", "09時00分00秒", "17時00分00秒"}));
    QCOMPARE(column(5).first(), QStringLiteral("アルコール検知 "));
    QCOMPARE(colourOf("X00 0001"), kLightRed);
    for (int col = 0; col < 7; ++col)
        QCOMPARE(s.grid().TextMatrix(0, col), heading[col]);
    QCOMPARE(w.Sort_State, (std::array<bool, 6>{true, false, false, false, false, false}));
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TstMainSearch)
#include "tst_main_search.moc"

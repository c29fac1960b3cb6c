// Searching through the main window: criteria set in its boxes, the search button clicked, the
// grid read back; on a real database filled by the hidden test feed or by inserted rows.
#include "app/texts.h"
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
    // The chosen cells of each row from `first` down, joined by "|".
    QStringList rows(QList<int> cols = {0, 1, 2, 3, 4, 5, 6}, int first = 1) const
    {
        QStringList out;
        for (int r = first; r < grid().Rows(); ++r) {
            QStringList cells;
            for (const int c : cols)
                cells << grid().TextMatrix(r, c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    // Values as SQL: Unit_SN, Date, Data_No, Log_No, Alcohol, Tani.
    void insertLog(const QString& values)
    {
        app.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                       "WDate) VALUES (" +
                       values + ", '2024-05-15 10:00:00')");
    }

    TestApp app;
    std::unique_ptr<Frm_Main> window;
};

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

const QColor kLightBlue(0, 0, 255), kLightRed(255, 0, 0);

} // namespace

class TstMainSearch : public QObject {
    Q_OBJECT

private slots:
    void testFeedStoresTheSample()
    {
        Session s;
        s.w().Cmd_Sousa->click();
        QCOMPARE(s.app.count("Log_Data"), qint64(30000));
        s.w().Cmd_Sousa->click(); // everything is stored already
        QCOMPARE(s.app.count("Log_Data"), qint64(30000));
        QVERIFY(s.app.dialogs.messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());

        // A failure of the store is told, and the pointer is back to normal.
        for (const char* sql :
             {"DROP VIEW V_Unit_SN", "DROP VIEW V_Log_Data", "DROP TABLE Log_Data"})
            s.app.db.execute(sql);
        s.w().Cmd_Sousa->click();
        QCOMPARE(s.app.dialogs.messages.size(), 1);
        QCOMPARE(s.app.dialogs.messages[0].title, QStringLiteral("テスト"));
        QVERIFY(!s.app.dialogs.messages[0].text.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void searchesOnTheSample_data()
    {
        QTest::addColumn<QString>("from"); // "yyyy/MM/dd"; "" = all dates
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("unit");    // "" = all units
        QTest::addColumn<QString>("content"); // "" = all contents
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("message"); // "" = none
        const auto row = [](const char* name, const char* from, const char* to, const char* unit,
                            const char* content, int rows, QString message = {}) {
            QTest::newRow(name) << from << to << QString::fromUtf8(unit)
                                << QString::fromUtf8(content) << rows << message;
        };
        const char* all = "";
        row("today, standard set", "2024/05/15", "2024/05/15", all, "複数選択　　標準セット", 0);
        row("all dates", all, all, all, all, 30000);
        row("unit", all, all, "0080 ( )", all, 30000);
        row("other unit", all, all, "0099 ( )", all, 0);
        row("unit set", all, all, "複数選択　　East", all, 30000);
        row("content", all, all, all, "測定開始", 10000);
        row("content set", all, all, all, "複数選択　　Start+End", 20000);
        row("everything", "2007/01/11", "2007/01/11", "複数選択　　East", "複数選択　　Start+End",
            20000);
        row("first date after last", "2007/01/12", "2007/01/10", all, all, 0);
        row("31 February", "2007/02/31", "2007/03/01", all, all, 0,
            texts::grid::BadDate.ja_().arg("2007/02/31"));
        row("set without rows", all, all, all, "複数選択　　Nothing", 0,
            texts::grid::EmptyContentSet.ja_().arg("Nothing"));
    }
    void searchesOnTheSample()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, unit);
        QFETCH(QString, content);
        QFETCH(int, rows);
        QFETCH(QString, message);
        Session s;
        Frm_Main& w = s.w();
        w.Cmd_Sousa->click();
        s.app.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES "
                         "(1, 'East', '0099'), (2, 'East', '0080'), (1, 'West', '0099')");
        s.app.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES "
                         "(1, 'Start+End', 21), (2, 'Start+End', 41)");
        w.Unit_Read();
        w.Master_Read();
        // The grid holds an earlier result, which every search replaces.
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
        w.Cmd_Find->click();
        QCOMPARE(s.resultRows(), 30000);

        w.Opt_Ngh[from.isEmpty() ? 0 : 1]->click();
        for (int end = 0; end < 2 && !from.isEmpty(); ++end) {
            const QStringList ymd = (end ? to : from).split(QLatin1Char('/'));
            choose(w.Cmb_Nen[end], ymd[0]);
            choose(w.Cmb_Tuki[end], ymd[1]);
            choose(w.Cmb_Hi[end], ymd[2]);
        }
        w.Opt_User[unit.isEmpty() ? 0 : 1]->click();
        if (!unit.isEmpty())
            choose(w.Cmb_User, unit);
        w.Opt_Naiyou[content.isEmpty() ? 0 : 1]->click();
        if (!content.isEmpty())
            choose(w.Cmb_Naiyou, content);
        QStringList shown; // each message, and whether the busy pointer was showing
        s.app.dialogs.onMessage = [&](const ScriptedDialogs::Message& m) {
            shown << m.title + ": " + m.text + (QApplication::overrideCursor() ? " (busy)" : "");
        };
        w.Cmd_Find->click();

        QCOMPARE(s.resultRows(), rows);
        QCOMPARE(shown, message.isEmpty() ? QStringList() : QStringList{"検索: " + message});
        QVERIFY(!QApplication::overrideCursor());
        if (rows > 0)
            QCOMPARE(s.rows({0, 3}).first(), QStringLiteral("X00 0080|2007年01月11日"));
    }

    void rowTexts_data()
    {
        QTest::addColumn<int>("eng");
        QTest::addColumn<int>("editionA");
        QTest::addColumn<QString>("log");  // Log_No, Alcohol, Tani as SQL
        QTest::addColumn<QString>("name"); // "" = no name registered
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QColor>("colour");
        const QString ja = "X00 0090|Truck 3|12|2024年05月15日|08時05分09秒|";
        const QString en = "X00 0090|Truck 3|12|2024/05/15|08:05:09|";
        const QString alcohol = "8, '0.150', '01'", unknown = "99, NULL, NULL";
        QTest::newRow("alcohol") << 0 << 0 << alcohol << "Truck 3" << ja + "アルコール測定 0.15001|"
                                 << kLightBlue;
        QTest::newRow("alcohol, english")
            << 1 << 0 << alcohol << "Truck 3" << en + "Alcohol measurement 0.15001|" << kLightBlue;
        QTest::newRow("alcohol, edition A")
            << 0 << 1 << alcohol << "Truck 3" << ja + "アルコール測定 |" << kLightBlue;
        QTest::newRow("detected, null name")
            << 0 << 0 << "9, '0.300', '01'"
            << "" << QString(ja).remove("Truck 3") + "アルコール検知 |" << kLightRed;
        QTest::newRow("unknown log number")
            << 0 << 0 << unknown << "Truck 3" << ja + "セットエラー |" << QColor();
        QTest::newRow("unknown log number, english")
            << 1 << 0 << unknown << "Truck 3" << en + "Set Error |" << QColor();
    }
    void rowTexts()
    {
        QFETCH(int, eng);
        QFETCH(int, editionA);
        QFETCH(QString, log);
        QFETCH(QString, name);
        QFETCH(QString, cells);
        QFETCH(QColor, colour);
        Session s(Switches{.Eng_Flg = eng, .A_Flg = editionA});
        s.insertLog("'0090', '2024-05-15 08:05:09', '12', " + log);
        if (!name.isEmpty())
            s.app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0090', '" + name +
                             "')");
        s.w().Opt_Naiyou[0]->click(); // today's range is the default; every content
        s.w().Cmd_Find->click();
        QCOMPARE(s.rows(), QStringList{cells});
        QCOMPARE(s.grid().rowColor(1), colour);
        QVERIFY(s.app.dialogs.messages.isEmpty());
    }

    void sortingByHeadingButtons()
    {
        Session s;
        s.insertLog("'0002', '2024-03-01 09:00:00', '1', 8, '0.100', '01'");
        s.insertLog("'0003', '2024-01-01 08:00:00', '2', 1, NULL, NULL");
        s.insertLog("'0001', '2024-02-01 17:00:00', '3', 9, NULL, NULL");
        Frm_Main& w = s.w();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
        w.Cmd_Find->click();
        const QMap<QString, QColor> colours{
            {"X00 0001", kLightRed}, {"X00 0002", kLightBlue}, {"X00 0003", QColor()}};
        // The button clicked, then the units top to bottom: date descending then ascending, another
        // column starts descending, the time column, and the date column's own memory.
        const std::pair<int, QStringList> steps[] = {
            {3, {"X00 0002", "X00 0001", "X00 0003"}}, {3, {"X00 0003", "X00 0001", "X00 0002"}},
            {0, {"X00 0003", "X00 0002", "X00 0001"}}, {4, {"X00 0001", "X00 0002", "X00 0003"}},
            {4, {"X00 0003", "X00 0002", "X00 0001"}}, {3, {"X00 0002", "X00 0001", "X00 0003"}}};
        for (const auto& [button, units] : steps) {
            w.Cmb_Sort[button]->click();
            QCOMPARE(s.rows({0}), units);
            for (int r = 1; r < s.grid().Rows(); ++r) // colours stay with their rows
                QCOMPARE(s.grid().rowColor(r), colours.value(s.grid().TextMatrix(r, 0)));
        }
        QCOMPARE(s.rows({0, 3, 4}).first(), QStringLiteral("X00 0002|2024年03月01日|09時00分00秒"));
        QCOMPARE(s.rows({0, 1, 2, 3, 4, 5, 6}, 0).first(), // the heading row stays on top
                 QStringLiteral("ユニット|機器名称|No|年月日|時間|内容|"));
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TstMainSearch)
#include "tst_main_search.moc"

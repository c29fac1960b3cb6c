// The searches and the result grid on real database files.
#include "base/texts/grid.h"
#include "db/sql_text.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "search/log_search.h"
#include "support/search_criteria.h"
#include "support/test_db.h"

#include <QHeaderView>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

// Rows inserted with bound values, so that control characters need no engine function.
void insertRows(Database& db, const QString& sql, const QList<QVariantList>& rows)
{
    for (const QVariantList& row : rows)
        db.execute(sql, row);
}

QString colourName(const QColor& c)
{
    return c.isValid() ? c.name() : QString();
}

// Every data row, top to bottom, as the view is given it: its cells, its text colour and its
// background joined by "|".
QStringList gridRows(const LogGridModel& m)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < LogGridModel::Cols; ++c)
            cells << m.index(r, c).data().toString();
        for (const int role : {Qt::ForegroundRole, Qt::BackgroundRole})
            cells << colourName(m.index(r, 0).data(role).value<QColor>());
        out << cells.join('|');
    }
    return out;
}

// The contrast ratio of two colours as WCAG 2 defines it.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TstLogGrid : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ja_ = std::make_unique<TestApp>();
        en_ = std::make_unique<TestApp>(Switches{.Eng_Flg = 1});
        for (TestApp* a : {ja_.get(), en_.get()}) {
            a->db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'A', '0012'), "
                          "(2, 'A', '0080'), (1, 'B', '0099'), (1, 'O''Neil', '7''7')");
            a->db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES "
                          "(60, '', 'Memo'), (61, 'it''s', 'its'), (62, 'x', 'select　　A')");
            a->db.execute("INSERT INTO Log_Data (Data_No, Unit_SN, Date, Log_No) VALUES "
                          "('1', '0012', '2024-05-01 00:00:00', 8), "
                          "('2', '0080', '2024-05-31 23:59:59', 9), "
                          "('3', '0012', '2024-04-30 23:59:59', 8), "
                          "('4', '0080', '2024-06-01 00:00:00', 10), "
                          "('5', '0099', '2024-05-15 12:00:00', 21), "
                          "('6', '7''7', '2024-02-29 00:00:00', 17), "
                          "('7', '00''1', '2024-02-29 23:59:59', 61), "
                          "('8', '001234', '2024-03-01 00:00:00', 60), "
                          "('9', '', '2024-03-02 10:00:00', 62), "
                          "('10', '複数選択　　B', '2024-03-03 10:00:00', 8)");
        }
    }
    // "found": the Data_No of the logs found, "problem": "number: detail" when the search is kept
    // from running.
    void plan_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<SearchCriteria>("criteria");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, bool english, const SearchCriteria& c,
                            const char* found) {
            QTest::newRow(name) << english << c << QString(found) << QString();
        };
        using enum SearchPlan::Problem;
        const auto blocked = [](const char* name, const SearchCriteria& c, SearchPlan::Problem p,
                                const QString& detail, bool english = false) {
            QTest::newRow(name) << english << c << QString()
                                << QString::number(int(p)) + ": " + detail;
        };
        const QString may = "2024/05/01-2024/05/31";
        row("all", false, criteria({}), "1 2 3 4 5 6 7 8 9 10");
        row("may, first and last second", false, criteria(may), "1 2 5");
        row("29 February 2024", false, criteria("2024/02/29-2024/02/29"), "6 7");
        row("unit 0012", false, criteria({}, "0012 (Truck )"), "1 3");
        row("range and both sets", false, criteria(may, "複数選択　　A", "複数選択　　標準セット"),
            "1 2");
        row("range and both sets, English", true,
            criteria(may, "SELECT　　A", "SELECT　　Standard set"), "1 2");
        row("unit then content", false, criteria({}, "0080 ( )", "アルコール検知"), "2");
        row("content with only an English text", false, criteria({}, {}, "Memo"), "8");
        row("English content", true, criteria({}, {}, "Alcohol measurement"), "1 3 10");
        row("prefix compared with case", true, criteria({}, {}, "select　　A"), "9");
        row("name containing the prefix loses it", false, criteria({}, "複数選択　　複数選択　　B"),
            "5");
        row("Japanese prefix in English is no set", true, criteria({}, "複数選択　　B"), "10");
        row("six-digit serial", false, criteria({}, "001234 (Van )"), "8");
        row("typed serial is whole", false, criteria({}, "00123"), "");
        row("empty serial", false, criteria({}, " (Spare )"), "9");
        row("quoted unit", false, criteria({}, "00'1 (x )"), "7");
        row("quoted content", false, criteria({}, {}, "it's"), "7");
        row("quoted set name and value", false, criteria({}, "複数選択　　O'Neil"), "6");
        blocked("typed content with the prefix is a set", criteria({}, {}, "SELECTION"),
                EmptyContentSet, "SELECTION", true);
        blocked("31 February", criteria("2024/02/01-2024/02/31"), BadDate, "2024/02/31");
        blocked("29 February 2023", criteria("2023/02/29-2023/03/01"), BadDate, "2023/02/29");
        blocked("unit set without rows", criteria({}, "複数選択　　Z"), EmptyUnitSet, "Z");
        blocked("content set without rows", criteria({}, {}, "複数選択　　Z"), EmptyContentSet,
                "Z");
        blocked("date before set", criteria("2024/04/31-2024/05/01", "複数選択　　Z"), BadDate,
                "2024/04/31");
    }
    void plan()
    {
        QFETCH(bool, english);
        QFETCH(SearchCriteria, criteria);
        QFETCH(QString, found);
        QFETCH(QString, problem);
        TestApp& app = english ? *en_ : *ja_;
        const SearchPlan p = planSearch(app.db, criteria, app.ctx.sw);
        QCOMPARE(p.problem == SearchPlan::Problem::None
                     ? QString()
                     : QString::number(int(p.problem)) + ": " + p.detail,
                 problem);
        if (!problem.isEmpty())
            return;
        LogGridModel model;
        QVERIFY(runSearch(app.db, app.ctx.sw, criteria, model).ok());
        QStringList got;
        for (int r = 1; r < model.Rows(); ++r)
            got << model.TextMatrix(r, 2);
        std::sort(got.begin(), got.end(), [](auto& x, auto& y) { return x.toInt() < y.toInt(); });
        QCOMPARE(got.join(' '), found);
    }
    // Logs with fields a row must show right (no master text, Naiyou2 only, no name nor date, tab
    // and line ends); each search gives its whole rows, sorted, or a message and an empty grid.
    void searches_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<SearchCriteria>("search");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, bool en, const SearchCriteria& c,
                            const QStringList& rows, const QString& message = {}) {
            QTest::newRow(name) << en << c << rows << message;
        };
        using namespace texts::grid;
        const QString day = "|2024年05月01日|09時43分01秒|";
        row("alcohol without master text", true, criteria({}, "0080 (Truck 1 )"),
            {"X00 0080|Truck 1|0001|2024/05/01|09:43:01|Set Error 0.15001||#0000ff|"});
        row("content shown from Naiyou2", false, criteria({}, {}, "Memo"),
            {"X00 0090||0002" + day + "Memo |||"});
        row("six-digit unit, null name, no date", false, criteria({}, "001234 ( )"),
            {"X00 001234||0003|||時刻設定 |||"});
        row("tab and line ends become blanks", false, criteria({}, "0012"),
            {"X00 0012|a b  c|0 1" + day + "x y |||"});
        row("colours of 10 and 17", false, criteria({}, "0077"),
            {"X00 0077||0004" + day + "アルコール再測定 ||#ffff00|#000000",
             "X00 0077||0005" + day + "測定エラー ||#ff0000|#000000"});
        row("unit set without rows", true, criteria({}, "SELECT　　Nobody"), {},
            EmptyUnitSet.en_().arg("Nobody"));
        row("engine error", false, criteria({}), {}, SearchFailed.ja_()); // and the engine's words
    }
    void searches()
    {
        QFETCH(bool, english);
        QFETCH(SearchCriteria, search);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        TestApp app(Switches{.Eng_Flg = english});
        app.db.execute("DELETE FROM Log_Master WHERE Log_No = 8");
        insertRows(app.db, "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (?, ?, ?)",
                   {{60, "", "Memo"}, {61, "x\ty", ""}});
        insertRows(app.db, "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)",
                   {{"0080", "Truck 1"}, {"0012", "a\tb\r\nc"}});
        addLog(app.db, "0080", "2024-05-01 09:43:01", "0001", 8);
        addLog(app.db, "0090", "2024-05-01 09:43:01", "0002", 60);
        addLog(app.db, "001234", QVariant(), "0003", 3);
        addLog(app.db, "0012", "2024-05-01 09:43:01", "0\t1", 61);
        addLog(app.db, "0077", "2024-05-01 09:43:01", "0004", 10);
        addLog(app.db, "0077", "2024-05-01 09:43:01", "0005", 17);

        // A full grid is replaced, never added to, and emptied when the search fails.
        LogGridModel model;
        QCOMPARE(runSearch(app.db, app.ctx.sw, criteria({}), model).rows, 6);
        if (QTest::currentDataTag() == QLatin1String("engine error"))
            app.db.execute("DROP VIEW V_Log_Data");
        const SearchOutcome out = runSearch(app.db, app.ctx.sw, search, model);
        if (message.endsWith("%1"))
            QVERIFY2(out.message.startsWith(message.chopped(2)) &&
                         out.message.size() > message.size(),
                     qPrintable(out.message));
        else
            QCOMPARE(out.message, message);
        QCOMPARE(out.rows, rows.size());
        QStringList shown = gridRows(model);
        shown.sort();
        QCOMPARE(shown, rows);
    }

    // Logs at the ends of the range of dates packed into a row and next to them, with no date,
    // long and odd data numbers, log numbers with and without master texts: each row as shown;
    // every sort on every column, either way, is stable and case-blind, colours with their rows.
    void packedRowsAndSorts()
    {
        TestApp app;
        insertRows(app.db, "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (?, ?, ?)",
                   {{60, "", "Memo"}, {61, "a\nb", "A\tB"}, {62, "x", "X"}});
        insertRows(app.db, "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)",
                   {{"0080", "Truck"}, {"0012", "truck"}, {"7'7", "t\tab"}, {"", "no serial"}});
        addLog(app.db, "0080", "2000-01-01 00:00:00", "1", 8, "0.150", "01");
        addLog(app.db, "0012", "1999-12-31 23:59:59", "2", 9, "", QVariant());
        addLog(app.db, "7'7", "2089-09-16 23:59:59", "3", 17, "9.999", "0A");
        addLog(app.db, "", "2089-09-17 00:00:00", "4", 99, "0.000", "");
        addLog(app.db, "123456", "2024-02-29 12:00:00", "12345678", QVariant(), "", "");
        addLog(app.db, "0003", QVariant(), "123456789", 60, "", QVariant());
        addLog(app.db, "0080", "0001-01-01 10:00:00", "00A1", 61, "", "");
        addLog(app.db, "0012", "9999-12-31 23:59:59", "", 62, "", "");
        LogGridModel model;
        QCOMPARE(runSearch(app.db, app.ctx.sw, criteria({}), model).message, QString());
        QStringList rows{
            "X00 0080|Truck|1|2000年01月01日|00時00分00秒|アルコール測定 0.15001||#0000ff|",
            "X00 0012|truck|2|1999年12月31日|23時59分59秒|アルコール検知 ||#ff0000|#000000",
            "X00 7'7|t ab|3|2089年09月16日|23時59分59秒|測定エラー ||#ff0000|#000000",
            "X00 |no serial|4|2089年09月17日|00時00分00秒|セットエラー |||",
            "X00 123456||12345678|2024年02月29日|12時00分00秒|セットエラー |||",
            "X00 0003||123456789|||Memo |||",
            "X00 0080|Truck|00A1|0001年01月01日|10時00分00秒|a b |||",
            "X00 0012|truck||9999年12月31日|23時59分59秒|x |||"};
        QCOMPARE(gridRows(model), rows);
        rows.sort();
        // The data numbers after each sort, descending then ascending, column by column.
        const QStringList orders{
            "3,12345678,1,00A1,2,,123456789,4", "4,123456789,2,,1,00A1,12345678,3",
            "2,,1,00A1,3,4,123456789,12345678", "123456789,12345678,4,3,2,,1,00A1",
            "4,3,2,123456789,12345678,1,00A1,", ",00A1,1,12345678,123456789,2,3,4",
            ",4,3,12345678,1,2,00A1,123456789", "123456789,00A1,2,1,12345678,3,4,",
            "2,3,,12345678,00A1,1,4,123456789", "123456789,1,4,00A1,12345678,2,3,",
            "3,4,12345678,1,2,,123456789,00A1", "00A1,123456789,,2,1,4,12345678,3",
            "00A1,123456789,,2,1,4,12345678,3", "00A1,123456789,,2,1,4,12345678,3"};
        for (int k = 0; k < orders.size(); ++k) {
            model.sortColumn(k / 2, k % 2 == 0);
            QStringList shown = gridRows(model), order;
            for (const QString& row : shown)
                order << row.section('|', 2, 2);
            QCOMPARE(order.join(','), orders[k]);
            shown.sort();
            QCOMPARE(shown, rows); // each row whole, its colours with it
        }
    }

    void rowColoursRead_data()
    {
        QTest::addColumn<QVariant>("logNo");
        QTest::addColumn<QColor>("text");
        QTest::newRow("8, blue") << QVariant(8) << QColor(0, 0, 255);
        QTest::newRow("10, yellow") << QVariant(10) << QColor(255, 255, 0);
        QTest::newRow("17, red") << QVariant(17) << QColor(255, 0, 0);
        QTest::newRow("no log number, black") << QVariant() << QColor(0, 0, 0);
    }

    // Every row keeps its text colour, as painted, and reads on the background painted under it
    // (WCAG contrast of at least 4.5 : 1), selected or not; the selection shows.
    void rowColoursRead()
    {
        QFETCH(QVariant, logNo);
        QFETCH(QColor, text);
        TestApp app;
        app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck')");
        addLog(app.db, "0080", "2024-05-01 09:43:01", "0001", logNo);
        LogGridView view;
        runSearch(app.db, app.ctx.sw, criteria({}), *view.gridModel());
        QFont big = view.font(); // stems of whole pixels in the text colour
        big.setPixelSize(28);
        view.setFont(big);
        view.verticalHeader()->setDefaultSectionSize(40);
        view.resize(1400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QColor background[2];
        for (const bool select : {false, true}) {
            select ? view.selectAll() : view.clearSelection();
            const QImage drawn = view.viewport()->grab().toImage();
            for (int col = 0; col < 6; ++col) {
                const QRect cell =
                    view.visualRect(view.model()->index(0, col)).adjusted(2, 2, -2, -2);
                const QColor under = drawn.pixelColor(cell.topLeft());
                bool painted = false;
                for (int y = cell.top(); y <= cell.bottom() && !painted; ++y)
                    for (int x = cell.left(); x <= cell.right() && !painted; ++x)
                        painted = drawn.pixelColor(x, y) == text;
                QVERIFY2(painted,
                         qPrintable(QString("column %1 on %2").arg(col).arg(under.name())));
                QVERIFY2(contrast(text, under) >= 4.5,
                         qPrintable(text.name() + " on " + under.name()));
                if (col > 0)
                    QCOMPARE(under, background[select]);
                background[select] = under;
            }
        }
        QVERIFY(background[0] != background[1]);
    }

private:
    std::unique_ptr<TestApp> ja_, en_;
};

QTEST_MAIN(TstLogGrid)
#include "tst_log_grid.moc"

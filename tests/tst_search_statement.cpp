// The logs a search finds for the criteria, on logs stored at the first and the last second of a
// range and just outside it, and the criteria that keep a search from running.
#include "db/database.h"
#include "grid/log_grid_model.h"
#include "search/log_search.h"
#include "support/search_criteria.h"
#include "support/test_db.h"

#include <QTest>
#include <memory>

class TstSearchStatement : public QObject {
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
            // Data_No names each log.
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

private:
    std::unique_ptr<TestApp> ja_, en_;
};

QTEST_GUILESS_MAIN(TstSearchStatement)
#include "tst_search_statement.moc"

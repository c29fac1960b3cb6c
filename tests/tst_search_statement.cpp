// The search statement built from the criteria, byte for byte, and the
// criteria that keep a search from running.
#include "db/database.h"
#include "main/log_search.h"
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
        for (TestApp* a : {ja_.get(), en_.get()})
            a->db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'A', '0012'), "
                          "(2, 'A', '0080'), (1, 'B', '0099'), (1, 'O''Neil', '7''7')");
    }
    // A null statement is not compared; "problem" is "number: detail", empty when none.
    void plan_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<SearchCriteria>("criteria");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, bool english, const SearchCriteria& c,
                            const QString& condition, const QString& problem = "") {
            QTest::newRow(name) << english << c << "SELECT * From V_Log_Data " + condition + " ;"
                                << problem;
        };
        using enum SearchPlan::Problem;
        const auto blocked = [](const char* name, const SearchCriteria& c, SearchPlan::Problem p,
                                const QString& detail) {
            QTest::newRow(name) << false << c << QString()
                                << QString::number(int(p)) + ": " + detail;
        };
        const QString may = "2024/05/01-2024/05/31",
                      mayClause = "WHERE (Date >= #2024/05/01 00:00:00# AND Date <= #2024/05/31 "
                                  "23:59:59#) ",
                      sets = "AND ( Unit_SN = '0012' OR Unit_SN = '0080' )AND ( Naiyou = "
                             "'アルコール測定' OR Naiyou = 'アルコール検知' OR Naiyou = "
                             "'アルコール再測定' OR Naiyou = '測定エラー' )";
        row("all", false, criteria({}), QString());
        row("may only", false, criteria(may), mayClause);
        row("unit 0012", false, criteria({}, "0012 (Truck )"), "WHERE Unit_SN = '0012' ");
        row("range and both sets", false, criteria(may, "複数選択　　A", "複数選択　　標準セット"),
            mayClause + sets);
        row("range and both sets, English", true,
            criteria(may, "SELECT　　A", "SELECT　　Standard set"), mayClause + sets);
        row("unit then content", false, criteria({}, "0080 ( )", "測定開始"),
            "WHERE Unit_SN = '0080' AND (Naiyou = '測定開始' OR (Naiyou = '' AND Naiyou2 = "
            "'測定開始')) ");
        row("typed content with the prefix is a set", true, criteria({}, {}, "SELECTION"),
            "WHERE ( )", QString::number(int(EmptyContentSet)) + ": SELECTION");
        row("prefix compared with case", true, criteria({}, {}, "select　　A"),
            "WHERE Naiyou2 = 'select　　A' ");
        row("name containing the prefix loses it", false, criteria({}, "複数選択　　複数選択　　B"),
            "WHERE ( Unit_SN = '0099' )");
        row("Japanese prefix in English is no set", true, criteria({}, "複数選択　　B"),
            "WHERE Unit_SN = '複数選択　　B' ");
        row("six-digit serial", false, criteria({}, "001234 (Van )"), "WHERE Unit_SN = '001234' ");
        row("typed serial", false, criteria({}, "00123"), "WHERE Unit_SN = '00123' ");
        row("empty serial", false, criteria({}, " (Spare )"), "WHERE Unit_SN = '' ");
        row("English content", true, criteria({}, {}, "Alcohol measurement"),
            "WHERE Naiyou2 = 'Alcohol measurement' ");
        row("quoted unit", false, criteria({}, "00'1 (x )"), "WHERE Unit_SN = '00''1' ");
        row("quoted content", false, criteria({}, {}, "it's"),
            "WHERE (Naiyou = 'it''s' OR (Naiyou = '' AND Naiyou2 = 'it''s')) ");
        row("quoted set name and value", false, criteria({}, "複数選択　　O'Neil"),
            "WHERE ( Unit_SN = '7''7' )");
        row("29 February 2024", false, criteria("2024/02/29-2024/02/29"),
            "WHERE (Date >= #2024/02/29 00:00:00# AND Date <= #2024/02/29 23:59:59#) ");
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
        QFETCH(QString, statement);
        QFETCH(QString, problem);
        TestApp& app = english ? *en_ : *ja_;
        const SearchPlan p = planSearch(app.db, criteria, app.ctx.sw);
        if (!statement.isNull())
            QCOMPARE(buildSearchStatement(app.db, criteria, app.ctx.sw), statement);
        QCOMPARE(p.problem == SearchPlan::Problem::None
                     ? QString()
                     : QString::number(int(p.problem)) + ": " + p.detail,
                 problem);
    }

private:
    std::unique_ptr<TestApp> ja_, en_;
};

QTEST_GUILESS_MAIN(TstSearchStatement)
#include "tst_search_statement.moc"

// The search statement built from the criteria, byte for byte, and the
// criteria that keep a search from running.
#include "app/database.h"
#include "main/log_search.h"
#include "support/test_db.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace {

// range "yyyy/mm/dd-yyyy/mm/dd" or "" for all dates; a null unit or content
// text leaves that group on "all".
SearchCriteria criteria(const QString& range, const QString& unit = {}, const QString& content = {})
{
    SearchCriteria c;
    c.dateRange = !range.isEmpty();
    const QStringList d = range.split(QRegularExpression("[-/]"));
    for (int i = 0; c.dateRange && i < 2; ++i)
        c.year[i] = d[3 * i], c.month[i] = d[3 * i + 1], c.day[i] = d[3 * i + 2];
    c.oneUnit = !unit.isNull();
    c.unitText = unit;
    c.oneContent = !content.isNull();
    c.contentText = content;
    return c;
}

const QString kRange = QStringLiteral("2024/05/01-2024/05/31");
const QString kRangeClause =
    QStringLiteral("WHERE (Date >= #2024/05/01 00:00:00# AND Date <= #2024/05/31 23:59:59#) ");
const QString kStandardSetPredicate =
    QStringLiteral("( Naiyou = 'アルコール測定' OR Naiyou = 'アルコール検知' OR "
                   "Naiyou = 'アルコール再測定' OR Naiyou = '測定エラー' )");

} // namespace

Q_DECLARE_METATYPE(SearchCriteria)

class TstSearchStatement : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void statement_data();
    void statement();
    void blockedSearches_data();
    void blockedSearches();

private:
    std::unique_ptr<TestApp> ja_, en_;
    TestApp& app(bool english) { return english ? *en_ : *ja_; }
};

void TstSearchStatement::initTestCase()
{
    ja_ = std::make_unique<TestApp>();
    en_ = std::make_unique<TestApp>(Switches{.Eng_Flg = 1});
    for (TestApp* a : {ja_.get(), en_.get()})
        a->db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'A', '0012'), "
                      "(2, 'A', '0080'), (1, 'B', '0099'), (1, 'O''Neil', '7''7')");
}

void TstSearchStatement::statement_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QString>("expected");

    const QString base = "SELECT * From V_Log_Data ";
    const auto row = [&](const char* name, bool english, const SearchCriteria& c,
                         const QString& condition) {
        QTest::newRow(name) << english << c << (base + condition + " ;");
    };

    // The fixed forms.
    row("all", false, criteria({}), QString());
    row("may only", false, criteria(kRange), kRangeClause);
    row("unit 0012", false, criteria({}, "0012 (Truck )"), "WHERE Unit_SN = '0012' ");
    row("range and both sets", false, criteria(kRange, "複数選択　　A", "複数選択　　標準セット"),
        kRangeClause + "AND ( Unit_SN = '0012' OR Unit_SN = '0080' )AND " + kStandardSetPredicate);
    row("range and both sets, English", true,
        criteria(kRange, "SELECT　　A", "SELECT　　Standard set"),
        kRangeClause + "AND ( Unit_SN = '0012' OR Unit_SN = '0080' )AND " + kStandardSetPredicate);
    row("unit then content", false, criteria({}, "0080 ( )", "測定開始"),
        "WHERE Unit_SN = '0080' AND (Naiyou = '測定開始' OR (Naiyou = '' AND Naiyou2 = "
        "'測定開始')) ");

    // Set entries: the prefix is compared exactly; every prefix with its two
    // ideographic spaces is removed from the name.
    row("typed content with the prefix is a set", true, criteria({}, {}, "SELECTION"), "WHERE ( )");
    row("prefix compared with case", true, criteria({}, {}, "select　　A"),
        "WHERE Naiyou2 = 'select　　A' ");
    row("name containing the prefix loses it", false, criteria({}, "複数選択　　複数選択　　B"),
        "WHERE ( Unit_SN = '0099' )");
    row("Japanese prefix in English is no set", true, criteria({}, "複数選択　　B"),
        "WHERE Unit_SN = '複数選択　　B' ");

    // The single unit: the whole serial number before " (".
    row("six-digit serial", false, criteria({}, "001234 (Van )"), "WHERE Unit_SN = '001234' ");
    row("typed serial", false, criteria({}, "00123"), "WHERE Unit_SN = '00123' ");
    row("empty serial", false, criteria({}, " (Spare )"), "WHERE Unit_SN = '' ");

    // The single content: the text that the list showed.
    row("English content", true, criteria({}, {}, "Alcohol measurement"),
        "WHERE Naiyou2 = 'Alcohol measurement' ");

    // Quotes never change the statement.
    row("quoted unit", false, criteria({}, "00'1 (x )"), "WHERE Unit_SN = '00''1' ");
    row("quoted content", false, criteria({}, {}, "it's"),
        "WHERE (Naiyou = 'it''s' OR (Naiyou = '' AND Naiyou2 = 'it''s')) ");
    row("quoted set name and value", false, criteria({}, "複数選択　　O'Neil"),
        "WHERE ( Unit_SN = '7''7' )");
}

void TstSearchStatement::statement()
{
    QFETCH(bool, english);
    QFETCH(SearchCriteria, criteria);
    QFETCH(QString, expected);
    QCOMPARE(buildSearchStatement(app(english).db, criteria, app(english).ctx.sw), expected);
}

void TstSearchStatement::blockedSearches_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("detail");

    const auto row = [](const char* name, const SearchCriteria& c,
                        SearchPlan::Problem p = SearchPlan::Problem::None,
                        const QString& detail = {}) {
        QTest::newRow(name) << c << int(p) << detail;
    };
    using enum SearchPlan::Problem;
    row("31 February", criteria("2024/02/01-2024/02/31"), BadDate, "2024/02/31");
    row("29 February 2023", criteria("2023/02/29-2023/03/01"), BadDate, "2023/02/29");
    row("29 February 2024", criteria("2024/02/29-2024/02/29"));
    row("first after last", criteria("2024/06/01-2024/05/01"));
    row("unit set without rows", criteria({}, "複数選択　　Z"), EmptyUnitSet, "Z");
    row("content set without rows", criteria({}, {}, "複数選択　　Z"), EmptyContentSet, "Z");
    row("date before set", criteria("2024/04/31-2024/05/01", "複数選択　　Z"), BadDate,
        "2024/04/31");
}

void TstSearchStatement::blockedSearches()
{
    QFETCH(SearchCriteria, criteria);
    QFETCH(int, problem);
    QFETCH(QString, detail);
    const SearchPlan plan = planSearch(ja_->db, criteria, ja_->ctx.sw);
    QCOMPARE(int(plan.problem), problem);
    QCOMPARE(plan.detail, detail);
}

QTEST_GUILESS_MAIN(TstSearchStatement)
#include "tst_search_statement.moc"

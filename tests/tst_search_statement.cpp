// The search statement built from the criteria: the exact texts of the fixed
// forms, the set predicates, the mended single-unit and single-content
// clauses, quoting, and the criteria that keep a search from running.
#include "app/database.h"
#include "main/log_search.h"
#include "support/test_db.h"

#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

// "yyyy/mm/dd-yyyy/mm/dd" gives a range; "" all dates. A null unit or content
// text leaves that group on "all".
SearchCriteria criteria(const QString& range, const QString& unit, const QString& content)
{
    SearchCriteria c;
    c.dateRange = !range.isEmpty();
    if (c.dateRange) {
        const QStringList days = range.split(QLatin1Char('-'));
        for (int i = 0; i < 2; ++i) {
            const QStringList p = days[i].split(QLatin1Char('/'));
            c.year[i] = p[0];
            c.month[i] = p[1];
            c.day[i] = p[2];
        }
    }
    c.oneUnit = !unit.isNull();
    c.unitText = unit;
    c.oneContent = !content.isNull();
    c.contentText = content;
    return c;
}

void addUnitSet(Database& db, const QString& name, const QStringList& units)
{
    int no = 1;
    for (const QString& unit : units) {
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (?, ?, ?)"));
        q.addBindValue(no++);
        q.addBindValue(name);
        q.addBindValue(unit);
        QVERIFY(q.exec());
    }
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
    void setPredicates();
    void blockedSearches_data();
    void blockedSearches();

private:
    std::unique_ptr<TestApp> ja_, en_;
    TestApp& app(bool english) { return english ? *en_ : *ja_; }
};

void TstSearchStatement::initTestCase()
{
    Switches en;
    en.Eng_Flg = 1;
    ja_ = std::make_unique<TestApp>();
    en_ = std::make_unique<TestApp>(en);
    for (TestApp* a : {ja_.get(), en_.get()}) {
        addUnitSet(a->db, QStringLiteral("A"), {QStringLiteral("0012"), QStringLiteral("0080")});
        addUnitSet(a->db, QStringLiteral("B"), {QStringLiteral("0099")});
        addUnitSet(a->db, QStringLiteral("O'Neil"), {QStringLiteral("7'7")});
    }
}

void TstSearchStatement::statement_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QString>("expected");

    const QString none;
    const QString base = QStringLiteral("SELECT * From V_Log_Data ");
    const auto row = [&](const char* name, bool english, const SearchCriteria& c,
                         const QString& condition) {
        QTest::newRow(name) << english << c << (base + condition + QStringLiteral(" ;"));
    };

    // The fixed forms.
    row("all", false, criteria({}, none, none), QString());
    row("may only", false, criteria(kRange, none, none), kRangeClause);
    row("unit 0012", false, criteria({}, QStringLiteral("0012 (Truck )"), none),
        QStringLiteral("WHERE Unit_SN = '0012' "));
    row("range and both sets", false,
        criteria(kRange, QStringLiteral("複数選択　　A"), QStringLiteral("複数選択　　標準セット")),
        kRangeClause + QStringLiteral("AND ( Unit_SN = '0012' OR Unit_SN = '0080' )AND ") +
            kStandardSetPredicate);
    row("range and both sets, English", true,
        criteria(kRange, QStringLiteral("SELECT　　A"), QStringLiteral("SELECT　　Standard set")),
        kRangeClause + QStringLiteral("AND ( Unit_SN = '0012' OR Unit_SN = '0080' )AND ") +
            kStandardSetPredicate);
    row("unit then content", false,
        criteria({}, QStringLiteral("0080 ( )"), QStringLiteral("測定開始")),
        QStringLiteral("WHERE Unit_SN = '0080' AND (Naiyou = '測定開始' OR (Naiyou = '' AND "
                       "Naiyou2 = '測定開始')) "));

    // Set entries: the prefix is compared exactly; every prefix with its two
    // ideographic spaces is removed from the name.
    row("typed content with the prefix is a set", true,
        criteria({}, none, QStringLiteral("SELECTION")), QStringLiteral("WHERE ( )"));
    row("prefix compared with case", true, criteria({}, none, QStringLiteral("select　　A")),
        QStringLiteral("WHERE Naiyou2 = 'select　　A' "));
    row("name containing the prefix loses it", false,
        criteria({}, QStringLiteral("複数選択　　複数選択　　B"), none),
        QStringLiteral("WHERE ( Unit_SN = '0099' )"));
    row("Japanese prefix in English is no set", true,
        criteria({}, QStringLiteral("複数選択　　B"), none),
        QStringLiteral("WHERE Unit_SN = '複数選択　　B' "));

    // The single unit: the whole serial number before " (".
    row("six-digit serial", false, criteria({}, QStringLiteral("001234 (Van )"), none),
        QStringLiteral("WHERE Unit_SN = '001234' "));
    row("typed serial", false, criteria({}, QStringLiteral("00123"), none),
        QStringLiteral("WHERE Unit_SN = '00123' "));
    row("empty serial", false, criteria({}, QStringLiteral(" (Spare )"), none),
        QStringLiteral("WHERE Unit_SN = '' "));

    // The single content: the text that the list showed.
    row("English content", true, criteria({}, none, QStringLiteral("Alcohol measurement")),
        QStringLiteral("WHERE Naiyou2 = 'Alcohol measurement' "));

    // Quotes never change the statement.
    row("quoted unit", false, criteria({}, QStringLiteral("00'1 (x )"), none),
        QStringLiteral("WHERE Unit_SN = '00''1' "));
    row("quoted content", false, criteria({}, none, QStringLiteral("it's")),
        QStringLiteral("WHERE (Naiyou = 'it''s' OR (Naiyou = '' AND Naiyou2 = 'it''s')) "));
    row("quoted set name and value", false,
        criteria({}, QStringLiteral("複数選択　　O'Neil"), none),
        QStringLiteral("WHERE ( Unit_SN = '7''7' )"));
}

void TstSearchStatement::statement()
{
    QFETCH(bool, english);
    QFETCH(SearchCriteria, criteria);
    QFETCH(QString, expected);
    QCOMPARE(buildSearchStatement(app(english).db, criteria, app(english).ctx.sw), expected);
}

void TstSearchStatement::setPredicates()
{
    QCOMPARE(Unit_Where(ja_->db, QStringLiteral("A")),
             QStringLiteral("( Unit_SN = '0012' OR Unit_SN = '0080' )"));
    QCOMPARE(Naiyou_Where(en_->db, QStringLiteral("Standard set")), kStandardSetPredicate);
    QCOMPARE(Unit_Where(ja_->db, QStringLiteral("none")), QStringLiteral("( )"));
}

void TstSearchStatement::blockedSearches_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("detail");

    const QString none;
    const auto row = [](const char* name, const SearchCriteria& c, SearchPlan::Problem p,
                        const QString& detail) { QTest::newRow(name) << c << int(p) << detail; };
    row("31 February", criteria(QStringLiteral("2024/02/01-2024/02/31"), none, none),
        SearchPlan::Problem::BadDate, QStringLiteral("2024/02/31"));
    row("29 February 2023", criteria(QStringLiteral("2023/02/29-2023/03/01"), none, none),
        SearchPlan::Problem::BadDate, QStringLiteral("2023/02/29"));
    row("29 February 2024", criteria(QStringLiteral("2024/02/29-2024/02/29"), none, none),
        SearchPlan::Problem::None, QString());
    row("first after last", criteria(QStringLiteral("2024/06/01-2024/05/01"), none, none),
        SearchPlan::Problem::None, QString());
    row("unit set without rows", criteria({}, QStringLiteral("複数選択　　Z"), none),
        SearchPlan::Problem::EmptyUnitSet, QStringLiteral("Z"));
    row("content set without rows", criteria({}, none, QStringLiteral("複数選択　　Z")),
        SearchPlan::Problem::EmptyContentSet, QStringLiteral("Z"));
    row("date before set",
        criteria(QStringLiteral("2024/04/31-2024/05/01"), QStringLiteral("複数選択　　Z"), none),
        SearchPlan::Problem::BadDate, QStringLiteral("2024/04/31"));
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

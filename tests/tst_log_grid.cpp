// The result grid on real database files: cell texts and colours, searches
// into the grid (and the ones that leave it empty with a message), sorting,
// and the wheel on a shown view.
#include "app/database.h"
#include "app/sql_text.h"
#include "app/texts.h"
#include "main/log_grid_model.h"
#include "main/log_grid_view.h"
#include "main/log_row_format.h"
#include "main/log_search.h"
#include "support/test_db.h"

#include <QApplication>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QWheelEvent>
#include <random>

namespace {

// One stored log; WDate is fixed.
void addLog(Database& db, const QVariant& unit, const QVariant& date, const QVariant& dataNo,
            const QVariant& logNo, const QVariant& alcohol = "0.150", const QVariant& tani = "01")
{
    QSqlQuery q(db.connection());
    q.prepare("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
              "VALUES (?, ?, ?, ?, ?, ?, '2024-05-15 10:00:00')");
    for (const QVariant& v : {unit, date, dataNo, logNo, alcohol, tani})
        q.addBindValue(v);
    QVERIFY(q.exec());
}

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

QStringList rowTexts(const LogGridModel& m, int row)
{
    QStringList out;
    for (int c = 0; c < LogGridModel::Cols; ++c)
        out << m.TextMatrix(row, c);
    return out;
}

// Column `col` of every data row, top to bottom.
QStringList column(const LogGridModel& m, int col)
{
    QStringList out;
    for (int r = 1; r < m.Rows(); ++r)
        out << m.TextMatrix(r, col);
    return out;
}

const QColor kBlue(0, 0, 255), kRed(255, 0, 0), kYellow(255, 255, 0);

} // namespace

Q_DECLARE_METATYPE(SearchCriteria)

class TstLogGrid : public QObject {
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void searches_data();
    void searches();
    void sorting_data();
    void sorting();
    void compactRowsMatchPlainFormatting_data();
    void compactRowsMatchPlainFormatting();
    void wheel_data();
    void wheel();
};

// One alcohol log of unit 0080 "Truck 1", changed by the row's statements.
void TstLogGrid::cells_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QColor>("colour");

    const auto row = [](const char* name, bool en, const QStringList& sql, const QStringList& cells,
                        const QColor& colour = {}) {
        QTest::newRow(name) << en << sql << cells << colour;
    };
    const QString ja = "2024年05月01日", jaT = "09時43分01秒";
    row("alcohol without master text", true, {"DELETE FROM Log_Master WHERE Log_No = 8"},
        {"X00 0080", "Truck 1", "0001", "2024/05/01", "09:43:01", "Set Error 0.15001", ""}, kBlue);
    row("Japanese falls back to English", false,
        {"INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo')",
         "UPDATE Log_Data SET Log_No = 60"},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "Memo ", ""});
    row("null name, no date", false,
        {"DELETE FROM Kiki_Name", "UPDATE Log_Data SET Date = NULL, Log_No = 3"},
        {"X00 0080", "", "0001", "", "", "時刻設定 ", ""});
    row("tab and line ends become blanks", false,
        {"INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, 'x' || char(9) || 'y', '')",
         "UPDATE Kiki_Name SET Name = 'a' || char(9) || 'b' || char(13, 10) || 'c'",
         "UPDATE Log_Data SET Log_No = 60, Data_No = '0' || char(9) || '1'"},
        {"X00 0080", "a b  c", "0 1", ja, jaT, "x y ", ""});
}

void TstLogGrid::cells()
{
    QFETCH(bool, english);
    QFETCH(QStringList, sql);
    QFETCH(QStringList, expected);
    QFETCH(QColor, colour);

    TestApp app(Switches{.Eng_Flg = english});
    app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 1')");
    addLog(app.db, "0080", "2024-05-01 09:43:01", "0001", 8);
    for (const QString& s : sql)
        app.db.execute(s);

    LogGridModel model;
    runSearch(app.db, app.ctx.sw, criteria({}), model);
    QCOMPARE(model.Rows(), 2);
    QCOMPARE(rowTexts(model, 1), expected);
    QCOMPARE(model.rowColor(1), colour);
    for (int c = 0; c < LogGridModel::Cols; ++c) {
        QCOMPARE(model.data(model.index(0, c)).toString(), expected[c]);
        const QVariant fg = model.data(model.index(0, c), Qt::ForegroundRole);
        QCOMPARE(fg.value<QColor>(), c < 6 ? colour : QColor());
    }
}

void TstLogGrid::searches_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<SearchCriteria>("search");
    QTest::addColumn<QStringList>("dataNos"); // sorted
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("sqlFirst");

    const auto row = [](const char* name, bool en, const SearchCriteria& c,
                        const QStringList& dataNos, const QString& message = {},
                        const QString& sqlFirst = {}) {
        QTest::newRow(name) << en << c << dataNos << message << sqlFirst;
    };
    using namespace texts::grid;
    row("one day", false, criteria("2024/05/02-2024/05/02"), {"3", "4"});
    row("range ends are whole days", false, criteria("2024/05/01-2024/05/02"),
        {"1", "2", "3", "4"});
    row("six-digit unit entry", false, criteria({}, "001234 ( )"), {"4", "5"});
    row("content shown from Naiyou2", false, criteria({}, {}, "Memo"), {"5"});
    row("content with a quote", false, criteria({}, {}, "it's"), {"6"});
    row("31 February", false, criteria("2024/02/31-2024/03/01"), {},
        BadDate.ja_().arg("2024/02/31"));
    row("31 April, English", true, criteria("2024/04/01-2024/04/31"), {},
        BadDate.en_().arg("2024/04/31"));
    row("unit set without rows", true, criteria({}, "SELECT　　Nobody"), {},
        EmptyUnitSet.en_().arg("Nobody"));
    row("content set without rows", false, criteria({}, {}, "複数選択　　Nothing"), {},
        EmptyContentSet.ja_().arg("Nothing"));
    row("engine error", false, criteria({}), {},
        SearchFailed.ja_().arg("no such table: V_Log_Data"), "DROP VIEW V_Log_Data");
}

void TstLogGrid::searches()
{
    QFETCH(bool, english);
    QFETCH(SearchCriteria, search);
    QFETCH(QStringList, dataNos);
    QFETCH(QString, message);
    QFETCH(QString, sqlFirst);

    TestApp app(Switches{.Eng_Flg = english});
    Database& db = app.db;
    db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo'), "
               "(61, 'it''s', '')");
    addLog(db, "0080", "2024-05-01 00:00:00", "1", 8);
    addLog(db, "0080", "2024-05-01 23:59:59", "2", 9);
    addLog(db, "0080", "2024-05-02 12:00:00", "3", 21);
    addLog(db, "001234", "2024-05-02 23:59:59", "4", 8);
    addLog(db, "001234", "2024-05-03 00:00:00", "5", 60);
    addLog(db, "0012", "2024-05-03 10:00:00", "6", 61);

    // A full grid is replaced, never added to, and emptied when the search fails.
    LogGridModel model;
    QCOMPARE(runSearch(db, app.ctx.sw, criteria({}), model).rows, 6);
    if (!sqlFirst.isEmpty())
        db.execute(sqlFirst);
    const SearchOutcome out = runSearch(db, app.ctx.sw, search, model);
    QCOMPARE(out.message, message);
    QCOMPARE(out.rows, dataNos.size());
    QCOMPARE(model.Rows(), dataNos.size() + 1);
    QStringList shown = column(model, 2);
    shown.sort();
    QCOMPARE(shown, dataNos);
}

void TstLogGrid::sorting_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QList<int>>("cols"); // sorted in turn, descending when negative (-1 - col)
    QTest::addColumn<int>("shownCol");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char* name, bool en, QList<int> cols, int shown, QStringList exp) {
        QTest::newRow(name) << en << cols << shown << exp;
    };
    const int date = -4, no = -3, unit = -1, time = -5; // descending
    // Rows as stored: data numbers a..f (see sorting()).
    row("date descending then ascending", false, {date, 3}, 2, {"e", "f", "a", "b", "c", "d"});
    row("names without regard to case", false, {1}, 1,
        {"", "alpha", "alpha", "Beta", "gamma", "gamma"});
    row("equal units keep their order", false, {no, unit}, 2, {"e", "b", "a", "c", "f", "d"});
    row("time ascending", false, {4}, 4,
        {"", "00時00分00秒", "09時42分58秒", "09時43分01秒", "09時43分01秒", "23時59分59秒"});
    row("time descending, English", true, {time}, 4,
        {"23:59:59", "09:43:01", "09:43:01", "09:42:58", "00:00:00", ""});
    row("equal times keep their order", false, {no, 4}, 2, {"e", "f", "b", "d", "a", "c"});
    row("contents with values", true, {5}, 5,
        {"Alcohol detected ", "Alcohol measurement 0.09001", "Alcohol measurement 0.15001",
         "Alcohol remeasurement ", "Measurement error ", "Set Error "});
}

void TstLogGrid::sorting()
{
    QFETCH(bool, english);
    QFETCH(QList<int>, cols);
    QFETCH(int, shownCol);
    QFETCH(QStringList, expected);

    TestApp app(Switches{.Eng_Flg = english});
    Database& db = app.db;
    db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'alpha'), ('0012', 'Beta'), "
               "('0007', 'gamma')");
    addLog(db, "0080", "2024-05-02 09:43:01", "a", 8, "0.150");
    addLog(db, "0080", "2024-05-02 09:42:58", "b", 99, "");
    addLog(db, "0012", "2024-05-03 23:59:59", "c", 10, "");
    addLog(db, "0007", "2024-05-03 09:43:01", "d", 9, "0.200");
    addLog(db, "9999", QVariant(), "e", 17, "");
    addLog(db, "0007", "2024-05-01 00:00:00", "f", 8, "0.090");
    const QHash<QString, QColor> colours{
        {"a", kBlue}, {"c", kYellow}, {"d", kRed}, {"e", kRed}, {"f", kBlue}};

    LogGridModel model;
    QVERIFY(runSearch(db, app.ctx.sw, criteria({}), model).ok());
    for (const int c : cols)
        model.sortColumn(c < 0 ? -1 - c : c, c < 0);
    QCOMPARE(column(model, shownCol), expected);
    QCOMPARE(rowTexts(model, 0),
             (QStringList{"ユニット", "機器名称", "No", "年月日", "時間", "内容", ""}));
    for (int r = 1; r < model.Rows(); ++r) {
        const QColor colour = colours.value(model.TextMatrix(r, 2));
        QCOMPARE(model.rowColor(r), colour);
        QCOMPARE(model.data(model.index(r - 1, 0), Qt::ForegroundRole).value<QColor>(), colour);
    }
}

void TstLogGrid::compactRowsMatchPlainFormatting_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::newRow("Japanese") << Switches{};
    QTest::newRow("English") << Switches{.Eng_Flg = 1};
    QTest::newRow("edition A") << Switches{.A_Flg = 1};
}

// Random stored logs: the compact rows give the cells and colours of the plain
// formatting of each view row, and every sort leaves the column in order.
void TstLogGrid::compactRowsMatchPlainFormatting()
{
    QFETCH(Switches, sw);
    TestApp app(sw);
    app.db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo'), "
                   "(61, 'a' || char(10) || 'b', 'A' || char(9) || 'B'), (62, 'x', 'X')");
    app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck'), ('0012', "
                   "'truck'), ('7''7', 't' || char(9) || 'ab'), ('', 'no serial')");

    std::mt19937 rng(7);
    const auto pick = [&rng](const QVariantList& from) {
        return from[std::uniform_int_distribution<int>(0, int(from.size()) - 1)(rng)];
    };
    const QDateTime start(QDate(2023, 12, 20), QTime(0, 0));
    Transaction tx(app.db);
    for (int k = 0; k < 400; ++k) {
        const int seconds = std::uniform_int_distribution<int>(0, 86400 * 40)(rng);
        addLog(app.db, pick({"0080", "0012", "7'7", "", "123456", "0003"}),
               k % 50 == 0 ? QVariant() : QVariant(storedDateTime(start.addSecs(seconds))),
               pick({"0000", "0001", "9", "10", "12345678", "123456789", "00A1", ""}).toString() +
                   QString::number(k % 3),
               pick({8, 8, 9, 10, 17, 3, 21, 60, 61, 62, 99, QVariant()}),
               pick({"0.150", "0.000", "", "9.999"}), pick({"01", "0A", "", QVariant()}));
    }
    tx.commit();

    LogGridModel model;
    QVERIFY(runSearch(app.db, sw, criteria({}), model).ok());
    Recordset rs = app.db.openRecordset("SELECT * From V_Log_Data ;");
    QCOMPARE(model.Rows(), rs.rowCount() + 1);
    for (int r = 1; !rs.eof(); rs.moveNext(), ++r) {
        const QVariant logNo = rs.field("Log_No");
        const log_row_format::LogRow row{rs.text("User"),    rs.text("Unit_SN"), rs.text("Name"),
                                         rs.text("Data_No"), rs.text("Date"),    !logNo.isNull(),
                                         logNo.toInt(),      rs.text("Alcohol"), rs.text("Tani"),
                                         rs.text("Naiyou"),  rs.text("Naiyou2")};
        QCOMPARE(rowTexts(model, r), log_row_format::cells(row, sw));
        QCOMPARE(model.rowColor(r), log_row_format::rowColor(row.hasLogNo, row.logNo));
    }

    for (int c = 0; c < LogGridModel::Cols; ++c) {
        for (const bool descending : {true, false}) {
            model.sortColumn(c, descending);
            QStringList sorted = column(model, c);
            std::stable_sort(sorted.begin(), sorted.end(), [&](const QString& x, const QString& y) {
                const int order = QString::compare(x, y, Qt::CaseInsensitive);
                return descending ? order > 0 : order < 0;
            });
            QCOMPARE(column(model, c), sorted);
        }
    }
}

void TstLogGrid::wheel_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<int>("lines"); // per event
    QTest::newRow("one notch up") << 200 << QPoint(0, 120) << -1;
    QTest::newRow("four notches up") << 200 << QPoint(0, 480) << -1;
    QTest::newRow("fine touch up") << 200 << QPoint(0, 1) << -1;
    QTest::newRow("zero scrolls down") << 200 << QPoint(0, 0) << 1;
    QTest::newRow("many notches down") << 200 << QPoint(0, -1200) << 1;
    QTest::newRow("sideways moves the columns") << 200 << QPoint(-120, 10) << 0;
    QTest::newRow("cannot scroll, up") << 2 << QPoint(0, 120) << 0;
    QTest::newRow("cannot scroll, down") << 2 << QPoint(0, -120) << 0;
}

void TstLogGrid::wheel()
{
    QFETCH(int, rows);
    QFETCH(QPoint, delta);
    QFETCH(int, lines);

    TestApp app;
    Transaction tx(app.db);
    for (int k = 0; k < rows; ++k)
        addLog(app.db, "0080", "2024-05-01 09:43:01", QString::number(k), 8);
    tx.commit();
    LogGridView view;
    runSearch(app.db, app.ctx.sw, criteria({}), *view.gridModel());
    view.resize(640, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QScrollBar* bar = view.verticalScrollBar();
    QCOMPARE(bar->maximum() > 20, rows > 20);
    bar->setValue(10);
    const int top = bar->value();
    for (int k = 1; k <= 2; ++k) {
        const QPointF at(50, 50);
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), delta, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
        QCOMPARE(bar->value(), top + k * lines);
    }
    QCOMPARE(view.indexAt(QPoint(5, 5)).row(), top + 2 * lines);
    QCOMPARE(view.horizontalScrollBar()->value() > 0, std::abs(delta.x()) > std::abs(delta.y()));
}

QTEST_MAIN(TstLogGrid)
#include "tst_log_grid.moc"

// The result grid on real database files: cell texts and colours of stored
// logs in both languages, searches into the grid, the searches that leave it
// empty with a message, sorting, and the wheel on a real view.
#include "app/database.h"
#include "app/sql_text.h"
#include "app/texts.h"
#include "main/log_grid_model.h"
#include "main/log_grid_sort.h"
#include "main/log_grid_view.h"
#include "main/log_row_format.h"
#include "main/log_search.h"
#include "support/test_db.h"

#include <QApplication>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QWheelEvent>
#include <random>

namespace {

struct Log {
    QString unit = QStringLiteral("0080");
    QVariant date = QStringLiteral("2024-05-01 09:43:01");
    QString dataNo = QStringLiteral("0001");
    QVariant logNo = 8;
    QString alcohol = QStringLiteral("0.150");
    QVariant tani = QStringLiteral("01");
};

void exec(Database& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db.connection());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        QFAIL(qPrintable(sql));
}

void addLog(Database& db, const Log& log)
{
    exec(db,
         QStringLiteral(
             "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
             "VALUES (?, ?, ?, ?, ?, ?, '2024-05-15 10:00:00')"),
         {log.unit, log.date, log.dataNo, log.logNo, log.alcohol, log.tani});
}

void nameUnit(Database& db, const QString& unit, const QString& name)
{
    exec(db, QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)"), {unit, name});
}

SearchCriteria everything()
{
    SearchCriteria c;
    c.dateRange = false;
    c.oneContent = false;
    return c;
}

SearchCriteria range(const char* first, const char* last)
{
    SearchCriteria c = everything();
    c.dateRange = true;
    const QStringList a = QString::fromLatin1(first).split(QLatin1Char('/'));
    const QStringList b = QString::fromLatin1(last).split(QLatin1Char('/'));
    c.year[0] = a[0], c.month[0] = a[1], c.day[0] = a[2];
    c.year[1] = b[0], c.month[1] = b[1], c.day[1] = b[2];
    return c;
}

Switches switches(bool english, bool editionA = false)
{
    Switches sw;
    sw.Eng_Flg = english ? 1 : 0;
    sw.A_Flg = editionA ? 1 : 0;
    return sw;
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
    void blockedSearchLeavesGridEmpty_data();
    void blockedSearchLeavesGridEmpty();
    void sorting_data();
    void sorting();
    void coloursTravelWithRows();
    void compactRowsMatchPlainFormatting_data();
    void compactRowsMatchPlainFormatting();
    void genericComparison_data();
    void genericComparison();
    void wheel_data();
    void wheel();
    void wheelWithoutScrollRange();
};

void TstLogGrid::cells_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::addColumn<QVariant>("logNo");
    QTest::addColumn<QVariant>("name"); // null: the unit has no name
    QTest::addColumn<QString>("dataNo");
    QTest::addColumn<QVariant>("date");
    QTest::addColumn<QString>("master"); // an SQL change to the log master first
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QColor>("colour");

    const QVariant truck = QStringLiteral("Truck 1");
    const QVariant may1 = QStringLiteral("2024-05-01 09:43:01");
    const QString d = QStringLiteral("0001");
    const auto row = [](const char* name, Switches sw, QVariant logNo, QVariant kiki,
                        QString dataNo, QVariant date, QString master, QStringList expected,
                        QColor colour) {
        QTest::newRow(name) << sw << logNo << kiki << dataNo << date << master << expected
                            << colour;
    };
    const QString ja = QStringLiteral("2024年05月01日"), jaT = QStringLiteral("09時43分01秒");
    const QString en = QStringLiteral("2024/05/01"), enT = QStringLiteral("09:43:01");

    row("alcohol", switches(false), 8, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "アルコール測定 0.15001", ""}, kBlue);
    row("alcohol, English", switches(true), 8, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", en, enT, "Alcohol measurement 0.15001", ""}, kBlue);
    row("alcohol, edition A", switches(false, true), 8, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "アルコール測定 ", ""}, kBlue);
    row("detected: no value shown", switches(false), 9, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "アルコール検知 ", ""}, kRed);
    row("clock set, no colour", switches(false), 3, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "時刻設定 ", ""}, QColor());
    row("unknown log number", switches(false), 99, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", ja, jaT, "セットエラー ", ""}, QColor());
    row("unknown log number, English", switches(true), 99, truck, d, may1, {},
        {"X00 0080", "Truck 1", "0001", en, enT, "Set Error ", ""}, QColor());
    row("alcohol without master text", switches(true), 8, truck, d, may1,
        "DELETE FROM Log_Master WHERE Log_No = 8",
        {"X00 0080", "Truck 1", "0001", en, enT, "Set Error 0.15001", ""}, kBlue);
    row("Japanese falls back to English", switches(false), 60, truck, d, may1,
        "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo')",
        {"X00 0080", "Truck 1", "0001", ja, jaT, "Memo ", ""}, QColor());
    row("null name", switches(false), 3, QVariant(), d, may1, {},
        {"X00 0080", "", "0001", ja, jaT, "時刻設定 ", ""}, QColor());
    row("tab and line ends become blanks", switches(false), 60, QStringLiteral("a\tb\r\nc"),
        QStringLiteral("0\t1"), may1,
        "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, 'x' || char(9) || 'y', '')",
        {"X00 0080", "a b  c", "0 1", ja, jaT, "x y ", ""}, QColor());
    row("long data number", switches(false), 3, truck, QStringLiteral("123456789012"), may1, {},
        {"X00 0080", "Truck 1", "123456789012", ja, jaT, "時刻設定 ", ""}, QColor());
    row("no date", switches(false), 3, truck, d, QVariant(), {},
        {"X00 0080", "Truck 1", "0001", "", "", "時刻設定 ", ""}, QColor());
}

void TstLogGrid::cells()
{
    QFETCH(Switches, sw);
    QFETCH(QVariant, logNo);
    QFETCH(QVariant, name);
    QFETCH(QString, dataNo);
    QFETCH(QVariant, date);
    QFETCH(QString, master);
    QFETCH(QStringList, expected);
    QFETCH(QColor, colour);

    TestApp app(sw);
    if (!master.isEmpty())
        app.db.execute(master);
    if (!name.isNull())
        nameUnit(app.db, QStringLiteral("0080"), name.toString());
    Log log;
    log.logNo = logNo;
    log.dataNo = dataNo;
    log.date = date;
    addLog(app.db, log);

    LogGridModel model;
    const SearchOutcome out = runSearch(app.db, sw, everything(), model);
    QVERIFY2(out.ok(), qPrintable(out.message));
    QCOMPARE(out.rows, 1);
    QCOMPARE(model.Rows(), 2);
    for (int c = 0; c < LogGridModel::Cols; ++c) {
        QCOMPARE(model.TextMatrix(0, c), LogGridModel::heading(c));
        QCOMPARE(model.TextMatrix(1, c), expected[c]);
        QCOMPARE(model.data(model.index(0, c)).toString(), expected[c]);
        const QVariant fg = model.data(model.index(0, c), Qt::ForegroundRole);
        QCOMPARE(fg.value<QColor>(), c < 6 ? colour : QColor());
    }
    QCOMPARE(model.rowColor(1), colour);
}

void TstLogGrid::searches_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("dataNos");

    const auto unit = [](const char* text) {
        SearchCriteria c = everything();
        c.oneUnit = true;
        c.unitText = QString::fromUtf8(text);
        return c;
    };
    const auto content = [](const char* text) {
        SearchCriteria c = everything();
        c.oneContent = true;
        c.contentText = QString::fromUtf8(text);
        return c;
    };
    const Switches ja = switches(false), en = switches(true);
    QTest::newRow("all") << ja << everything() << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("one day") << ja << range("2024/05/02", "2024/05/02") << QStringList{"3", "4"};
    QTest::newRow("range ends are whole days")
        << ja << range("2024/05/01", "2024/05/02") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("first after last") << ja << range("2024/05/03", "2024/05/01") << QStringList{};
    QTest::newRow("four-digit unit entry")
        << ja << unit("0080 (Truck )") << QStringList{"1", "2", "3"};
    QTest::newRow("six-digit unit entry") << ja << unit("001234 ( )") << QStringList{"4", "5"};
    QTest::newRow("typed unit") << ja << unit("001234") << QStringList{"4", "5"};
    QTest::newRow("unit with a quote") << ja << unit("00'8 (x )") << QStringList{};
    QTest::newRow("unit set") << ja << unit("複数選択　　Pair") << QStringList{"1", "2", "3", "6"};
    QTest::newRow("content, Japanese") << ja << content("アルコール測定") << QStringList{"1", "4"};
    QTest::newRow("content, English")
        << en << content("Alcohol measurement") << QStringList{"1", "4"};
    QTest::newRow("content shown from Naiyou2") << ja << content("Memo") << QStringList{"5"};
    QTest::newRow("content with a quote") << ja << content("it's") << QStringList{"6"};
    QTest::newRow("content set") << ja << content("複数選択　　標準セット")
                                 << QStringList{"1", "2", "4"};
    QTest::newRow("nothing found") << ja << content("電源オン") << QStringList{};
}

void TstLogGrid::searches()
{
    QFETCH(Switches, sw);
    QFETCH(SearchCriteria, criteria);
    QFETCH(QStringList, dataNos);

    TestApp app(sw);
    app.db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo'), (61, "
                   "'it''s', '')");
    app.db.execute(
        "INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'Pair', '0080'), (2, 'Pair', '0012')");
    const auto log = [&](const char* unit, const char* date, const char* no, int logNo) {
        Log l;
        l.unit = QString::fromLatin1(unit);
        l.date = QString::fromLatin1(date);
        l.dataNo = QString::fromLatin1(no);
        l.logNo = logNo;
        addLog(app.db, l);
    };
    log("0080", "2024-05-01 00:00:00", "1", 8);
    log("0080", "2024-05-01 23:59:59", "2", 9);
    log("0080", "2024-05-02 12:00:00", "3", 21);
    log("001234", "2024-05-02 23:59:59", "4", 8);
    log("001234", "2024-05-03 00:00:00", "5", 60);
    log("0012", "2024-05-03 10:00:00", "6", 61);

    LogGridModel model;
    runSearch(app.db, sw, everything(), model); // a full grid is replaced, not added to
    const SearchOutcome out = runSearch(app.db, sw, criteria, model);
    QVERIFY2(out.ok(), qPrintable(out.message));
    QCOMPARE(out.rows, dataNos.size());
    // Rows come in the order the engine delivers them.
    QStringList shown = column(model, 2);
    shown.sort();
    QCOMPARE(shown, dataNos);
}

void TstLogGrid::blockedSearchLeavesGridEmpty_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QString>("sqlFirst");
    QTest::addColumn<QString>("message");

    SearchCriteria emptySet = everything();
    emptySet.oneUnit = true;
    emptySet.unitText = QStringLiteral("SELECT　　Nobody");
    SearchCriteria emptyContentSet = everything();
    emptyContentSet.oneContent = true;
    emptyContentSet.contentText = QStringLiteral("複数選択　　標準セット");

    QTest::newRow("31 February") << switches(false) << range("2024/02/31", "2024/03/01")
                                 << QString() << texts::grid::BadDate.ja_().arg("2024/02/31");
    QTest::newRow("31 April, English") << switches(true) << range("2024/04/01", "2024/04/31")
                                       << QString() << texts::grid::BadDate.en_().arg("2024/04/31");
    QTest::newRow("unit set without rows")
        << switches(true) << emptySet << QString() << texts::grid::EmptyUnitSet.en_().arg("Nobody");
    QTest::newRow("content set emptied")
        << switches(false) << emptyContentSet << QStringLiteral("DELETE FROM Fukusu")
        << texts::grid::EmptyContentSet.ja_().arg("標準セット");
    QTest::newRow("engine error") << switches(false) << everything()
                                  << QStringLiteral("DROP VIEW V_Log_Data")
                                  << texts::grid::SearchFailed.ja_().arg(
                                         "no such table: V_Log_Data");
}

void TstLogGrid::blockedSearchLeavesGridEmpty()
{
    QFETCH(Switches, sw);
    QFETCH(SearchCriteria, criteria);
    QFETCH(QString, sqlFirst);
    QFETCH(QString, message);

    TestApp app(sw);
    addLog(app.db, Log{});
    LogGridModel model;
    QVERIFY(runSearch(app.db, sw, everything(), model).ok());
    QCOMPARE(model.Rows(), 2);
    if (!sqlFirst.isEmpty())
        app.db.execute(sqlFirst);

    const SearchOutcome out = runSearch(app.db, sw, criteria, model);
    QCOMPARE(out.message, message);
    QCOMPARE(out.rows, 0);
    QCOMPARE(model.Rows(), 1);
    QCOMPARE(model.rowCount(), 0);
}

void TstLogGrid::sorting_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::addColumn<QList<int>>("cols"); // sorted in turn, descending when negative (-1 - col)
    QTest::addColumn<int>("shownCol");
    QTest::addColumn<QStringList>("expected");

    const Switches ja = switches(false), en = switches(true);
    const auto desc = [](int col) { return -1 - col; };
    // Rows as stored: data numbers a..f (see sorting()).
    QTest::newRow("date descending")
        << ja << QList<int>{desc(3)} << 2 << QStringList{"c", "d", "a", "b", "f", "e"};
    QTest::newRow("date descending then ascending")
        << ja << QList<int>{desc(3), 3} << 2 << QStringList{"e", "f", "a", "b", "c", "d"};
    QTest::newRow("names without regard to case")
        << ja << QList<int>{1} << 1 << QStringList{"", "alpha", "alpha", "Beta", "gamma", "gamma"};
    QTest::newRow("data numbers as text")
        << ja << QList<int>{0, 2} << 2 << QStringList{"a", "b", "c", "d", "e", "f"};
    QTest::newRow("equal units keep their order")
        << ja << QList<int>{desc(2), desc(0)} << 2 << QStringList{"e", "b", "a", "c", "f", "d"};
    QTest::newRow("time ascending")
        << ja << QList<int>{4} << 4
        << QStringList{
               "", "00時00分00秒", "09時42分58秒", "09時43分01秒", "09時43分01秒", "23時59分59秒"};
    QTest::newRow("time descending, English")
        << en << QList<int>{desc(4)} << 4
        << QStringList{"23:59:59", "09:43:01", "09:43:01", "09:42:58", "00:00:00", ""};
    QTest::newRow("equal times keep their order")
        << ja << QList<int>{desc(2), 4} << 2 << QStringList{"e", "f", "b", "d", "a", "c"};
    QTest::newRow("contents with values") << en << QList<int>{5} << 5
                                          << QStringList{"Alcohol detected ",
                                                         "Alcohol measurement 0.09001",
                                                         "Alcohol measurement 0.15001",
                                                         "Clock set ",
                                                         "Set Error ",
                                                         "Set Error "};
}

void TstLogGrid::sorting()
{
    QFETCH(Switches, sw);
    QFETCH(QList<int>, cols);
    QFETCH(int, shownCol);
    QFETCH(QStringList, expected);

    TestApp app(sw);
    nameUnit(app.db, "0080", "alpha");
    nameUnit(app.db, "0012", "Beta");
    nameUnit(app.db, "0007", "gamma");
    const auto log = [&](const char* unit, QVariant date, const char* no, int logNo,
                         const char* alcohol) {
        Log l;
        l.unit = QString::fromLatin1(unit);
        l.date = date;
        l.dataNo = QString::fromLatin1(no);
        l.logNo = logNo;
        l.alcohol = QString::fromLatin1(alcohol);
        addLog(app.db, l);
    };
    log("0080", "2024-05-02 09:43:01", "a", 8, "0.150");
    log("0080", "2024-05-02 09:42:58", "b", 99, "");
    log("0012", "2024-05-03 23:59:59", "c", 3, "");
    log("0007", "2024-05-03 09:43:01", "d", 9, "0.200");
    log("9999", QVariant(), "e", 98, "");
    log("0007", "2024-05-01 00:00:00", "f", 8, "0.090");

    LogGridModel model;
    QVERIFY(runSearch(app.db, sw, everything(), model).ok());
    for (const int c : cols)
        model.sortColumn(c < 0 ? -1 - c : c, c < 0);
    QCOMPARE(column(model, shownCol), expected);
    for (int c = 0; c < LogGridModel::Cols; ++c)
        QCOMPARE(model.TextMatrix(0, c), LogGridModel::heading(c));
}

void TstLogGrid::coloursTravelWithRows()
{
    TestApp app;
    const int logNos[] = {8, 3, 9, 10, 17, 21, 8, 99};
    const QColor colours[] = {kBlue, QColor(), kRed, kYellow, kRed, QColor(), kBlue, QColor()};
    for (int k = 0; k < 8; ++k) {
        Log l;
        l.dataNo = QString::number(k);
        l.date = QStringLiteral("2024-05-0%1 10:00:00").arg(8 - k);
        l.logNo = logNos[k];
        addLog(app.db, l);
    }
    LogGridModel model;
    QVERIFY(runSearch(app.db, app.ctx.sw, everything(), model).ok());
    for (const int col : {3, 5, 2, 4}) {
        for (const bool descending : {true, false}) {
            model.sortColumn(col, descending);
            for (int r = 1; r < model.Rows(); ++r) {
                const int k = model.TextMatrix(r, 2).toInt();
                QCOMPARE(model.rowColor(r), colours[k]);
                QCOMPARE(model.data(model.index(r - 1, 0), Qt::ForegroundRole).value<QColor>(),
                         colours[k]);
            }
        }
    }
}

void TstLogGrid::compactRowsMatchPlainFormatting_data()
{
    QTest::addColumn<Switches>("sw");
    QTest::newRow("Japanese") << switches(false);
    QTest::newRow("English") << switches(true);
    QTest::newRow("edition A") << switches(false, true);
}

// Random stored logs: the grid's compact rows give the same cells and colours
// as the plain formatting of each row of the view, and every sort leaves the
// column's texts in order.
void TstLogGrid::compactRowsMatchPlainFormatting()
{
    QFETCH(Switches, sw);
    TestApp app(sw);
    app.db.execute("INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (60, '', 'Memo'), "
                   "(61, 'a' || char(10) || 'b', 'A' || char(9) || 'B'), (62, 'x', 'X')");
    nameUnit(app.db, "0080", "Truck");
    nameUnit(app.db, "0012", "truck");
    nameUnit(app.db, "7'7", "t\tab");
    nameUnit(app.db, "", "no serial");

    std::mt19937 rng(7);
    const auto pick = [&rng](const QVariantList& from) {
        return from[std::uniform_int_distribution<int>(0, int(from.size()) - 1)(rng)];
    };
    const QVariantList units{"0080", "0012", "7'7", "", "123456", "0003"};
    const QVariantList dataNos{"0000", "0001", "9", "10", "12345678", "123456789", "00A1", ""};
    const QVariantList logNos{8, 8, 9, 10, 17, 3, 21, 60, 61, 62, 99, QVariant()};
    const QVariantList alcohols{"0.150", "0.000", "", "9.999"};
    const QVariantList tanis{"01", "0A", "", QVariant()};
    Transaction tx(app.db);
    for (int k = 0; k < 400; ++k) {
        Log l;
        l.unit = pick(units).toString();
        l.dataNo = pick(dataNos).toString() + QString::number(k % 3);
        l.logNo = pick(logNos);
        l.alcohol = pick(alcohols).toString();
        l.tani = pick(tanis);
        const int seconds = std::uniform_int_distribution<int>(0, 86400 * 40)(rng);
        l.date = k % 50 == 0 ? QVariant()
                             : QVariant(storedDateTime(
                                   QDateTime(QDate(2023, 12, 20), QTime(0, 0)).addSecs(seconds)));
        addLog(app.db, l);
    }
    tx.commit();

    LogGridModel model;
    QVERIFY(runSearch(app.db, sw, everything(), model).ok());
    Recordset rs = app.db.openRecordset(QStringLiteral("SELECT * From V_Log_Data ;"));
    QCOMPARE(model.Rows(), rs.rowCount() + 1);
    for (int r = 1; !rs.eof(); rs.moveNext(), ++r) {
        log_row_format::LogRow row;
        row.user = rs.text("User");
        row.unitSN = rs.text("Unit_SN");
        row.name = rs.text("Name");
        row.dataNo = rs.text("Data_No");
        row.date = rs.text("Date");
        row.hasLogNo = !rs.field("Log_No").isNull();
        row.logNo = rs.field("Log_No").toInt();
        row.alcohol = rs.text("Alcohol");
        row.tani = rs.text("Tani");
        row.naiyou = rs.text("Naiyou");
        row.naiyou2 = rs.text("Naiyou2");
        const QStringList expected = log_row_format::cells(row, sw);
        for (int c = 0; c < LogGridModel::Cols; ++c)
            QCOMPARE(model.TextMatrix(r, c), expected[c]);
        QCOMPARE(model.rowColor(r), log_row_format::rowColor(row.hasLogNo, row.logNo));
    }

    for (int c = 0; c < LogGridModel::Cols; ++c) {
        for (const bool descending : {true, false}) {
            model.sortColumn(c, descending);
            for (int r = 2; r < model.Rows(); ++r) {
                const int order = QString::compare(model.TextMatrix(r - 1, c),
                                                   model.TextMatrix(r, c), Qt::CaseInsensitive);
                QVERIFY2(descending ? order >= 0 : order <= 0,
                         qPrintable(QStringLiteral("column %1 row %2").arg(c).arg(r)));
            }
        }
    }
}

void TstLogGrid::genericComparison_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("numbers as numbers") << "9"
                                        << "10" << -1;
    QTest::newRow("decimals") << "0.5"
                              << "0.25" << 1;
    QTest::newRow("equal numbers") << "1.0"
                                   << "1" << 0;
    QTest::newRow("number before text") << "100"
                                        << "abc" << -1;
    QTest::newRow("times as text") << "09:43:01"
                                   << "09:42:58" << 1;
    QTest::newRow("empty before time") << ""
                                       << "00:00:00" << -1;
    QTest::newRow("text with case") << "B"
                                    << "a" << -1;
}

void TstLogGrid::genericComparison()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    const int r = log_grid_sort::genericCompare(a, b);
    QCOMPARE((r > 0) - (r < 0), sign);
    const int back = log_grid_sort::genericCompare(b, a);
    QCOMPARE((back > 0) - (back < 0), -sign);
}

namespace {

// A shown grid holding `rows` records.
struct ShownGrid {
    TestApp app;
    LogGridView view;

    explicit ShownGrid(int rows)
    {
        Transaction tx(app.db);
        for (int k = 0; k < rows; ++k) {
            Log l;
            l.dataNo = QString::number(k);
            addLog(app.db, l);
        }
        tx.commit();
        runSearch(app.db, app.ctx.sw, everything(), *view.gridModel());
        view.resize(640, 300);
        view.show();
    }

    void wheel(int delta)
    {
        const QPointF at(50, 50);
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    }
};

} // namespace

void TstLogGrid::wheel_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("lines");
    QTest::newRow("one notch up") << 120 << -1;
    QTest::newRow("four notches up") << 480 << -1;
    QTest::newRow("fine touch up") << 1 << -1;
    QTest::newRow("zero scrolls down") << 0 << 1;
    QTest::newRow("one notch down") << -120 << 1;
    QTest::newRow("many notches down") << -1200 << 1;
}

void TstLogGrid::wheel()
{
    QFETCH(int, delta);
    QFETCH(int, lines);

    ShownGrid grid(200);
    QVERIFY(QTest::qWaitForWindowExposed(&grid.view));
    QScrollBar* bar = grid.view.verticalScrollBar();
    QVERIFY(bar->maximum() > 20);
    bar->setValue(10);
    grid.wheel(delta);
    QCOMPARE(bar->value(), 10 + lines);
    grid.wheel(delta);
    QCOMPARE(bar->value(), 10 + 2 * lines);
    QCOMPARE(grid.view.indexAt(QPoint(5, 5)).row(), 10 + 2 * lines);
}

void TstLogGrid::wheelWithoutScrollRange()
{
    ShownGrid grid(2);
    QVERIFY(QTest::qWaitForWindowExposed(&grid.view));
    QScrollBar* bar = grid.view.verticalScrollBar();
    QCOMPARE(bar->maximum(), 0);
    for (const int delta : {120, 0, -120}) {
        grid.wheel(delta);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(grid.view.horizontalScrollBar()->value(), 0);
    }
}

QTEST_MAIN(TstLogGrid)
#include "tst_log_grid.moc"

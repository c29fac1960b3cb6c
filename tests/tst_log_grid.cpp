// The result grid on real database files: searches into it (whole rows with their colours, or a
// message and an empty grid), random rows against the plain formatting, sorting, row contrast.
#include "base/texts/grid.h"
#include "db/sql_text.h"
#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"
#include "grid_view/log_grid_view.h"
#include "support/search_criteria.h"
#include "support/test_db.h"

#include <QHeaderView>
#include <QTest>
#include <cmath>
#include <random>

namespace {

// Rows inserted with bound values, so that control characters need no engine function.
void insertRows(Database& db, const QString& sql, const QList<QVariantList>& rows)
{
    for (const QVariantList& row : rows)
        db.execute(sql, row);
}

void addLog(Database& db, const QVariant& unit, const QVariant& date, const QVariant& dataNo,
            const QVariant& logNo, const QVariant& alcohol = "0.150", const QVariant& tani = "01")
{
    db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES "
               "(?, ?, ?, ?, ?, ?)",
               {unit, date, dataNo, logNo, alcohol, tani});
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
        row("engine error", false, criteria({}), {},
            SearchFailed.ja_().arg(testEngine() == DbEngine::Sqlite
                                       ? "no such table: V_Log_Data [SELECT * From V_Log_Data  ;]"
                                       : "relation \"v_log_data\" does not exist [SELECT * From "
                                         "V_Log_Data  ;]"));
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
        QCOMPARE(out.message, message);
        QCOMPARE(out.rows, rows.size());
        QStringList shown = gridRows(model);
        shown.sort();
        QCOMPARE(shown, rows);
    }

    void randomRowsAndSorts_data()
    {
        QTest::addColumn<Switches>("sw");
        QTest::newRow("Japanese") << Switches{};
        QTest::newRow("English") << Switches{.Eng_Flg = 1};
        QTest::newRow("edition A") << Switches{.A_Flg = 1};
    }
    // Random logs: the compact rows give the plain formatting of each view row; every sort on every
    // column, either way, is stable and case-blind, and colours travel with their rows.
    void randomRowsAndSorts()
    {
        QFETCH(Switches, sw);
        TestApp app(sw);
        insertRows(app.db, "INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (?, ?, ?)",
                   {{60, "", "Memo"}, {61, "a\nb", "A\tB"}, {62, "x", "X"}});
        insertRows(app.db, "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)",
                   {{"0080", "Truck"}, {"0012", "truck"}, {"7'7", "t\tab"}, {"", "no serial"}});
        std::mt19937 rng(7);
        const auto pick = [&rng](const QVariantList& from) {
            return from[std::uniform_int_distribution<int>(0, int(from.size()) - 1)(rng)];
        };
        const QDateTime start(QDate(2023, 12, 20), QTime(0, 0));
        // Every 25th log has one of these in turn: the ends of the range of dates packed into a
        // row and the dates next to them, leap days, the ends of the year, no date.
        const QVariantList odd{"2000-01-01 00:00:00", "1999-12-31 23:59:59",
                               "2089-09-16 23:59:59", "2089-09-17 00:00:00",
                               "2000-02-29 12:00:00", "2024-02-29 12:00:00",
                               "2024-12-31 23:59:59", "0001-01-01 10:00:00",
                               "9999-12-31 23:59:59", QVariant()};
        Transaction tx(app.db);
        for (int k = 0; k < 400; ++k) {
            const int seconds = std::uniform_int_distribution<int>(0, 86400 * 40)(rng);
            addLog(
                app.db, pick({"0080", "0012", "7'7", "", "123456", "0003"}),
                k % 25 == 0 ? odd[k / 25 % odd.size()] : storedDateTime(start.addSecs(seconds)),
                pick({"0000", "0001", "9", "10", "12345678", "123456789", "00A1", ""}).toString() +
                    QString::number(k % 3),
                pick({8, 8, 9, 10, 17, 3, 21, 60, 61, 62, 99, QVariant()}),
                pick({"0.150", "0.000", "", "9.999"}), pick({"01", "0A", "", QVariant()}));
        }
        tx.commit();

        LogGridModel model;
        QCOMPARE(runSearch(app.db, sw, criteria({}), model).message, QString());
        Recordset rs = app.db.openRecordset("SELECT * From V_Log_Data ;");
        const QStringList shown = gridRows(model);
        int r = 0;
        for (; !rs.eof(); rs.moveNext(), ++r) {
            const QVariant logNo = rs.field("Log_No");
            const log_row_format::LogRow row{
                rs.text("User"), rs.text("Unit_SN"), rs.text("Name"),   rs.text("Data_No"),
                rs.text("Date"), !logNo.isNull(),    logNo.toInt(),     rs.text("Alcohol"),
                rs.text("Tani"), rs.text("Naiyou"),  rs.text("Naiyou2")};
            QCOMPARE(shown.value(r),
                     (log_row_format::cells(row, sw)
                      << colourName(log_row_format::rowColor(row.hasLogNo, row.logNo))
                      << colourName(log_row_format::rowBackground(row.hasLogNo, row.logNo)))
                         .join('|'));
        }
        QCOMPARE(r, shown.size());

        for (int c = 0; c < LogGridModel::Cols; ++c) {
            for (const bool descending : {true, false}) {
                QStringList expected = gridRows(model);
                std::stable_sort(
                    expected.begin(), expected.end(), [&](const QString& x, const QString& y) {
                        const int order = QString::compare(
                            x.section('|', c, c), y.section('|', c, c), Qt::CaseInsensitive);
                        return descending ? order > 0 : order < 0;
                    });
                model.sortColumn(c, descending);
                QCOMPARE(gridRows(model), expected);
            }
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
};

QTEST_MAIN(TstLogGrid)
#include "tst_log_grid.moc"

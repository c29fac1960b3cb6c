// The statistics window over a searched grid: figures, limit, report, charts.
#include "base/texts/output.h"
#include "base/texts/stats.h"
#include "stats_window/frm_stat.h"
#include "stats_window/stat_charts.h"
#include "stats_window/stat_report.h"
#include "support/shown_logs.h"

#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QStackedBarSeries>
#include <QTest>
#include <QXYSeries>
#include <QtWidgets>

using namespace log_statistics;

namespace {

// Two units over three days: measurements below, at and above the limit, a measurement log
// without a value, a log without a measurement.
const QString kLogs = "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0001', 'Truck 3');"
                      "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) VALUES "
                      "('2024-05-01 08:00:00', '0001', '0001', 8, '0.100', '01'),"
                      "('2024-05-01 09:00:00', '0002', '0001', 8, '0.150', '01'),"
                      "('2024-05-01 10:00:00', '0003', '0002', 1, '', NULL),"
                      "('2024-05-03 07:30:00', '0004', '0002', 8, '0.200', '01'),"
                      "('2024-05-03 07:45:00', '0005', '0002', 21, '', NULL),"
                      "('2024-05-03 08:00:00', '0006', '0001', 8, '', NULL)";

// Power-on logs of unit 0001 on these days.
QString logsOn(const QStringList& days)
{
    QStringList values;
    for (const QString& day : days)
        values << QString("('%1 12:00:00', '%2', '0001', 1)").arg(day).arg(values.size());
    return "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No) VALUES " + values.join(',');
}

// "Width bars: first-day content count …; …" for the bars that hold logs, then the table.
QString shown(const Figures& f, bool english)
{
    const char* widths[] = {"Day", "Week", "Month", "Year"};
    QStringList bars;
    for (std::size_t b = 0; b < f.barStarts.size(); ++b) {
        QString bar = QDate::fromJulianDay(f.barStarts[b]).toString("yyyy/MM/dd");
        for (qsizetype c = 0; c < f.contents.size(); ++c)
            if (f.count(b, c) > 0)
                bar += QString(" %1 %2").arg(f.contents[c]).arg(f.count(b, c));
        if (bar.size() > 10)
            bars << bar;
    }
    QStringList table;
    for (const QStringList& row : tableRows(f, english))
        table << row.join('|');
    const QString codes = summary(f, english).section('\n', 1); // several unit codes
    return QString("%1 %2: ").arg(widths[int(f.width)]).arg(f.barStarts.size()) + bars.join("; ") +
           " / " + table.join(" / ") + (codes.isEmpty() ? "" : " / " + codes);
}

} // namespace

class TstStatistics : public QObject {
    Q_OBJECT

public:
    // Every window of this suite opens on a 1024x768 screen; no print queue exists (CUPS is
    // pointed at a scheduler that is not there), so a print goes into a PDF file.
    static void initMain()
    {
        qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
        static QTemporaryDir dir;
        const QString config = dir.filePath("screen.json");
        writeFile(config, R"({"screens": [{"name": "1024x768", "x": 0, "y": 0, "width": 1024,
                              "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    }

    // Opens the window by its menu entry and runs `work` in it; the messages shown meanwhile.
    static QStringList openByMenu(ShownLogs& s, const std::function<void(Frm_Stat&)>& work)
    {
        s.dialogs.clear();
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<Frm_Stat*>(QApplication::activeModalWidget());
            QVERIFY2(w, "no statistics window");
            work(*w);
            w->Cmd_Modoru->click();
        });
        s.w.M_Stat->trigger();
        return s.dialogs.shown();
    }

private slots:
    void figures_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("japanese")
            << false << kLogs
            << "Day 3: 2024/05/01 アルコール測定 2 電源オン 1; 2024/05/03 アルコール測定 2 "
               "測定開始 1 "
               "/ X00 0001|Truck 3|3|2|1|2024年05月01日 08時00分00秒|2024年05月03日 08時00分00秒 "
               "/ X00 0002||3|1|1|2024年05月01日 10時00分00秒|2024年05月03日 07時45分00秒";
        const QString at = "|2024/01/03 12:00:00|";
        QTest::newRow("100 days: days")
            << true << logsOn({"2024-01-01", "2024-04-09"})
            << "Day 100: 2024/01/01 Power on 1; 2024/04/09 Power on 1 / X00 0001||2|0|0|"
               "2024/01/01 12:00:00|2024/04/09 12:00:00";
        QTest::newRow("101 days: weeks from Monday")
            << true << logsOn({"2024-01-03", "2024-04-12", "2024-04-14"})
            << "Week 15: 2024/01/01 Power on 1; 2024/04/08 Power on 2 / X00 0001||3|0|0" + at +
                   "2024/04/14 12:00:00";
        QTest::newRow("101 weeks: months")
            << true << logsOn({"2024-01-03", "2025-12-01"})
            << "Month 24: 2024/01/01 Power on 1; 2025/12/01 Power on 1 / X00 0001||2|0|0" + at +
                   "2025/12/01 12:00:00";
        // The most frequent code is neither the first one read nor the lowest.
        QTest::newRow("three unit codes: the most frequent drawn, the others counted")
            << true
            << "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) VALUES "
               "('2024-05-01 08:00:00', '1', '0001', 8, '0.900', '03'),"
               "('2024-05-01 09:00:00', '2', '0001', 8, '0.100', '02'),"
               "('2024-05-01 10:00:00', '3', '0001', 8, '0.200', '02'),"
               "('2024-05-01 11:00:00', '4', '0001', 8, '0.500', '01')"
            << "Day 1: 2024/05/01 Alcohol measurement 4 / X00 0001||4|2|1|2|2024/05/01 "
               "08:00:00|2024/05/01 11:00:00 / " +
                   texts::stats::SeveralCodes.en_().arg("3", "02", "2");
        QTest::newRow("101 months: years")
            << true << logsOn({"2024-01-03", "2032-05-01"})
            << "Year 9: 2024/01/01 Power on 1; 2032/01/01 Power on 1 / X00 0001||2|0|0" + at +
                   "2032/05/01 12:00:00";
    }
    void figures()
    {
        QFETCH(bool, english);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        ShownLogs s({.Eng_Flg = english}, sql);
        s.w.Cmd_Find->click();
        s.w.Cmb_Sort[4]->click(); // any order of the rows gives the same figures
        const Figures f = compute(s.grid().texts(), s.grid().records(), {});
        QCOMPARE(shown(f, english), expected);
    }

    // From the menu: the empty grid's message, then the charts; a unit code's limit refused, set,
    // kept in quarvenix.ini and read again; the report saved as PDF and PNG and printed, read back.
    void windowFromMenu()
    {
        ShownLogs s({}, kLogs);
        s.w.M_Stat->trigger();
        QCOMPARE(s.dialogs.shown(), QStringList{"統計: ログが表示されてません。"});
        const QString ini = s.dir.filePath("quarvenix.ini");
        const QByteArray setting = "[database]\r\n; the local file\r\ndriver=sqlite\r\n\r\n"
                                   "[statistics]\r\nlimit.02=0.050\r\n";
        QVERIFY(writeFile(ini, setting));

        s.w.Cmd_Find->click();
        QString seen;
        QStringList shown = openByMenu(s, [&](Frm_Stat& w) {
            const QChart* values = w.Chart_Value->chart();
            seen = w.windowTitle() + (w.isModal() ? " modal " : " ") + w.LB_Limit->text() + " " +
                   w.Txt_Limit->text() + QString(" %1 rows, points").arg(w.Grid_Unit->rowCount());
            // Dots below the limit, triangles (a light marker) at or above it; the line neither.
            for (const QAbstractSeries* series : values->series())
                if (const auto* points = qobject_cast<const QXYSeries*>(series);
                    points->pointsVisible() || points->count() > 0)
                    seen += QString(points->pointsVisible() ? " %1" : " %1▲").arg(points->count());
            for (const char* typed : {"0.1234", "-1", "0.3", "10", "０．２"}) {
                w.Txt_Limit->setText(typed);
                QTest::keyClick(w.Txt_Limit, Qt::Key_Return);
            }
            seen += " " + w.Txt_Limit->text() + " " + w.LB_Summary->text();
        });
        const QString refused = "統計: " + texts::stats::BadLimit.ja_() + " (icon)";
        QCOMPARE(shown, QStringList({refused, refused, refused}));
        QCOMPARE(seen, "統計 modal " + texts::stats::LB_Limit.ja_().arg("01") +
                           " 0.150 2 rows, points 1 0 1▲ 1▲ 2▲ 0.200 " +
                           texts::stats::Summary.ja_().arg("2024年05月01日 08時00分00秒",
                                                           "2024年05月03日 08時00分00秒", "6", "3",
                                                           "0.200", "1", "01"));
        QCOMPARE(fileBytes(ini), setting + "limit.01=0.200\r\n");
        QStringList table;
        s.dialogs.fileAnswers << s.dir.filePath("stat.pdf") << s.dir.filePath("stat.png")
                              << s.dir.filePath("printed.pdf");
        shown = openByMenu(s, [&](Frm_Stat& w) {
            seen = w.Txt_Limit->text();
            table = QStringList{"統計"} + tableHeadings(w.figures(), false);
            for (const QStringList& row : tableRows(w.figures(), false))
                table << row.join(' ');
            w.Cmd_Hozon->click();
            w.Cmd_Hozon->click();
            w.Cmd_Print->click();
        });
        QCOMPARE(seen, "0.200");
        const QString saved = "統計: " + texts::stats::Saved.ja_();
        QCOMPARE(shown.join('+'), saved + '+' + saved +
                                      "+統計: " + texts::output::NoQueuePdf.ja_() +
                                      " (icon)+統計: " + texts::stats::Printed.ja_());
        QCOMPARE(s.dialogs.fileRequests[0].request.fileName, "統計20240515103000.pdf");
        QCOMPARE(s.dialogs.fileRequests[2].request.filter, texts::output::PdfFilter.ja_());
        QCOMPARE(s.dialogs.printDialogs, 0);
        for (const char* pdf : {"stat.pdf", "printed.pdf"})
            QCOMPARE(firstWordOutOfOrder(pdfText(s.dir.filePath(pdf)), table), QString());
        // The bar chart's date labels above the value chart (whose time axis has dates too), its
        // axis title under them, centred.
        const QList<PdfWord> words = pdfWords(s.dir.filePath("stat.pdf"));
        const auto box = [&](const QString& start) {
            for (const PdfWord& word : words)
                if (word.text.startsWith(start))
                    return word.box;
            return QRectF();
        };
        QStringList bars;
        QRectF labels;
        // The value chart's title ユニット別の…, whose first word pdftotext ends before 別.
        const qreal valueTitle = box("ユニット").top();
        for (const PdfWord& word : words)
            if (word.text.startsWith("05/0") && word.box.bottom() < valueTitle) {
                bars << word.text;
                labels |= word.box;
            }
        QCOMPARE(bars, QStringList({"05/01", "05/02", "05/03"}));
        QVERIFY(labels.bottom() < box("日別").top());
        QVERIFY(qAbs(box("日別").center().x() - labels.center().x()) < labels.width() / 4);
        QVERIFY(!QImage(s.dir.filePath("stat.png")).isNull());
    }

    // On a 1024x768 screen no chart text is cut ("...") and the window keeps its size and place
    // when the limit is set (controls whole: tst_keyboard_and_screen).
    void fitsTheScreen_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("sql");
        QTest::newRow("japanese") << false << kLogs;
        QTest::newRow("english, 100 days over the new year")
            << true << kLogs + ";" + logsOn({"2024-11-25", "2025-03-04"});
    }
    void fitsTheScreen()
    {
        QFETCH(bool, english);
        QFETCH(QString, sql);
        ShownLogs s({.Eng_Flg = english}, sql);
        s.w.Cmd_Find->click();
        QRect opened, kept;
        QStringList cut;
        openByMenu(s, [&](Frm_Stat& w) {
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            opened = w.frameGeometry();
            for (const QChartView* chart : {w.Chart_Log, w.Chart_Value})
                for (const QGraphicsItem* item : chart->scene()->items())
                    if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
                        text && text->isVisible() && text->toPlainText().contains("..."))
                        cut << chart->objectName() + ": " + text->toPlainText();
            QTest::keyClick(w.Txt_Limit, Qt::Key_Return);
            kept = w.frameGeometry();
        });
        QCOMPARE(cut.join(", "), QString());
        QCOMPARE(kept, opened);
    }

    // Every content and every unit has a colour of its own (21 contents, 18 units); a unit's
    // values at or above the limit keep its colour; the limit's legend entry is a line.
    void distinctColours()
    {
        Figures f;
        f.barStarts = {2460432};
        for (int c = 0; c < 21; ++c)
            f.contents << QString("content %1").arg(c);
        f.counts.assign(21, 1);
        const std::int64_t t = 2460432 * kSecondsPerDay;
        for (int u = 0; u < 18; ++u) {
            f.units.emplace_back().unit = QString("unit %1").arg(u);
            f.units.back().points = {{t, 0.01}, {t, 0.3}};
        }
        const std::unique_ptr<QChart> logs = stat_charts::logChart(f, false, 12);
        const std::unique_ptr<QChart> points = stat_charts::valueChart(f, false, 12);
        QSet<QRgb> contents;
        for (QBarSet* set : qobject_cast<QStackedBarSeries*>(logs->series()[0])->barSets())
            contents << set->color().rgb();
        QHash<QString, QRgb> units; // dots; triangles (light markers) must have the same colour
        QStringList notTheirs, lines;
        for (QAbstractSeries* series : points->series()) {
            const auto* xy = qobject_cast<QXYSeries*>(series);
            if (xy->pointsVisible())
                units.insert(xy->name(), xy->color().rgb());
            else if (!xy->lightMarker().isNull() && units.value(xy->name()) != xy->color().rgb() &&
                     xy->count() > 0)
                notTheirs << xy->name();
            if (points->legend()->markers(series)[0]->shape() == QLegend::MarkerShapeFromSeries &&
                xy->lightMarker().isNull())
                lines << xy->name();
        }
        QCOMPARE(contents.size(), 21);
        QCOMPARE(QSet<QRgb>(units.cbegin(), units.cend()).size(), 18);
        QCOMPARE(notTheirs, QStringList());
        QCOMPARE(lines, QStringList{texts::stats::LimitLine.ja_().arg("0.150")});
    }
};

QTEST_MAIN(TstStatistics)
#include "tst_statistics.moc"

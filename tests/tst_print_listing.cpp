// Printing the grid: the listing's lines exactly, then the listing printed through the main
// window's print button into a PDF file by a real QPrinter and read back with pdftotext.
#include "app/texts.h"
#include "output/grid_print.h"
#include "output/print_lines.h"
#include "support/pdf_text.h"
#include "support/shown_logs.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QtWidgets>

namespace {

// A window showing `logs` stored logs of one unit.
struct Session : ShownLogs {
    explicit Session(Switches sw = {}, int logs = 2) : ShownLogs(sw, logsOfOneUnit(logs))
    {
        w.Cmd_Find->click();
    }
};

const QString kHeading =
    "　　ユニット  機器名称      No           年月日           時間               内容";

} // namespace

class TstPrintListing : public QObject {
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("line");
        QTest::newRow("heading") << 0 << QStringList{"ユニット", "機器名称", "No", "年月日",
                                                     "時間",     "内容",     "x"}
                                 << kHeading;
        QTest::newRow("row") << 1 << QStringList{"X00 0001",
                                                 "Truck",
                                                 "0001",
                                                 "2024年05月01日",
                                                 "08時00分05秒",
                                                 "アルコール測定 0.15001",
                                                 "x"}
                             << "　　 X00 0001       Truck         0001   2024年05月01日 "
                                "08時00分05秒   アルコール測定 0.15001";
        QTest::newRow("no text for the log number, empty name")
            << 7 << QStringList{"X00 0003", "", "2", "2024/01/01", "08:00:00", "セットエラー "}
            << "　　 X00 0003                2   2024/01/01 08:00:00   セットエラー ";
    }
    void lines()
    {
        QFETCH(int, row);
        QFETCH(QStringList, cells);
        QFETCH(QString, line);
        QCOMPARE(print_lines::line(row, cells), line);
    }

    void oneRowGridPrintsThreeLines()
    {
        Session s({}, 1);
        QCOMPARE(print_lines::all(s.grid()),
                 (QStringList{"", kHeading,
                              "　　 X00 0001                0000   2024年05月01日 08時00分05秒   "
                              "アルコール測定 0.15001"}));
    }

    // The listing printed: the headings and every row's texts in order, the Japanese heading
    // and closing message in both languages, one copy offered; 200 rows fill several pages.
    void printedPdf_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("logs");
        QTest::addColumn<bool>("severalPages");
        QTest::newRow("japanese, 2 rows") << false << 2 << false;
        QTest::newRow("english, 2 rows") << true << 2 << false;
        QTest::newRow("japanese, 200 rows") << false << 200 << true;
    }
    void printedPdf()
    {
        QFETCH(bool, english);
        QFETCH(int, logs);
        QFETCH(bool, severalPages);
        Session s({.Eng_Flg = english}, logs);
        s.dialogs.onMessage = [](const ScriptedDialogs::Message&) {
            QVERIFY2(!QApplication::overrideCursor(), "a message under the busy pointer");
        };
        const QString text = s.print();
        QCOMPARE(s.dialogs.shown(), QStringList{"ログ作成: ログを印刷しました。"});
        QCOMPARE(s.dialogs.printCopies, QList<int>{1});
        const QStringList lines = print_lines::all(s.grid());
        QCOMPARE(lines.size(), logs + 2);
        QCOMPARE(lines[1], kHeading);
        QCOMPARE(firstWordOutOfOrder(text, lines), QString());
        QCOMPARE(text.count(QChar(0x0c)) > 1, severalPages);
    }

    void cancelPrintsNothing()
    {
        Session s;
        s.dialogs.printAnswers << false;
        QCOMPARE(s.print(), QString());
        QCOMPARE(s.dialogs.printDialogs, 1);
        QVERIFY(s.dialogs.messages.isEmpty());
    }

    // A printer that cannot be opened (here a PDF file in a folder that does not exist) is
    // reported instead of the closing message, with the pointer back to normal.
    void printerFailure_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("message");
        QTest::newRow("japanese") << false
                                  << "印刷: ログを印刷できませんでした。\n"
                                     "プリンターが選ばれていないか、使用できません。 (icon)";
        QTest::newRow("english") << true
                                 << "Print: The log could not be printed.\n"
                                    "No printer is chosen, or the printer cannot be used. (icon)";
    }
    void printerFailure()
    {
        QFETCH(bool, english);
        QFETCH(QString, message);
        Session s({.Eng_Flg = english});
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QCOMPARE(s.print("gone/listing.pdf"), QString());
        QCOMPARE(s.dialogs.shown(), QStringList{message});
        QVERIFY(!QApplication::overrideCursor());
    }

    // The real print dialog: one copy, no printing into a file; cancelling it gives false.
    void realPrintDialog()
    {
        QtDialogs dialogs;
        QPrinter printer(QPrinter::HighResolution);
        printer.setCopyCount(3);
        QString seen;
        QTimer::singleShot(0, [&seen] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                seen = "no print dialog";
                return;
            }
            seen = QString("to file %1, copies %2")
                       .arg(dialog->testOption(QAbstractPrintDialog::PrintToFile))
                       .arg(dialog->printer()->copyCount());
            dialog->reject();
        });
        QVERIFY(!Show_PrinterDialog(dialogs, nullptr, printer));
        QCOMPARE(seen, "to file 0, copies 1");
    }
};

QTEST_MAIN(TstPrintListing)
#include "tst_print_listing.moc"

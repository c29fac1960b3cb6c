// Printing the grid by a real QPrinter and a private CUPS queue, read back with pdftotext.
#include "base/texts/output.h"
#include "output/grid_print.h"
#include "output/print_lines.h"
#include "output/save_dialog.h"
#include "support/pdf_print_queue.h"
#include "support/pdf_text.h"
#include "support/services.h"
#include "support/shown_logs.h"
#include "support/size_limit.h"
#include "ui/desktop_folder.h"
#include "ui/qt_dialogs.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QtWidgets>

class TstPrintListing : public QObject {
    Q_OBJECT

    // Started with the test object, before anything in the process talks to CUPS.
    PdfPrintQueue queue_;

private slots:
    // A short number, an empty name and dates in English keep the columns.
    void shortCellsKeepTheColumns()
    {
        QCOMPARE(print_lines::line(
                     7, QString("X00 0003||2|2024/01/01|08:00:00|セットエラー ").split('|')),
                 "　　 X00 0003                2   2024/01/01 08:00:00   セットエラー ");
    }

    // Through the print button: the listing of a real grid, headings and rows in order over several
    // pages; a cancelled dialog prints nothing, a printer that cannot open is reported, pointer
    // normal.
    void printed_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("logs");
        QTest::addColumn<QString>("pdf");         // "" for a cancelled dialog
        QTest::addColumn<QStringList>("listing"); // its first lines after the heading
        QTest::addColumn<QStringList>("messages");
        const QStringList done{"ログ作成: ログを印刷しました。"};
        QTest::newRow("japanese, 1 row")
            << false << 1 << "listing.pdf"
            << QStringList{"　　 X00 0001                0000   2024年05月01日 08時00分05秒   "
                           "アルコール測定 0.15001"}
            << done;
        QTest::newRow("english, 2 rows")
            << true << 2 << "listing.pdf"
            << QStringList{"　　 X00 0001                0000   2024/05/01 08:00:05   Alcohol "
                           "measurement 0.15001"}
            << done;
        QTest::newRow("japanese, 200 rows")
            << false << 200 << "listing.pdf" << QStringList() << done;
        QTest::newRow("cancel") << false << 2 << "" << QStringList() << QStringList();
        QTest::newRow("printer fails, english")
            << true << 2 << "gone/listing.pdf" << QStringList()
            << QStringList{"Print: " +
                           texts::output::PrintFailed.en_().arg(texts::output::NoPrinter.en_()) +
                           " (icon)"};
    }
    void printed()
    {
        if (!queue_.error().isEmpty()) // without a queue the print dialog is not offered
            QVX_SERVICE_MISSING("no print queue for this test: " + queue_.error());
        QFETCH(bool, english);
        QFETCH(int, logs);
        QFETCH(QString, pdf);
        QFETCH(QStringList, listing);
        QFETCH(QStringList, messages);
        ShownLogs s({.Eng_Flg = english}, logsOfOneUnit(logs));
        s.w.Cmd_Find->click();
        s.dialogs.onMessage = [](const ScriptedDialogs::Message&) {
            QVERIFY2(!QApplication::overrideCursor(), "a message under the busy pointer");
        };
        if (pdf.isEmpty())
            s.dialogs.printAnswers << false;
        else if (pdf.startsWith("gone/"))
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        const QString text = s.print(pdf.isEmpty() ? "listing.pdf" : pdf);
        QCOMPARE(s.dialogs.printDialogs, 1);
        QCOMPARE(s.dialogs.shown(), messages);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(text.isEmpty(), pdf != "listing.pdf");
        if (text.isEmpty())
            return;
        const QString heading =
            "　　ユニット  機器名称      No           年月日           時間               内容";
        const QStringList lines = print_lines::all(s.grid());
        QCOMPARE(lines.size(), logs + 2);
        QCOMPARE(lines.mid(0, listing.size() + 2), QStringList({"", heading}) + listing);
        QCOMPARE(firstWordOutOfOrder(text, lines), QString());
        QVERIFY2(text.contains("年月日"), qPrintable(text.left(200))); // 月, not the radical ⽉
        QCOMPARE(text.count(QChar(0x0c)) > 1, logs > 100);
    }

    // The real print dialog: one copy, no printing into a file; cancelling it gives false.
    void realPrintDialog()
    {
        QtDialogs dialogs;
        QPrinter printer(QPrinter::HighResolution);
        printer.setCopyCount(3);
        QString seen = "no print dialog";
        QTimer::singleShot(0, [&seen] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                seen = QString("to file %1, copies %2")
                           .arg(dialog->testOption(QAbstractPrintDialog::PrintToFile))
                           .arg(dialog->printer()->copyCount());
                dialog->reject();
            }
        });
        QVERIFY(!Show_PrinterDialog(dialogs, nullptr, printer));
        QCOMPARE(seen, "to file 0, copies 1");
    }

    // Through the private CUPS queue in English: headings and rows arrive in order on the pages it
    // wrote. Once the queue refuses jobs, the operator is told why instead of the closing box.
    void printedThroughTheQueue()
    {
        if (!queue_.error().isEmpty())
            QVX_SERVICE_MISSING("no CUPS scheduler for this test: " + queue_.error());
        ShownLogs s({.Eng_Flg = 1}, logsOfOneUnit(60));
        s.w.Cmd_Find->click();
        QString printer; // the one the print dialog starts with
        s.dialogs.onPrint = [&printer](QPrinter& p) {
            printer = p.outputFormat() == QPrinter::NativeFormat ? p.printerName() : "a file";
        };
        s.w.Cmd_Print->click();
        QCOMPARE(printer, PdfPrintQueue::name());
        QCOMPARE(s.dialogs.shown(), QStringList{"ログ作成: ログを印刷しました。"});
        const QStringList pdfs = queue_.waitForPdfs(90000);
        QVERIFY2(pdfs.size() == 1, qPrintable(queue_.logTail()));
        const QString text = pdfText(pdfs[0]);
        QCOMPARE(firstWordOutOfOrder(text, print_lines::all(s.grid())), QString());
        QVERIFY2(text.count('\f') > 1, qPrintable(text));

        s.dialogs.clear();
        QVERIFY(queue_.run("cupsreject", {"-r", "closed for the test", PdfPrintQueue::name()}));
        s.w.Cmd_Print->click();
        QVERIFY(queue_.run("cupsaccept", {PdfPrintQueue::name()}));
        QCOMPARE(
            s.dialogs.shown().join('+').replace(QRegularExpression("\\(.*\\)\\."), "(why)."),
            "Print: " +
                texts::output::PrintFailed.en_().arg(texts::output::JobRefused.en_().arg("why")) +
                " (icon)");
        QVERIFY(!QApplication::overrideCursor());
    }

    void printedWithoutQueue_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("answers");  // to the question, then the save dialog's path
        QTest::addColumn<qint64>("sizeLimit"); // of files, 0 = none
        QTest::addColumn<QString>("after");    // the messages after the question
        QTest::newRow("english, over an older file")
            << true << "yes old.pdf" << 0ll << "ログ作成: ログを印刷しました。";
        QTest::newRow("answered no") << false << "no" << 0ll << "";
        QTest::newRow("save dialog cancelled") << false << "yes" << 0ll << "";
        QTest::newRow("folder gone, english")
            << true << "yes gone/listing.pdf" << 0ll
            << "Print: " +
                   texts::output::PrintFailed.en_().arg(
                       texts::output::FileNotWritten.en_().arg("why")) +
                   " (icon)";
        QTest::newRow("disk full, the older file kept")
            << false << "yes old.pdf" << 4000ll
            << "印刷: " +
                   texts::output::PrintFailed.ja_().arg(texts::output::FileIncomplete.ja_()) +
                   " (icon)";
    }
    // With no print queue at all (the scheduler's one taken away, or none reached) no print dialog
    // is offered but a PDF file, named in the save dialog and written whole or not at all.
    void printedWithoutQueue()
    {
        QFETCH(bool, english);
        QFETCH(QString, answers);
        QFETCH(qint64, sizeLimit);
        QFETCH(QString, after);
        QVERIFY(!queue_.error().isEmpty() || queue_.setInstalled(false));
        const auto reinstall =
            qScopeGuard([this] { queue_.setInstalled(queue_.error().isEmpty()); });
        QCOMPARE(QPrinterInfo::availablePrinterNames(), QStringList());
        ShownLogs s({.Eng_Flg = english}, logsOfOneUnit(3));
        s.w.Cmd_Find->click();
        QVERIFY(writeFile(s.dir.filePath("old.pdf"), "older"));
        const QStringList answer = answers.split(' ');
        s.dialogs.answers << (answer[0] == "yes" ? MsgAnswer::Yes : MsgAnswer::No);
        s.dialogs.fileAnswers << (answer.size() > 1 ? s.dir.filePath(answer[1]) : "");
        withSizeLimit(sizeLimit, [&] { s.w.Cmd_Print->click(); });

        using namespace texts::output;
        QCOMPARE(s.dialogs.shown().join('+').replace(
                     QRegularExpression("([(（])(?!icon)[^()（）]*([)）])"), "\\1why\\2"),
                 PrintTitle.pick(english) + ": " + NoQueuePdf.pick(english) + " (icon)" +
                     (after.isEmpty() ? "" : "+" + after));
        const FileDialogRequest r = s.dialogs.fileRequests.value(0).request;
        QCOMPARE(r.fileName + '|' + r.filter + '|' + r.startFolder,
                 answer[0] == "no" ? "||"
                                   : (english ? "LOG" : "ログ") + QString("20240515103000.pdf|") +
                                         PdfFilter.ja_() + '|' + proposedFolder());
        QVERIFY(s.dialogs.printDialogs == 0 && !QApplication::overrideCursor());
        // The older file replaced by the whole listing (readable as before), or kept; nothing
        // else left behind.
        QCOMPARE(QDir(s.dir.path()).entryList({"*.pdf*"}, QDir::Files), QStringList{"old.pdf"});
        QVERIFY(QFileInfo(s.dir.filePath("old.pdf")).permissions() & QFileDevice::ReadOther);
        const QString text = pdfText(s.dir.filePath("old.pdf"));
        QCOMPARE(text.isEmpty() ? "kept" : firstWordOutOfOrder(text, print_lines::all(s.grid())),
                 after.endsWith("しました。") ? "" : "kept");
    }
};

QVX_TEST_MAIN(TstPrintListing)
#include "tst_print_listing.moc"

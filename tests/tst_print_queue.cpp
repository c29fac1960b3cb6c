// Printing the grid through a real print queue: a private CUPS scheduler started by the test,
// a queue that writes PDF files (cups-pdf), the main window's print button, and the PDF the
// queue wrote read back with pdftotext.
#include "app/texts.h"
#include "output/print_lines.h"
#include "support/pdf_print_queue.h"
#include "support/shown_logs.h"

#include <QPrinter>
#include <QTest>
#include <QtWidgets>
#include <memory>

class TstPrintQueue : public QObject {
    Q_OBJECT

    std::unique_ptr<PdfPrintQueue> queue_;

    // Prints through the print button to the printer the dialog starts with; what it printed on.
    static QString printOnDefault(ShownLogs& s)
    {
        QString printer;
        s.dialogs.onPrint = [&printer](QPrinter& p) {
            printer = p.outputFormat() == QPrinter::NativeFormat ? p.printerName() : "a file";
        };
        s.w.Cmd_Print->click();
        return printer;
    }

private slots:
    void initTestCase()
    {
        queue_ = std::make_unique<PdfPrintQueue>();
        if (!queue_->error().isEmpty())
            QSKIP(qPrintable("no CUPS scheduler for this test: " + queue_->error()));
    }
    void cleanupTestCase() { queue_.reset(); }

    // An English listing (the heading line stays Japanese): the headings and every row's
    // texts arrive in order on the pages the queue wrote.
    void listingArrivesAsPdf()
    {
        ShownLogs s({.Eng_Flg = 1}, logsOfOneUnit(60));
        s.w.Cmd_Find->click();
        queue_->clearPdfs();
        QCOMPARE(printOnDefault(s), PdfPrintQueue::name());
        QCOMPARE(s.dialogs.shown(), QStringList{"ログ作成: ログを印刷しました。"});
        const QStringList pdfs = queue_->waitForPdfs(90000);
        QVERIFY2(pdfs.size() == 1, qPrintable(queue_->logTail()));
        const QString text = pdfText(pdfs[0]);
        QCOMPARE(firstWordOutOfOrder(text, print_lines::all(s.grid())), QString());
        QVERIFY2(text.count('\f') > 1, qPrintable(text));
    }

    // A queue that does not accept jobs: the operator is told why instead of the closing box.
    void refusedJobIsReported()
    {
        ShownLogs s({}, logsOfOneUnit(2));
        s.w.Cmd_Find->click();
        QVERIFY(queue_->run("cupsreject", {"-r", "closed for the test", PdfPrintQueue::name()}));
        printOnDefault(s);
        QVERIFY(queue_->run("cupsaccept", {PdfPrintQueue::name()}));
        QCOMPARE(s.dialogs.messages.size(), 1);
        const auto& m = s.dialogs.messages[0];
        QCOMPARE(m.title, "印刷");
        QVERIFY2(m.text.startsWith(
                     "ログを印刷できませんでした。\nプリンターが印刷を受け付けませんでした。"),
                 qPrintable(m.text));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TstPrintQueue)
#include "tst_print_queue.moc"

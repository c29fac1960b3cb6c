// The record book window by the keyboard alone, printed into a PDF file and saved as CSV.
#include "base/texts/records.h"
#include "records/record_save.h"
#include "records_window/frm_kiroku.h"
#include "support/pdf_text.h"
#include "support/test_db.h"

#include <QPrinter>
#include <QStringEncoder>
#include <QTest>
#include <QtWidgets>
#include <variant>

using namespace check_records;
namespace tr = texts::records;

namespace {

// A delivered database with handset 0080 named Truck 3, signed in as admin (管理者).
struct BookWindow : TestApp {
    explicit BookWindow(Switches sw = {}) : TestApp(sw)
    {
        ctx.loginId = "admin";
        db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')");
    }
    // A log of the day (15 May 2024, "today"), a measurement unless the value is "".
    void log(const QString& unit, const QString& time, const QString& dataNo, const QString& value,
             const QString& day = "2024-05-15")
    {
        db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES "
                   "(?, ?, ?, ?, ?, '01')",
                   {unit, day + ' ' + time, dataNo, value.isEmpty() ? 21 : 8,
                    value.isEmpty() ? QVariant() : value});
    }
    QStringList history()
    {
        return firstColumn(db, "SELECT Details FROM Op_History WHERE Operation = 'CheckRecord' "
                               "ORDER BY No");
    }
};

// Types into the window's focused control: texts, and keys between them.
void keys(QWidget& w, const QList<std::variant<QString, Qt::Key>>& script)
{
    for (const auto& step : script) {
        QWidget* focused = w.focusWidget();
        if (const auto* text = std::get_if<QString>(&step))
            for (const QChar c : *text) // as an input method hands over each character
                QTest::sendKeyEvent(QTest::Click, focused, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        else
            QTest::keyClick(focused, std::get<Qt::Key>(step));
    }
}

QString column(const QAbstractItemModel& m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.index(r, c).data().toString();
    return out.join(',');
}

} // namespace

class TstFrmKiroku : public QObject {
    Q_OBJECT

private slots:
    // Today's measurements, rows without a record standing out; Tab through the fields, Return
    // records and moves on, proposing the handset's last driver and vehicle; a change leaves the
    // old values.
    void dayByKeyboard()
    {
        BookWindow b;
        b.log("0080", "07:00:00", "101", "0.000");
        b.log("0081", "07:10:00", "201", "0.000");
        b.log("0080", "07:30:00", "102", ""); // not a measurement
        b.log("0080", "12:00:00", "103", "0.200");
        b.log("0081", "17:00:00", "202", "0.000");
        b.log("0081", "17:00:00", "200", "0.000", "2024-05-14");
        Frm_Kiroku w(b.ctx);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QAbstractItemModel& m = *w.MSFG->model();
        const QString none = tr::NoRecord.ja_(), alcohol = tr::AlcoholFound.ja_();
        QCOMPARE(column(m, 0),
                 QStringList({none, none, none + tr::MarkJoin.ja_() + alcohol, none}).join(','));
        QCOMPARE(column(m, 2), "Truck 3,X00 0081,Truck 3,X00 0081");
        QVERIFY(m.index(2, 5).data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(w.LB_Count->text(), tr::Count.ja_().arg(4).arg(4));

        using K = Qt::Key;
        keys(w, {"山田", K::Key_Tab, "品川1", K::Key_Return});
        keys(w, {"鈴木", K::Key_Tab, "品川2", K::Key_Tab, K::Key_Down, K::Key_Tab, K::Key_Tab,
                 K::Key_Tab, K::Key_Tab, "休憩後に再確認", K::Key_Tab, "マスク", K::Key_Return});
        QCOMPARE(w.Txt_Driver->text() + w.Txt_Vehicle->text() + w.Cmb_Detected->currentText(),
                 "山田品川1有");
        keys(w, {K::Key_Return, "山田", K::Key_Return});
        QCOMPARE(w.Txt_Vehicle->text(), "品川1"); // 山田's, not 鈴木's proposed vehicle
        keys(w, {K::Key_Return});
        QCOMPARE(w.LB_Status->text(), tr::AllRecorded.ja_());
        QCOMPARE(column(m, 0), ",," + alcohol + ",");
        QCOMPARE(rowTexts(b.db, "SELECT Unit_SN, Date, Data_No, Driver, Vehicle, Phase, Checker, "
                                "Method, Detected, Instructions, Remarks, ID FROM Check_Record "
                                "ORDER BY Date"),
                 QStringList({"0080|2024-05-15 07:00:00|101|山田|品川1|0|管理者|0|0|||admin",
                              "0081|2024-05-15 07:10:00|201|鈴木|品川2|1|管理者|0|0|休憩後に再確認|"
                              "マスク|admin",
                              "0080|2024-05-15 12:00:00|103|山田|品川1|0|管理者|0|1|||admin",
                              "0081|2024-05-15 17:00:00|202|山田|品川1|0|管理者|0|0|||admin"}));

        w.MSFG->setFocus();
        keys(w, {K::Key_Up, K::Key_Up, K::Key_Tab, "鈴木 次郎", K::Key_Return});
        const QStringList history = b.history();
        QCOMPARE(history.size(), 5);
        QCOMPARE(history[0], "追加 X00 0080 2024/05/15 07:00:00 No.101");
        QCOMPARE(history[4], "変更 X00 0081 2024/05/15 07:10:00 No.201 変更前：酒気帯び=無、"
                             "運転者=鈴木、車両番号=品川2、確認区分=運転後、確認者名=管理者、"
                             "確認方法=対面・検知器使用、指示事項=休憩後に再確認、備考=マスク、"
                             "記録日時=2024/05/15 10:30:00、記録ID=admin");
        QCOMPARE(m.index(1, 5).data().toString(), "鈴木 次郎");
    }

    void printed_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QStringList>("expected"); // in order; {M} is the page count
        QTest::newRow("japanese")
            << false
            << QStringList{tr::BookTitle.ja_(),
                           "期間：2024年05月01日",
                           "2024年05月15日",
                           tr::BookPrinted.ja_().arg("2024年05月15日"),
                           tr::BookDepot.ja_().arg("東京営業所"),
                           tr::BookPage.ja_().arg("1", "{M}"),
                           tr::BookSeal.ja_(),
                           "日時 機器 測定値 酒気帯び",
                           "2024/05/15 06:00:00 Truck 3 0.000 無 運転者0 車両0 運転前 佐藤",
                           "電話・検知器使用 指示0 備考0 2024/05/15 10:30:00 admin",
                           tr::BookPage.ja_().arg("{M}", "{M}")};
        QTest::newRow("english") << true
                                 << QStringList{
                                        tr::BookTitle.en_(),
                                        tr::BookPeriod.en_().arg("2024/05/01", "2024/05/15"),
                                        tr::BookPrinted.en_().arg("2024/05/15"),
                                        tr::BookDepot.en_().arg("東京営業所"),
                                        tr::BookPage.en_().arg("1", "{M}"),
                                        tr::BookSeal.en_(),
                                        tr::BeforeDriving.en_(),
                                        tr::Telephone.en_(),
                                        tr::BookPage.en_().arg("{M}", "{M}")};
    }
    // Every page has the title, the seal box, the period, the print date, the depot and its
    // number of the pages; a line holds every field of its record.
    void printed()
    {
        QFETCH(bool, english);
        QFETCH(QStringList, expected);
        BookWindow b({.Eng_Flg = english});
        QVERIFY(writeFile(b.dir.filePath("quarvenix.ini"), "[records]\ndepot=東京営業所\n"));
        for (int i = 0; i < 45; ++i) {
            const QString time = QTime(6, 0).addSecs(i * 60).toString("HH:mm:ss");
            b.log("0080", time, QString::number(i), "0.000");
            const Entry e{QString("運転者%1").arg(i), QString("車両%1").arg(i),
                          Phase::BeforeDriving,       "佐藤",
                          Method::Telephone,          false,
                          QString("指示%1").arg(i),   QString("備考%1").arg(i)};
            QVERIFY(save(b.db, {"0080", "2024-05-15 " + time, QString::number(i)}, e,
                         {"admin", b.now, english, "X00 "})
                        .saved());
        }
        Frm_Kiroku w(b.ctx);
        w.Dtp_Kikan[0]->setDate(QDate(2024, 5, 1));
        w.Cmd_Find->click();
        const QString pdf = b.dir.filePath("book.pdf");
        b.dialogs.onPrint = [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        };
        b.dialogs.fileAnswers << pdf; // where no print queue is installed
        w.Cmd_Print->click();
        QCOMPARE(b.dialogs.lastText(), tr::Printed.pick(english));
        const QString text = pdfText(pdf);
        const qsizetype pages = text.count('\f');
        QVERIFY2(pages >= 2, qPrintable(text));
        for (QString& line : expected)
            line.replace("{M}", QString::number(pages));
        QCOMPARE(firstWordOutOfOrder(text, expected), QString());
    }

    // The CSV file: the window's heading, a line per row, Shift_JIS with CR LF, a comma inside a
    // field written as "，", a row without a record with empty record fields.
    void savedAsCsv()
    {
        BookWindow b;
        b.log("0080", "08:00:00", "1", "0.000");
        b.log("0081", "09:00:00", "2", "0.160");
        const Entry e{"山田", "品川1",    Phase::AfterDriving, "佐藤", Method::VideoCall,
                      true,   "乗務中止", "再検査,0.000"};
        QVERIFY(save(b.db, {"0080", "2024-05-15 08:00:00", "1"}, e, {"admin", b.now, false, "X00 "})
                    .saved());
        Frm_Kiroku w(b.ctx);
        b.dialogs.fileAnswers << b.dir.filePath("book.csv");
        w.Cmd_Save->click();
        QCOMPARE(b.dialogs.fileRequests.constLast().request.fileName, "記録簿20240515103000.csv");
        QCOMPARE(
            fileBytes(b.dir.filePath("book.csv")),
            QStringEncoder("Shift_JIS")
                .encode(QString(
                    "日時,機器,測定値,酒気帯び,運転者,車両番号,確認区分,確認者名,確認方法,"
                    "指示事項,備考,記録日時,記録ID\r\n"
                    "2024/05/15 08:00:00,Truck 3,0.000,有,山田,品川1,運転後,佐藤,"
                    "ビデオ通話・検知器使用,乗務中止,再検査，0.000,2024/05/15 10:30:00,admin\r\n"
                    "2024/05/15 09:00:00,X00 0081,0.160,,,,,,,,,,\r\n")));
    }
};

QTEST_MAIN(TstFrmKiroku)
#include "tst_frm_kiroku.moc"

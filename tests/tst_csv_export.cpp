// Saving the grid as a CSV file: searched on a real database through the main window, saved
// through its save button, the Shift_JIS file read back byte for byte.
#include "base/sjis_text.h"
#include "base/texts/output.h"
#include "output/csv_lines.h"
#include "output/save_dialog.h"
#include "support/shown_logs.h"
#include "support/size_limit.h"

#include <QTest>
#include <QtWidgets>

namespace {

// Three stored logs: a measurement of a named unit, an alarm and a log number without a
// content text; `sql` changes them before the search.
struct Session : ShownLogs {
    explicit Session(Switches sw = {}, const QString& sql = {})
        : ShownLogs(sw, "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0002', 'Truck 3');"
                        "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) "
                        "VALUES ('2024-03-01 09:00:00', '1', '0002', 8, '0.150', '01'), "
                        "('2024-01-01 08:00:00', '2', '0003', 99, NULL, NULL), "
                        "('2024-02-01 17:00:00', '3', '0001', 9, '0.300', '01');" +
                            sql)
    {
        w.Cmd_Find->click();
    }
};

// Lines in Shift_JIS, each ended by CR LF.
QByteArray sjisLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += sjis::encode(line).value_or("(not Shift_JIS)") + "\r\n";
    return out;
}

const QString kHeading = "ユニット,機器名称,No,年月日,時間,内容,";
const QString kDone = "CSV作成: CSVファイルを作成しました。";

} // namespace

class TstCsvExport : public QObject {
    Q_OBJECT

private slots:
    void fields_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("bytes"); // Shift_JIS, "?" for what it cannot hold
        const auto row = [](const char* name, const char* cell, const char* field,
                            const QByteArray& bytes) {
            QTest::newRow(name) << QString(cell) << QString(field) << bytes;
        };
        row("comma", "A,B", "A，B", "A\x81\x43\x42");
        row("tab, then comma", ",\t,", "，,，", "\x81\x43,\x81\x43");
        row("CR LF, lone CR and LF", "a\r\nb\rc\nd", "abcd", "abcd");
        row("kana", "アルコール", "アルコール", "\x83\x41\x83\x8b\x83\x52\x81\x5b\x83\x8b");
        row("snowman", "a☃b", "a☃b", "a?b");
        row("surrogate pair", "𠮷野", "𠮷野", "?\x96\xec");
        row("empty", "", "", "");
    }
    void fields()
    {
        QFETCH(QString, cell);
        QFETCH(QString, field);
        QFETCH(QByteArray, bytes);
        QCOMPARE(csv_lines::field(cell), field);
        bool replaced = false;
        QCOMPARE(csv_lines::encode(field, replaced), bytes);
        QCOMPARE(replaced, bytes.contains('?'));
    }

    void savedFile_data()
    {
        QTest::addColumn<Switches>("sw");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<int>>("sorts"); // heading buttons clicked after the search
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, Switches sw, const char* sql, QList<int> sorts,
                            const QStringList& rows, QStringList messages = {kDone}) {
            QTest::newRow(name) << sw << QString(sql) << sorts << QStringList{kHeading} + rows
                                << messages;
        };
        const QStringList ja{
            "X00 0002,Truck 3,1,2024年03月01日,09時00分00秒,アルコール測定 0.15001,",
            "X00 0001,,3,2024年02月01日,17時00分00秒,アルコール検知 ,",
            "X00 0003,,2,2024年01月01日,08時00分00秒,セットエラー ,"};
        row("japanese, date descending", {}, "", {3}, ja);
        row("english, unit descending", {.Eng_Flg = 1}, "", {0},
            {"X00 0003,,2,2024/01/01,08:00:00,Set Error ,",
             "X00 0002,Truck 3,1,2024/03/01,09:00:00,Alcohol measurement 0.15001,",
             "X00 0001,,3,2024/02/01,17:00:00,Alcohol detected ,"});
        row("commas in a name and a content", {},
            "UPDATE Kiki_Name SET Name = 'Truck,3';"
            "UPDATE Log_Master SET Naiyou = 'A,B' WHERE Log_No = 8",
            {3}, {"X00 0002,Truck，3,1,2024年03月01日,09時00分00秒,A，B 0.15001,", ja[1], ja[2]});
        row("a character Shift_JIS cannot hold", {}, "UPDATE Kiki_Name SET Name = 'Truck ☃'", {3},
            {QString(ja[0]).replace("Truck 3", "Truck ?"), ja[1], ja[2]},
            {kDone, "保存: " + texts::output::CsvReplaced.ja_() + " (icon)"});
    }
    void savedFile()
    {
        QFETCH(Switches, sw);
        QFETCH(QString, sql);
        QFETCH(QList<int>, sorts);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, messages);
        Session s(sw, sql);
        for (const int button : sorts)
            s.w.Cmb_Sort[button]->click();
        s.dialogs.onMessage = [&](const ScriptedDialogs::Message&) {
            QVERIFY2(!QApplication::overrideCursor(), "a message under the busy pointer");
            QVERIFY2(QFile::exists(s.dir.filePath("saved.csv")), "a message before the file");
        };
        const QByteArray bytes = s.save();
        // The heading in Shift_JIS, no byte-order mark.
        QVERIFY(
            bytes.startsWith("\x83\x86\x83\x6a\x83\x62\x83\x67,\x8b\x40\x8a\xed\x96\xbc\x8f\xcc,"
                             "No,\x94\x4e\x8c\x8e\x93\xfa,\x8e\x9e\x8a\xd4,\x93\xe0\x97\x65,\r\n"));
        QCOMPARE(bytes, sjisLines(lines));
        QCOMPARE(s.dialogs.shown(), messages);
    }

    // The save dialog answered with a cancel: the name proposed at 09:15:00 on 4 December 2024
    // and the desktop folder; nothing is written and nothing is said. With only the heading row,
    // both commands say so and open no dialog.
    void proposedNameCancelAndNothingShown()
    {
        Session s({.Eng_Flg = 1});
        s.now = QDateTime(QDate(2024, 12, 4), QTime(9, 15, 0));
        const QStringList before = QDir(s.dir.path()).entryList(QDir::Files);
        s.w.M_Save->trigger();
        QCOMPARE(s.dialogs.fileRequests.size(), 1);
        const FileDialogRequest& r = s.dialogs.fileRequests[0].request;
        QVERIFY(s.dialogs.fileRequests[0].save && s.dialogs.messages.isEmpty());
        QCOMPARE(QStringList({r.fileName, r.startFolder}),
                 QStringList({"LOG20241204091500.csv", Desktop_Path()}));
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files), before);

        Session empty({}, "DELETE FROM Log_Data");
        empty.w.Cmd_Save->click();
        empty.w.Cmd_Print->click();
        QCOMPARE(empty.dialogs.shown(),
                 QStringList({"保存: ログが表示されてません。", "印刷: ログが表示されてません。"}));
        QVERIFY(empty.dialogs.fileRequests.isEmpty() && empty.dialogs.printDialogs == 0);
    }

    // A file that cannot be written: the operator is told, no partial file is left and a
    // file of that name keeps its contents. Files are limited in size (RLIMIT_FSIZE) to make
    // the writing itself fail, as a full disk would.
    void unwritable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("sizeLimit"); // 0 = none
        QTest::newRow("missing folder") << "gone/saved.csv" << qint64(0);
        QTest::newRow("disk full, existing file") << "saved.csv" << qint64(10);
    }
    void unwritable()
    {
        QFETCH(QString, name);
        QFETCH(qint64, sizeLimit);
        Session s;
        QCOMPARE(sjis::writeLines(s.dir.filePath("saved.csv"), {"old contents"}), QString());
        const QStringList before = QDir(s.dir.path()).entryList(QDir::Files);

        QByteArray bytes;
        QString linesError; // the shared Shift_JIS file writer, on the same file
        withSizeLimit(sizeLimit, [&] {
            bytes = s.save(name);
            linesError = sjis::writeLines(s.dir.filePath(name), {"0123456789"});
        });
        QVERIFY(!linesError.isEmpty());

        QCOMPARE(s.dialogs.messages.size(), 1);
        const auto& m = s.dialogs.messages[0];
        QCOMPARE(m.title + "|" + m.text.section('\n', 0, 1),
                 "保存|CSVファイルを作成できませんでした。\n" + s.dir.filePath(name));
        QVERIFY(!m.text.section('\n', 2).isEmpty() && m.icon == MsgIcon::Exclamation); // and why
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files), before);
        QCOMPARE(bytes, sizeLimit > 0 ? QByteArray("old contents\r\n") : QByteArray("(no file)"));
    }

    // Through the main window on 30,000 stored logs, sorted on the time column: the file holds
    // every grid row as shown.
    void largeGridMatchesTheGrid()
    {
        Session s({.Test_Flg = 1}); // the test feed is pressed in the test build only
        s.w.Cmd_Sousa->click();
        s.w.Cmd_Find->click();
        s.w.Cmb_Sort[4]->click();
        const LogGridModel& grid = *s.w.MSFG->gridModel();
        QCOMPARE(grid.Rows(), 30004); // and the session's three
        QStringList lines;
        for (int row = 0; row < grid.Rows(); ++row) {
            QStringList cells;
            for (int col = 0; col < LogGridModel::Cols; ++col)
                cells << csv_lines::field(grid.TextMatrix(row, col));
            lines << cells.join(',');
        }
        QCOMPARE(s.save(), sjisLines(lines));
        QCOMPARE(s.dialogs.shown(), QStringList{kDone});
    }
};

QTEST_MAIN(TstCsvExport)
#include "tst_csv_export.moc"

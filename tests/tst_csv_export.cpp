// The grid saved as CSV through the main window, the Shift_JIS file read back byte for byte.
#include "base/sjis_text.h"
#include "base/texts/output.h"
#include "output/csv_lines.h"
#include "output/save_dialog.h"
#include "support/shown_logs.h"
#include "support/size_limit.h"

#include <QTest>
#include <QtWidgets>

namespace {

// The three logs searched, after `sql`.
struct Session : ShownLogs {
    explicit Session(Switches sw = {}, const QString& sql = {})
        : ShownLogs(sw, kThreeLogs + ';' + sql)
    {
        w.Cmd_Find->click();
    }
};

// Lines in Shift_JIS, each ended by CR LF.
QByteArray sjisLines(const QStringList& lines)
{
    return sjis::encode(lines.join("\r\n") + "\r\n").value_or("(not Shift_JIS)");
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
        row("surrogate pair", "𠮷野", "𠮷野", "?\x96\xec");
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
        QTest::addColumn<int>("sort"); // the heading button clicked after the search
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, Switches sw, const char* sql, int sort,
                            const QStringList& rows, QStringList messages = {kDone}) {
            QTest::newRow(name) << sw << QString(sql) << sort << QStringList{kHeading} + rows
                                << messages;
        };
        const QStringList ja{
            "X00 0002,Truck 3,1,2024年03月01日,09時00分00秒,アルコール測定 0.15001,",
            "X00 0001,,3,2024年02月01日,17時00分00秒,アルコール検知 ,",
            "X00 0003,,2,2024年01月01日,08時00分00秒,セットエラー ,"};
        row("japanese, date descending", {}, "", 3, ja);
        row("english, unit descending", {.Eng_Flg = 1}, "", 0,
            {"X00 0003,,2,2024/01/01,08:00:00,Set Error ,",
             "X00 0002,Truck 3,1,2024/03/01,09:00:00,Alcohol measurement 0.15001,",
             "X00 0001,,3,2024/02/01,17:00:00,Alcohol detected ,"});
        row("a character Shift_JIS cannot hold", {}, "UPDATE Kiki_Name SET Name = 'Truck ☃'", 3,
            {QString(ja[0]).replace("Truck 3", "Truck ?"), ja[1], ja[2]},
            {kDone, "保存: " + texts::output::CsvReplaced.ja_() + " (icon)"});
    }
    void savedFile()
    {
        QFETCH(Switches, sw);
        QFETCH(QString, sql);
        QFETCH(int, sort);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, messages);
        Session s(sw, sql);
        s.w.Cmb_Sort[sort]->click();
        s.dialogs.onMessage = [&](const ScriptedDialogs::Message&) {
            QVERIFY2(!QApplication::overrideCursor(), "a message under the busy pointer");
            QVERIFY2(QFile::exists(s.dir.filePath("saved.csv")), "a message before the file");
        };
        const QByteArray bytes = s.save();
        QVERIFY(
            bytes.startsWith("\x83\x86\x83\x6a\x83\x62\x83\x67,\x8b\x40\x8a\xed\x96\xbc\x8f\xcc,"
                             "No,\x94\x4e\x8c\x8e\x93\xfa,\x8e\x9e\x8a\xd4,\x93\xe0\x97\x65,\r\n"));
        QCOMPARE(bytes, sjisLines(lines));
        QCOMPARE(s.dialogs.shown(), messages);
    }

    // Edition A shows no measured value: not in the grid, the saved file or the printed listing
    // (the standard edition's value is read back in savedFile and tst_print_listing).
    void editionAHidesTheMeasuredValue()
    {
        Session s({.A_Flg = 1});
        QString cells;
        for (int r = 1; r < s.grid().Rows(); ++r)
            for (int c = 0; c < LogGridModel::Cols; ++c)
                cells += s.grid().TextMatrix(r, c) + '|';
        const QString printed = s.print();
        QVERIFY(printed.contains("アルコール測定") && cells.contains("アルコール測定"));
        QVERIFY(!cells.contains("0.15001") && !s.save().contains("0.15001") &&
                !printed.contains("0.15001"));
    }

    // A cancelled save dialog: the proposed name and folder (the last save's while it exists, else
    // the desktop, documents or home, never the working one); a heading-only grid is refused by
    // both.
    void proposedNameCancelAndNothingShown_data()
    {
        QTest::addColumn<QString>("folders");   // in the home folder
        QTest::addColumn<QString>("savedInto"); // by a save before, in the home folder
        QTest::addColumn<QString>("start");     // in the home folder
        QTest::newRow("desktop") << "Desktop,Documents"
                                 << ""
                                 << "Desktop";
        QTest::newRow("no desktop folder") << "Documents"
                                           << ""
                                           << "Documents";
        QTest::newRow("neither") << ""
                                 << ""
                                 << "";
        QTest::newRow("remembered after a save") << "Desktop"
                                                 << " logs;2024"
                                                 << " logs;2024";
        QTest::newRow("remembered folder gone") << "Documents"
                                                << "gone"
                                                << "Documents";
    }
    void proposedNameCancelAndNothingShown()
    {
        QFETCH(QString, folders);
        QFETCH(QString, savedInto);
        QFETCH(QString, start);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(".config").toUtf8());
        for (const QString& folder : (folders + ',' + savedInto).split(',', Qt::SkipEmptyParts))
            QVERIFY(QDir(home.path()).mkpath(folder));
        Session s({.Eng_Flg = 1});
        s.dialogs.keepFoldersIn(home.filePath(".config/quarvenix/quarvenix.ini"));
        if (!savedInto.isEmpty()) {
            s.dialogs.fileAnswers << home.filePath(savedInto + "/first.csv");
            s.w.Cmd_Save->click();
            QVERIFY(QFile::exists(home.filePath(savedInto + "/first.csv")));
            QVERIFY(savedInto != "gone" || QDir(home.filePath(savedInto)).removeRecursively());
            s.dialogs.clear();
        }
        s.now = QDateTime(QDate(2024, 12, 4), QTime(9, 15, 0));
        const QStringList before = QDir(s.dir.path()).entryList(QDir::Files);
        s.w.M_Save->trigger();
        const FileDialogRequest& r = s.dialogs.fileRequests.value(0).request;
        QVERIFY(s.dialogs.fileRequests.size() == 1 && s.dialogs.messages.isEmpty());
        QCOMPARE(r.fileName + "|" + r.startFolder,
                 "LOG20241204091500.csv|" + QDir::cleanPath(home.filePath(start)));
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files), before);
        if (QTest::currentDataTag() != QLatin1String("desktop"))
            return;

        Session empty({}, "DELETE FROM Log_Data");
        empty.w.Cmd_Save->click();
        empty.w.Cmd_Print->click();
        QCOMPARE(empty.dialogs.shown(),
                 QStringList({"保存: ログが表示されてません。", "印刷: ログが表示されてません。"}));
        QVERIFY(empty.dialogs.fileRequests.isEmpty() && empty.dialogs.printDialogs == 0);
    }

    // A file that cannot be written (RLIMIT_FSIZE stands for a full disk): the operator is told,
    // no partial file is left and a file of that name keeps its contents.
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
        QVERIFY(writeFile(s.dir.filePath("saved.csv"), "old contents\r\n"));
        const QStringList before = QDir(s.dir.path()).entryList(QDir::Files);

        QByteArray bytes;
        withSizeLimit(sizeLimit, [&] { bytes = s.save(name); });

        const auto m = s.dialogs.messages.value(0);
        QCOMPARE(s.dialogs.messages.size(), 1);
        QCOMPARE(
            m.title + "|" + m.text.section('\n', 0, 1),
            "保存|" +
                texts::output::CsvFailed.ja_().arg(s.dir.filePath(name), "").section('\n', 0, 1));
        QVERIFY(!m.text.section('\n', 2).isEmpty() && m.icon == MsgIcon::Exclamation); // and why
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files), before);
        QCOMPARE(bytes, sizeLimit > 0 ? QByteArray("old contents\r\n") : QByteArray("(no file)"));
    }

    // 30,000 logs sorted on the time column, written in chunks, and logs with no date, a date
    // outside the range a row packs, of year 0 or no real date, a data number too long to pack or
    // holding a comma: the file holds every grid row as the grid shows it.
    void largeGridMatchesTheGrid()
    {
        Session s({.Test_Flg = 1}, // the test feed is pressed in the test build only
                  "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No) VALUES "
                  "(NULL, '123456789', '0001', 21), ('0000-05-01 10:00:00', 'a,b', '0001', 21), "
                  "('1999-12-31 23:59:59', '', '0001', 21), ('2024-13-45 99:99:99', '7', '0', 9)");
        s.w.Cmd_Sousa->click();
        s.w.Cmd_Find->click();
        s.w.Cmb_Sort[4]->click();
        QCOMPARE(s.grid().Rows(), 30008); // and the session's seven
        QStringList lines;
        for (int row = 0; row < s.grid().Rows(); ++row) {
            QStringList cells;
            for (int col = 0; col < LogGridModel::Cols; ++col)
                cells << s.grid().TextMatrix(row, col).replace(",", "，"); // only "a,b" has one
            lines << cells.join(',');
        }
        QCOMPARE(s.save(), sjisLines(lines));
        QCOMPARE(s.dialogs.shown(), QStringList{kDone});
    }
};

QTEST_MAIN(TstCsvExport)
#include "tst_csv_export.moc"

// Preserving, restoring and loading logs through the real window, read back byte for byte.
#include "base/texts/admin.h"
#include "base/texts/main.h"
#include "db/sql_text.h"
#include "support/failing_trigger.h"
#include "support/preservation_window.h"
#include "support/size_limit.h"
#include "support/test_db.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <QtWidgets>
#include <algorithm>
#include <atomic>

namespace t = texts::db_keep;

// The operations that delete: save and delete (1), delete (2).
static void deletingOperations()
{
    QTest::addColumn<int>("option");
    QTest::newRow("save and delete") << 1;
    QTest::newRow("delete") << 2;
}

static QString dataNos(Database& db, const QString& table)
{
    return firstColumn(db, "SELECT Data_No FROM " + table + " ORDER BY Data_No").join(',');
}

class TstPreservation : public QObject {
    Q_OBJECT

private slots:
    void fileLines_data()
    {
        QTest::addColumn<int>("english");
        QTest::addColumn<QStringList>("contents");
        QTest::addColumn<QStringList>("logs");
        QTest::addColumn<QString>("expected"); // the file's text, lines ended by "\r\n"
        const auto row = [](const char* name, int english, const QStringList& contents,
                            const QStringList& logs, const char* expected) {
            QTest::newRow(name) << english << contents << logs << QString(expected);
        };
        const QString at = "1234|2024-05-01 08:30:05|";
        row("door open, no alcohol", 0, {"90|Door open|Door open"}, {at + "0001|90||"},
            "X00 1234,2024/05/01 08:30:05,0001,Door open\r\n");
        row("English content only", 0, {"91||Only English"}, {at + "7|91|~|~"},
            "X00 1234,2024/05/01 08:30:05,7,Only English\r\n");
        row("no content, alcohol and unit follow", 0, {"92||"}, {at + "7|92|0.150|01"},
            "X00 1234,2024/05/01 08:30:05,7,セットエラー0.15001\r\n");
        row("log number not in the master", 0, {}, {at + "7|99|~|~"},
            "X00 1234,2024/05/01 08:30:05,7,セットエラー\r\n");
        row("content, alcohol and unit with nothing between", 0, {"93|呼気検査|Breath test"},
            {at + "0003|93|0.250|0A"}, "X00 1234,2024/05/01 08:30:05,0003,呼気検査0.2500A\r\n");
        row("midnight, and one second after", 0, {"90|Door open|Door open"},
            {"1234|2024-05-01 00:00:00|1|90|~|~", "1234|2024-05-01 00:00:01|2|90|~|~"},
            "X00 1234,2024/05/01,1,Door open\r\nX00 1234,2024/05/01 00:00:01,2,Door open\r\n");
        row("Japanese content in English too", 1, {"95|ドア開|Door open"},
            {"0080|2024-05-01 08:30:05|1|95|~|~"}, "X00 0080,2024/05/01 08:30:05,1,ドア開\r\n");
    }
    void fileLines()
    {
        QFETCH(int, english);
        QFETCH(QStringList, contents);
        QFETCH(QStringList, logs);
        QFETCH(QString, expected);
        Preservation p({.Eng_Flg = english});
        p.insert("Log_Master (Log_No, Naiyou, Naiyou2)", contents);
        p.addLogs(logs);
        const QString path = p.file("全ログ.csv");
        p.dialogs.fileAnswers << path; // the dialog proposes the base name and the time
        p.w.Cmd_Sansyou->click();
        QCOMPARE(p.dialogs.fileRequests.constLast().request.fileName,
                 (english ? "ALL LOG" : "全ログ") + QString("20240515103000.csv"));
        QVERIFY(p.w.focusWidget() == p.w.Txt_FName && p.w.Txt_FName->cursorPosition() > 0);
        p.w.Cmd_Hozon->click();
        p.w.Cmd_Sansyou->click(); // a cancel empties the path
        QCOMPARE(p.w.Txt_FName->text(), "");
        // One line a row, in the engine's row order (the statement asks for none).
        const auto lines = [](const QByteArray& file) {
            QList<QByteArray> out = file.split('\n');
            std::sort(out.begin(), out.end());
            return out;
        };
        QCOMPARE(lines(fileBytes(path)), lines(QStringEncoder("Shift_JIS").encode(expected)));
    }

    void operations_data()
    {
        QTest::addColumn<int>("english");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("withPath");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("existing"); // the file is there before
        // Messages ("!" after an exclamation icon, "[No]" after a question whose default is
        // No), the file written, logs left, backup rows.
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int english, int option, bool withPath, bool yes,
                            const QString& expected, bool existing = false) {
            QTest::newRow(name) << english << option << withPath << yes << existing << expected;
        };
        row("save", 0, 0, true, true, t::Ask0.ja_() + "!|" + t::End0.ja_() + " file 2 1");
        row("save answered No", 0, 0, true, false, t::Ask0.ja_() + "! none 2 1");
        row("save and delete without a path, english", 1, 1, false, true,
            t::NoFileName.en_() + "! none 2 1");
        row("save and delete", 0, 1, true, true,
            t::Ask1.ja_() + "![No]|" + t::End1.ja_() + " file 0 2");
        row("delete without a path", 0, 2, false, true,
            t::Ask2.ja_() + "![No]|" + t::End2.ja_() + " none 0 2");
        row("save and delete into an existing file answered No", 0, 1, true, false,
            t::Overwrite.ja_().arg("保存") + "![No] kept 2 1", true);
    }
    void operations()
    {
        QFETCH(int, english);
        QFETCH(int, option);
        QFETCH(bool, withPath);
        QFETCH(bool, yes);
        QFETCH(bool, existing);
        QFETCH(QString, expected);
        Preservation p({.Eng_Flg = english});
        p.addLogs(kTwoLogs);
        p.db.execute("INSERT INTO Log_Data_Bak (Unit_SN) VALUES ('7777')");
        const QByteArray old("kept from before\r\n");
        if (existing)
            QVERIFY(writeFile(p.file("保存"), old));
        p.dialogs.answers << (yes ? MsgAnswer::Yes : MsgAnswer::No);
        const QString before = QDir::currentPath();
        QDir::setCurrent(p.dir.path()); // a name without a folder or ".csv" is used as typed
        p.run(option, withPath ? "保存" : "");
        QDir::setCurrent(before);
        const bool written = QFile::exists(p.file("保存")) && !QFile::exists(p.file("保存.csv"));
        const bool kept = existing && fileBytes(p.file("保存")) == old;
        QStringList messages;
        for (const auto& m : p.dialogs.messages)
            messages << m.text + (m.icon == MsgIcon::Exclamation ? "!" : "") +
                            (m.buttons == MsgButtons::YesNoDefaultNo ? "[No]" : "");
        const char* file = kept ? " kept " : written ? " file " : " none ";
        const QString actual = messages.join('|') + file + QString::number(p.count("Log_Data")) +
                               ' ' + QString::number(p.count("Log_Data_Bak"));
        QCOMPARE(actual, expected);
        QVERIFY(p.dialogs.fileRequests.isEmpty() && !QApplication::overrideCursor());
        if (actual.endsWith(" 0 2"))
            QCOMPARE(p.table("Log_Data_Bak").count('\n'), 1); // exactly the logs deleted
    }

    void period_data() { deletingOperations(); }
    // Limited to May, its first to its last second: the question names period, count and the logs
    // with check records; file, backup, archive and deletion take exactly those logs, the others
    // stay.
    void period()
    {
        QFETCH(int, option);
        Preservation p;
        p.addLogs({"0080|2024-04-30 23:59:59|1|17|~|~", "0080|2024-05-01 00:00:00|2|17|~|~",
                   "0080|2024-05-31 23:59:59|3|17|~|~", "0080|2024-06-01 00:00:00|4|17|~|~"});
        for (const char* log : {"2024-04-30 23:59:59|1", "2024-05-31 23:59:59|3"})
            p.insert("Check_Record", {QString("0080|%1|山田|品川1|0|佐藤|0|0|||2024-06-01 "
                                              "08:00:00|admin")
                                          .arg(log)});
        p.w.Opt_Del[option]->click();
        p.w.Chk_Kikan->click();
        p.w.Dtp_Kikan[0]->setDate(QDate(2024, 5, 1));
        p.w.Dtp_Kikan[1]->setDate(QDate(2024, 5, 31));
        p.dialogs.answers << MsgAnswer::Yes;
        p.run(option, option == 1 ? p.file("may.csv") : "");
        QCOMPARE(p.dialogs.messages.size(), 2);
        const auto& asked = p.dialogs.messages.first();
        QCOMPARE(asked.text, (option == 1 ? t::Ask1Period : t::Ask2Period)
                                     .ja_()
                                     .arg("2024/05/01", "2024/05/31", "2") +
                                 t::YoungRecords.ja_().arg("1"));
        QCOMPARE(asked.buttons, MsgButtons::YesNoDefaultNo);
        QCOMPARE(dataNos(p.db, "Log_Data") + ' ' + dataNos(p.db, "Log_Data_Bak") + ' ' +
                     dataNos(p.db, "Log_Archive"),
                 "1,4 2,3 2,3");
        if (option == 2)
            return;
        QList<QByteArray> lines = fileBytes(p.file("may.csv")).split('\n');
        std::sort(lines.begin(), lines.end());
        const QByteArray expected = QStringEncoder("Shift_JIS")
                                        .encode("\nX00 0080,2024/05/01,2,測定エラー\r\nX00 "
                                                "0080,2024/05/31 23:59:59,3,測定エラー\r");
        QCOMPARE(lines, expected.split('\n'));
    }

    void failuresChangeNothing_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("path"); // relative to the test's folder
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("fileFails");
        const auto row = [](const char* name, int option, const char* path, const char* setup,
                            bool fileFails = true) {
            QTest::newRow(name) << option << QString(path) << QString(setup) << fileFails;
        };
        row("folder missing", 1, "missing/keep.csv", "");
        row("path is a folder", 0, "folder", "folder");
        row("disk full, existing file kept", 1, "old.csv", "disk full");
        row("character without Shift_JIS", 1, "old.csv", "snowman in a content");
        row("deletion refused by the engine", 1, "old.csv", "trigger", false);
        row("deletion only, refused", 2, "", "trigger", false);
        if (testEngine() == DbEngine::Postgresql)
            row("server gives up four times", 1, "old.csv", "conflicts", false);
    }
    void failuresChangeNothing()
    {
        QFETCH(int, option);
        QFETCH(QString, path);
        QFETCH(QString, setup);
        QFETCH(bool, fileFails);
        Preservation p;
        p.addLogs(kTwoLogs);
        p.db.execute("INSERT INTO Log_Data_Bak (Unit_SN) VALUES ('7777')");
        const QByteArray oldFile("kept from before\r\n");
        QVERIFY(writeFile(p.file("old.csv"), oldFile));
        if (setup == "folder")
            QDir(p.dir.path()).mkdir(setup);
        if (setup == "snowman in a content")
            p.db.execute("UPDATE Log_Master SET Naiyou = 'Snow ☃' WHERE Log_No = 17");
        if (setup == "trigger" || setup == "conflicts")
            addFailingTrigger(p.db, "Keep", "Log_Data", "DELETE", "", "logs are kept",
                              setup == "conflicts" ? "40001" : "P0001");
        p.db.execute("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, Log_No, HDate) VALUES "
                     "('0077', '2024-01-01 00:00:00', '1', 8, '2024-02-01 00:00:00')");
        const QString data = p.table("Log_Data"), backup = p.table("Log_Data_Bak"),
                      archive = p.table("Log_Archive");
        const QString full = path.isEmpty() ? path : p.file(path);
        withSizeLimit(setup == "disk full" ? 10 : 0, [&] { p.run(option, full); });

        QCOMPARE(p.table("Log_Data"), data);
        QCOMPARE(p.table("Log_Data_Bak"), backup);
        QCOMPARE(p.table("Log_Archive"), archive);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(p.dialogs.messages.size(), path == "old.csv" ? 3 : 2);
        const auto& m = p.dialogs.messages.last();
        const BiText& expected = fileFails     ? t::FileFailed
                                 : option == 2 ? t::DbFailed
                                               : t::DbFailedNoFile;
        QVERIFY2(m.text.startsWith(expected.ja_().section("\n", 0, 0)), qPrintable(m.text));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        // No file is written, not even a half-written or temporary one; an older one stays as
        // it was.
        QCOMPARE(fileBytes(p.file("old.csv")), oldFile);
        if (fileFails && setup.isEmpty())
            QVERIFY(!QFileInfo::exists(full));
        QCOMPARE(QDir(p.dir.path()).entryList({"*.csv.*", "folder.*"}), QStringList());
        // The window stays usable: the same operation runs once the cause is gone.
        dropFailingTrigger(p.db, "Keep", "Log_Data");
        p.db.execute("UPDATE Log_Master SET Naiyou = 'Snow' WHERE Log_No = 17");
        p.run(option, option == 2 ? "" : p.file("again.csv"));
        const BiText ended[] = {t::End0, t::End1, t::End2};
        QCOMPARE(p.dialogs.lastText(), ended[option].ja_());
    }

    void anotherPcStoresMeanwhile_data() { deletingOperations(); }
    // Another PC stores logs one by one before, during and after the operation: each log ends
    // up either written (file, backup) or left in Log_Data, exactly once.
    void anotherPcStoresMeanwhile()
    {
        if (testEngine() != DbEngine::Postgresql)
            QSKIP("other PCs store into a server database only");
        QFETCH(int, option);
        Preservation p;
        addLogs(p.db, 20000);
        std::atomic<bool> stop = false;
        std::atomic<int> stored = 0;
        QString otherError;
        std::unique_ptr<QThread> other(QThread::create([&] {
            try {
                Database db;
                db.open(p.program.setting.server);
                for (int k = 1; !stop; stored = k++)
                    db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                               "('0099', ?, ?, 8)",
                               {storedDateTime(QDateTime(QDate(2024, 1, 1), QTime(0, k % 60))),
                                QString::number(k)});
            } catch (const DbError& e) {
                otherError = e.message();
            }
        }));
        other->start();
        QTRY_VERIFY(stored > 50);
        const int before = stored;
        p.dialogs.answers << MsgAnswer::Yes;
        p.run(option, p.file("kept.csv"));
        const int during = stored - before;
        QTRY_VERIFY(stored > before + during + 50);
        stop = true;
        QVERIFY(other->wait(30000));
        QCOMPARE(otherError, QString());
        QVERIFY2(during > 0, "the other PC stored nothing during the operation");
        QCOMPARE(p.dialogs.lastText(), (option == 1 ? t::End1 : t::End2).ja_());
        QStringList logs, inFile; // "unit,data no" of every log stored, of every line written
        for (int k = 1; k <= 20000; ++k)
            logs << "0080," + QString::number(k);
        for (int k = 1; k <= stored; ++k)
            logs << "0099," + QString::number(k);
        const auto keys = [&](const QString& table) {
            return rowTexts(p.db, "SELECT Unit_SN, Data_No FROM " + table, ",");
        };
        const QString text = QStringDecoder("Shift_JIS").decode(fileBytes(p.file("kept.csv")));
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) // "X00 unit,date,no,.."
            inFile << line.section(',', 0, 0).mid(4) + ',' + line.section(',', 2, 2);
        QStringList written = keys("Log_Data_Bak"), kept = written + keys("Log_Data");
        for (QStringList* l : {&inFile, &written, &kept, &logs})
            l->sort();
        QCOMPARE(inFile, option == 1 ? written : QStringList());
        QCOMPARE(kept, logs);
    }

    void serverFailsOnce_data()
    {
        QTest::addColumn<bool>("lost"); // the connection, while the deletion commits
        QTest::newRow("given up for another session's sake") << false;
        QTest::newRow("connection lost during the commit") << true;
    }
    // A deletion the server gives up once runs again and ends. One whose connection is lost while
    // it commits leaves the file at its name, since the logs may be gone, and the operator is told
    // to look before deleting it.
    void serverFailsOnce()
    {
        if (testEngine() != DbEngine::Postgresql)
            QSKIP("a server only");
        QFETCH(bool, lost);
        Preservation p;
        p.addLogs(kTwoLogs);
        if (lost) {
            p.db.execute("CREATE FUNCTION qvx_end() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                         "PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NULL; END $$");
            p.db.execute("CREATE CONSTRAINT TRIGGER qvx_end AFTER INSERT ON Log_Data_Bak "
                         "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION qvx_end()");
        } else {
            p.db.execute("CREATE TEMPORARY SEQUENCE qvx_tries");
            addFailingTrigger(p.db, "Once", "Log_Data", "DELETE", "nextval('qvx_tries') = 1",
                              "gave up", "40001");
        }
        p.run(1, p.file("kept.csv"));
        QCOMPARE(p.dialogs.lastText().section('\n', 0, 0),
                 (lost ? t::DeletionUnknownFile : t::End1).ja_().section('\n', 0, 0));
        QCOMPARE(fileBytes(p.file("kept.csv")).count("\r\n"), 2);
        QCOMPARE(QString("%1 %2").arg(p.count("Log_Data")).arg(p.count("Log_Data_Bak")),
                 lost ? "2 0" : "0 2"); // a lost commit: the server rolled it back, as it happens
    }

    // Each save-and-delete archives what it deletes; the search with the box on reads both
    // tables with the same condition: a month from its first second to its last, logs just
    // outside it left out.
    void searchAfterTwoPreservations()
    {
        Archive a;
        const char* edges[] = {"2024-04-30 23:59:59", "2024-05-01 00:00:00", "2024-05-31 23:59:59",
                               "2024-06-01 00:00:00"};
        for (int i = 0; i < 8; ++i) { // 0 to 3 preserved two at a time, 10 to 13 kept
            addLog(a.db, "0080", edges[i % 4], QString::number(i < 4 ? i : 6 + i), 90);
            if (i == 1 || i == 3)
                a.run(1);
        }
        QCOMPARE(a.search(false), "10,11,12,13 4件");
        QCOMPARE(a.search(false, "05"), "11,12 2件");
        const BiText& found = texts::search_status::FoundArchived;
        QCOMPARE(a.search(true), "0,1,10,11,12,13,2,3 " + found.ja_().arg(8).arg(4));
        QCOMPARE(a.search(true, "05"), "1,11,12,2 " + found.ja_().arg(4).arg(2));
        QCOMPARE(dataNos(a.db, "Log_Archive"), "0,1,2,3"); // the archive never holds a log twice
    }

    // A restore moves the period's archived logs back after a question (default No) with the count;
    // one history row; a later deletion archives them again. On a server as the program's role,
    // which may not delete archived logs: its restore function does.
    void restoreAPeriod()
    {
        Archive a;
        useProgramRole(a);
        addLog(a.db, "0080", "2024-04-30 23:59:59", "0", 90);
        addLog(a.db, "0080", "2024-05-01 00:00:00", "1", 90);
        addLog(a.db, "0080", "2024-05-31 23:59:59", "2", 90);
        a.run(2);
        const auto tables = [&] {
            return dataNos(a.db, "Log_Data") + " | " + dataNos(a.db, "Log_Archive");
        };
        a.dialogs.answers << MsgAnswer::No;
        QCOMPARE(a.run(3).size(), 1); // answered No: nothing more
        QCOMPARE(tables(), " | 0,1,2");
        QCOMPARE(a.run(3), QStringList({t::Ask3.ja_().arg(2) + " [No]", t::End3.ja_().arg(2)}));
        QCOMPARE(tables(), "1,2 | 0");
        QCOMPARE(rowTexts(a.db, "SELECT ID, Details FROM Op_History WHERE Operation = 'Restore'"),
                 QStringList{"admin|2024/05/01～2024/05/31、2件"});
        QCOMPARE(a.run(3), QStringList{t::NothingToRestore.ja_()});
        a.run(2);
        QCOMPARE(tables(), " | 0,1,2");
    }

    // An earlier preservation file, as this program writes it, loaded once and again.
    void loadFile_data()
    {
        QTest::addColumn<QString>("lines"); // the file's lines, without their CR LF
        QTest::addColumn<QString>("expected");
        const auto unread = [](int line, const QString& text) {
            return t::LoadLineFailed.ja_().arg(line).arg(text) + '|';
        };
        // The log table holds 0080 2023/05/02 9: it is not archived.
        QTest::newRow("two logs, one current, then again")
            << "X00 0080,2023/05/01,7,Door|X00 100001,2023/05/01 08:30:05,0008,Door0.15001|"
               "X00 0080,2023/05/02,9,Door"
            << t::End4.ja_().arg(2).arg(0).arg(1) +
                   "|100001|2023-05-01 08:30:05|0008|90|0.150|01;0080|2023-05-01 00:00:00|7|90||";
        QTest::newRow("content the master does not know, and a log number it never knew")
            << "X00 0080,2023/05/01,7,セットエラー|X00 0080,2023/05/01,8,Window"
            << unread(2, "X00 0080,2023/05/01,8,Window");
        QTest::newRow("a date that does not exist")
            << "X00 0080,2023/02/30 08:00:00,7,Door"
            << unread(1, "X00 0080,2023/02/30 08:00:00,7,Door");
        QTest::newRow("an ESC in a field")
            << "X00 0080,2023/05/01,7,Door|X00 0080,2023/05/01,8,Do\x1bor"
            << unread(2, "X00 0080,2023/05/01,8,Do\\x1Bor");
        QTest::newRow("a line of 1,025 bytes")
            << "X00 0080,2023/05/01,7,Door|X00 0080,2023/05/01,8,Door" + QString(999, '0')
            << t::LoadLineTooLong.ja_().arg(2).arg("1,024").arg(
                   "X00 0080,2023/05/01,8,Door00000000000000") +
                   '|';
    }
    void loadFile()
    {
        QFETCH(QString, lines);
        QFETCH(QString, expected);
        Archive a;
        addLog(a.db, "0080", "2023-05-02 00:00:00", "9", 90);
        const QString path = a.dir.filePath("old.csv");
        QVERIFY(writeFile(path,
                          QStringEncoder("Shift_JIS").encode(lines.replace('|', "\r\n") + "\r\n")));
        const QStringList first = a.run(4, path);
        const QString rows =
            rowTexts(a.db, "SELECT Unit_SN, Date, Data_No, Log_No, Alcohol, Tani FROM "
                           "Log_Archive ORDER BY Unit_SN DESC")
                .join(';');
        QCOMPARE(first.last() + '|' + rows, expected);
        if (QTest::currentDataTag() != QLatin1String("two logs, one current, then again"))
            return;
        QCOMPARE(a.run(4, path).last(), t::End4.ja_().arg(0).arg(2).arg(1));
        QCOMPARE(a.count("Log_Archive"), 2);
    }
};

QTEST_MAIN(TstPreservation)
#include "tst_preservation.moc"

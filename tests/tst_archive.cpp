// The archive of preserved logs through the real windows: what two save-and-deletes leave for a
// search with the preserved logs, a restore of a period, an earlier preservation file loaded
// into the archive (and refused whole for a line it cannot read); the upgrade that leaves each
// log in one place.
#include "admin/frm_db.h"
#include "base/texts/admin.h"
#include "db/schema_upgrade.h"
#include "support/shown_logs.h"

#include <QStringEncoder>
#include <QTest>
#include <QtWidgets>

namespace {

struct Archive : ShownLogs {
    Archive() : ShownLogs({}, "INSERT INTO Log_Master (Log_No, Naiyou) VALUES (90, 'Door')")
    {
        ctx.loginId = "admin";
    }
    void addLog(const QString& date, const QString& dataNo)
    {
        db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES ('0080', '" +
                   date + "', '" + dataNo + "', 90)");
    }
    // Runs an operation of the preservation window; the messages it showed.
    QStringList run(int option, const QString& path = {})
    {
        dialogs.clear();
        Frm_DB f(ctx);
        f.Opt_Del[option]->click();
        f.Txt_FName->setText(path.isEmpty() ? dir.filePath("kept.csv") : path);
        f.Dtp_Kikan[0]->setDate(QDate(2024, 5, 1));
        f.Dtp_Kikan[1]->setDate(QDate(2024, 5, 31));
        f.Cmd_Hozon->click();
        QStringList shown;
        for (const auto& m : dialogs.messages)
            shown << m.text + (m.buttons == MsgButtons::YesNoDefaultNo ? " [No]" : "");
        return shown;
    }
    // Searches every log, or May 2024 ("05"), with the preserved logs or not: the data numbers
    // shown, and the count.
    QString search(bool withArchive, const QString& month = {})
    {
        w.Chk_Hozonzumi->setChecked(withArchive);
        w.Opt_Ngh[month.isEmpty() ? 0 : 1]->click();
        for (int end = 0; end < 2 && !month.isEmpty(); ++end) {
            const QString ymd[] = {"2024", month, end == 0 ? "01" : "31"};
            const std::array boxes{w.Cmb_Nen[end], w.Cmb_Tuki[end], w.Cmb_Hi[end]};
            for (int i = 0; i < 3; ++i) {
                const int index = boxes[i]->findText(ymd[i]);
                index >= 0 ? boxes[i]->setCurrentIndex(index) : boxes[i]->setEditText(ymd[i]);
            }
        }
        w.Cmd_Find->click();
        QStringList shown;
        for (int r = 1; r < grid().Rows(); ++r)
            shown << grid().TextMatrix(r, 2);
        shown.sort();
        return shown.join(',') + ' ' + w.LB_Count->text();
    }
};

} // namespace

class TstArchive : public QObject {
    Q_OBJECT

private slots:
    // Each save-and-delete archives what it deletes; the search with the box on reads both
    // tables with the same condition: a month from its first second to its last, logs just
    // outside it left out.
    void searchAfterTwoPreservations()
    {
        Archive a;
        a.addLog("2024-04-30 23:59:59", "0");
        a.addLog("2024-05-01 00:00:00", "1");
        a.run(1);
        a.addLog("2024-05-31 23:59:59", "2");
        a.addLog("2024-06-01 00:00:00", "3");
        a.run(1);
        a.addLog("2024-04-30 23:59:59", "10");
        a.addLog("2024-05-01 00:00:00", "11");
        a.addLog("2024-05-31 23:59:59", "12");
        a.addLog("2024-06-01 00:00:00", "13");
        QCOMPARE(a.search(false), "10,11,12,13 4件");
        QCOMPARE(a.search(false, "05"), "11,12 2件");
        QCOMPARE(a.search(true), "0,1,10,11,12,13,2,3 8件（うち保管ログ 4件）");
        QCOMPARE(a.search(true, "05"), "1,11,12,2 4件（うち保管ログ 2件）");
        QCOMPARE(firstColumn(a.db, "SELECT Data_No FROM Log_Archive ORDER BY Data_No").join(','),
                 "0,1,2,3"); // the archive never holds a log twice
    }

    // A restore moves the period's archived logs back, after a question with the count whose
    // default is No: no log is in both tables afterwards, the history holds one row of it, and a
    // later deletion archives them again. On a server as the program's role, which may not
    // delete archived logs: its restore function does.
    void restoreAPeriod()
    {
        Archive a;
        useProgramRole(a);
        a.addLog("2024-04-30 23:59:59", "0");
        a.addLog("2024-05-01 00:00:00", "1");
        a.addLog("2024-05-31 23:59:59", "2");
        a.run(2);
        const auto tables = [&] {
            return firstColumn(a.db, "SELECT Data_No FROM Log_Data ORDER BY Data_No").join(',') +
                   " | " +
                   firstColumn(a.db, "SELECT Data_No FROM Log_Archive ORDER BY Data_No").join(',');
        };
        a.dialogs.answers << MsgAnswer::No;
        QCOMPARE(a.run(3).size(), 1); // answered No: nothing more
        QCOMPARE(tables(), " | 0,1,2");
        QCOMPARE(a.run(3), QStringList({"2件の保管ログを復元しても宜しいですか？ [No]",
                                        "2件の保管ログを復元しました。"}));
        QCOMPARE(tables(), "1,2 | 0");
        QCOMPARE(rowTexts(a.db, "SELECT ID, Details FROM Op_History WHERE Operation = 'Restore'"),
                 QStringList{"admin|2024/05/01～2024/05/31、2件"});
        QCOMPARE(a.run(3), QStringList{texts::db_keep::NothingToRestore.ja_()});
        a.run(2);
        QCOMPARE(tables(), " | 0,1,2");
    }

    // The upgrade to one place per log removes an archived log that Log_Data holds with equal
    // Log_No, Alcohol and Tani, and lists and keeps one that differs.
    void upgradeKeepsEachLogOnce()
    {
        Archive a;
        a.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES "
                     "('0080', '2024-05-01 08:00:00', '1', 8, '0.150', NULL), "
                     "('0080', '2024-05-01 08:00:00', '2', 8, '0.150', '01')");
        a.db.execute("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                     "HDate) VALUES ('0080', '2024-05-01 08:00:00', '1', 8, '0.150', NULL, "
                     "'2024-06-01 00:00:00'), ('0080', '2024-05-01 08:00:00', '2', 8, '0.200', "
                     "'01', '2024-06-01 00:00:00'), ('0080', '2024-05-01 08:00:00', '3', 8, "
                     "'0.150', '01', '2024-06-01 00:00:00')");
        a.db.execute("DROP TABLE Check_Record"); // version 5's, made again by the upgrade
        a.db.execute("UPDATE Db_Version SET Version = 2");
        Transaction tx(a.db);
        const schema_upgrade::Result result = schema_upgrade::upgrade(a.db);
        tx.commit();
        QCOMPARE(result.changes.value(0),
                 "keeps each log in one place: 1 archived logs that Log_Data holds unchanged "
                 "removed from the archive; 1 that differ kept in both tables, for a person to "
                 "decide:\n  Unit_SN '0080', Date '2024-05-01 08:00:00', Data_No '2': archived "
                 "Log_No '8', Alcohol '0.200', Tani '01'; current Log_No '8', Alcohol '0.150', "
                 "Tani '01'");
        QCOMPARE(firstColumn(a.db, "SELECT Data_No FROM Log_Archive ORDER BY Data_No").join(','),
                 "2,3");
        QCOMPARE(a.count("Log_Data"), 2);
    }

    // An earlier preservation file, as this program writes it, loaded once and again.
    void loadFile_data()
    {
        QTest::addColumn<QString>("lines"); // the file's lines, without their CR LF
        QTest::addColumn<QString>("expected");
        // The log table holds 0080 2023/05/02 9: it is not archived.
        QTest::newRow("two logs, one current, then again")
            << "X00 0080,2023/05/01,7,Door|X00 100001,2023/05/01 08:30:05,0008,Door0.15001|"
               "X00 0080,2023/05/02,9,Door"
            << "2件のログを読み込みました。（保管済み 0件、保存済み 1件）|"
               "100001|2023-05-01 08:30:05|0008|90|0.150|01;"
               "0080|2023-05-01 00:00:00|7|90||";
        QTest::newRow("content the master does not know, and a log number it never knew")
            << "X00 0080,2023/05/01,7,セットエラー|X00 0080,2023/05/01,8,Window"
            << "保存ファイルの2行目を読めません。何も読み込んでいません。\nX00 0080,2023/05/01,8,"
               "Window|";
        QTest::newRow("a date that does not exist")
            << "X00 0080,2023/02/30 08:00:00,7,Door"
            << "保存ファイルの1行目を読めません。何も読み込んでいません。\nX00 0080,2023/02/30 "
               "08:00:00,7,Door|";
        QTest::newRow("an ESC in a field")
            << "X00 0080,2023/05/01,7,Door|X00 0080,2023/05/01,8,Do\x1bor"
            << "保存ファイルの2行目を読めません。何も読み込んでいません。\nX00 0080,2023/05/01,8,"
               "Do\\x1Bor|";
        QTest::newRow("a line of 1,025 bytes")
            << "X00 0080,2023/05/01,7,Door|X00 0080,2023/05/01,8,Door" + QString(999, '0')
            << "保存ファイルの2行目が長すぎます（1,024バイトを超えています）。何も読み込んでいませ"
               "ん。\nX00 0080,2023/05/01,8,Door00000000000000…|";
    }
    void loadFile()
    {
        QFETCH(QString, lines);
        QFETCH(QString, expected);
        Archive a;
        a.addLog("2023-05-02 00:00:00", "9");
        const QString path = a.dir.filePath("old.csv");
        QVERIFY(writeFile(path,
                          QStringEncoder("Shift_JIS").encode(lines.replace('|', "\r\n") + "\r\n")));
        const QStringList first = a.run(4, path);
        const QString rows =
            rowTexts(a.db, "SELECT Unit_SN, Date, Data_No, Log_No, Alcohol, Tani FROM "
                           "Log_Archive ORDER BY Unit_SN DESC")
                .join(';');
        QCOMPARE(first.last() + '|' + rows, expected);
        if (!first.last().startsWith("2件"))
            return;
        QCOMPARE(a.run(4, path).last(),
                 "0件のログを読み込みました。（保管済み 2件、保存済み 1件）");
        QCOMPARE(a.count("Log_Archive"), 2);
    }
};

QTEST_MAIN(TstArchive)
#include "tst_archive.moc"

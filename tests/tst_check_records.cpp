// The check record book without its window, on both engines.
#include "admin_core/log_preservation.h"
#include "base/texts/records.h"
#include "records/record_book.h"
#include "records/record_save.h"
#include "support/pg_cluster.h"
#include "support/test_db.h"

#include <QTest>
#include <thread>

using namespace check_records;
namespace r = texts::records;

namespace {

const Entry kYamada{
    "山田 一郎", "品川500あ1234", Phase::BeforeDriving, "佐藤", Method::FaceToFace, false, "", ""};

// A delivered database with the ID taro (太郎, without 管理者) and logs of 15 May 2024.
struct Book : TestApp {
    Book()
    {
        db.execute("INSERT INTO Login (ID, Name, Pass, Kanri) VALUES ('taro', '太郎', 'x', 0)");
    }
    // A log of unit 0080 at the time on 15 May 2024, a measurement unless the value is "".
    LogKey log(const QString& time, const QString& dataNo, const QString& value = "0.000")
    {
        db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES "
                   "('0080', ?, ?, ?, ?, '01')",
                   {"2024-05-15 " + time, dataNo, value.isEmpty() ? 21 : 8,
                    value.isEmpty() ? QVariant() : value});
        return {"0080", "2024-05-15 " + time, dataNo};
    }
    SaveOutcome saveAs(const QString& id, const LogKey& key, const Entry& entry)
    {
        return save(db, key, entry, {id, now, false, "X00 "});
    }
    QStringList history()
    {
        return firstColumn(db, "SELECT Details FROM Op_History WHERE Operation = 'CheckRecord' "
                               "ORDER BY No");
    }
};

QString outcomeText(const SaveOutcome& outcome)
{
    static const char* const saved[] = {"added", "changed", "unchanged"};
    return outcome.saved() ? saved[outcome.kind] : refusalText(outcome, false);
}

} // namespace

class TstCheckRecords : public QObject {
    Q_OBJECT

private slots:
    void proposals_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected"); // driver|vehicle|check|checker|method|detected
        const QString limit = "[records]\nlimit=0.150\n";
        QTest::newRow("a handset's first record") << ""
                                                  << "0082"
                                                  << "0.000"
                                                  << "||0|太郎|0|無";
        QTest::newRow("above 0.000") << ""
                                     << "0082"
                                     << "0.001"
                                     << "||0|太郎|0|有";
        QTest::newRow("its last driver, that driver's last vehicle") << ""
                                                                     << "0080"
                                                                     << "0.000"
                                                                     << "山田|品川 2|0|太郎|0|無";
        QTest::newRow("at the depot's limit") << limit << "0082"
                                              << "0.150"
                                              << "||0|太郎|0|無";
        QTest::newRow("above the depot's limit") << limit << "0082"
                                                 << "0.151"
                                                 << "||0|太郎|0|有";
        QTest::newRow("a limit that is no number") << "[records]\nlimit=high\n"
                                                   << "0082"
                                                   << "0.010"
                                                   << "||0|太郎|0|有";
    }
    void proposals()
    {
        QFETCH(QString, ini);
        QFETCH(QString, unit);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        Book b;
        QVERIFY(writeFile(b.dir.filePath("quarvenix.ini"), ini.toUtf8()));
        // Handset 0080's last record is 山田's, whose last record is on another handset.
        for (const char* row : {"'0080', '2024-05-14 07:00:00', '1', '鈴木', 'X'",
                                "'0080', '2024-05-14 08:00:00', '2', '山田', '品川 1'",
                                "'0081', '2024-05-14 09:00:00', '3', '山田', '品川 2'"})
            b.db.execute(QString("INSERT INTO Check_Record (Unit_SN, Date, Data_No, Driver, "
                                 "Vehicle, Phase, Checker, Method, Detected, Instructions, "
                                 "Remarks, RDate, ID) VALUES (%1, 0, '', 0, 0, '', '', "
                                 "'2024-05-14 10:00:00', 'admin')")
                             .arg(row));
        const BookRow row{{unit, "2024-05-15 10:00:00", "9"}, "", value, false, {}};
        const Entry e = propose(b.db, row, "taro", readSettings(b.ctx.settings).limit);
        QCOMPARE(QString("%1|%2|%3|%4|%5|%6")
                     .arg(e.driver, e.vehicle)
                     .arg(int(e.phase))
                     .arg(e.checker)
                     .arg(int(e.method))
                     .arg(detectedText(e.detected, false)),
                 expected);
    }

    void saves_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("log"); // 1: with a record, 2: without, 3: no measured value
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text"); // the field's new text
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("history"); // the row added, "" for none
        const auto row = [](const char* name, const char* id, int log, const char* field,
                            const QString& text, const QString& expected, const char* history) {
            QTest::newRow(name) << id << log << field << text << expected << history;
        };
        row("add without 管理者", "taro", 2, "", "", "added",
            "追加 X00 0080 2024/05/15 09:00:00 No.2");
        row("change without 管理者", "taro", 1, "driver", "鈴木", r::NotAdministrator.ja_(), "");
        row("the same values without 管理者", "taro", 1, "", "", "unchanged", "");
        row("change", "admin", 1, "driver", "鈴木", "changed",
            "変更 X00 0080 2024/05/15 08:00:00 No.1 変更前：酒気帯び=無、運転者=山田 一郎、"
            "車両番号=品川500あ1234、確認区分=運転前、確認者名=佐藤、確認方法=対面・検知器使用、"
            "指示事項=、備考=、記録日時=2024/05/15 08:05:00、記録ID=admin");
        row("clear", "admin", 1, "driver", "", r::Cleared.ja_(), "");
        row("empty driver", "admin", 2, "driver", "", r::EmptyField.ja_().arg("運転者"), "");
        row("blank vehicle", "admin", 2, "vehicle", "　 ", r::EmptyField.ja_().arg("車両番号"), "");
        row("driver too long", "admin", 2, "driver", QString(41, 'a'),
            r::TooLong.ja_().arg("運転者").arg(40), "");
        row("not in Shift_JIS", "admin", 2, "remarks", "5€", r::BadCharacter.ja_().arg("備考"), "");
        row("control character", "admin", 2, "instructions", "a\tb",
            r::BadCharacter.ja_().arg("指示事項"), "");
        row("no measured value", "admin", 3, "", "", r::NoMeasurement.ja_(), "");
    }
    // Adds need no 管理者, changes do; a refused save stores nothing; each save that adds or
    // changes a record leaves a history row with the values it replaced.
    void saves()
    {
        QFETCH(QString, id);
        QFETCH(int, log);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, history);
        Book b;
        const LogKey keys[] = {b.log("08:00:00", "1"), b.log("09:00:00", "2"),
                               b.log("10:00:00", "3", "")};
        b.now = QDateTime(QDate(2024, 5, 15), QTime(8, 5));
        QCOMPARE(outcomeText(b.saveAs("admin", keys[0], kYamada)), "added");
        b.now = QDateTime(QDate(2024, 5, 15), QTime(10, 30));
        Entry e = kYamada;
        QString* const texts[] = {&e.driver, &e.vehicle, &e.instructions, &e.remarks};
        const QStringList names{"driver", "vehicle", "instructions", "remarks"};
        if (!field.isEmpty())
            *texts[names.indexOf(field)] = text;
        QCOMPARE(outcomeText(b.saveAs(id, keys[log - 1], e)), expected);
        const bool stored = expected == "added" || expected == "changed";
        QCOMPARE(b.history().mid(1).join('\n'), history);
        QCOMPARE(
            rowTexts(b.db, "SELECT Driver, RDate FROM Check_Record ORDER BY Data_No", "@")
                .join(','),
            (expected == "changed" ? "鈴木@2024-05-15 10:30:00" : "山田 一郎@2024-05-15 08:05:00") +
                QString(stored && log == 2 ? ",山田 一郎@2024-05-15 10:30:00" : ""));
    }

    // A log preserved by a save-and-delete keeps its record, listed with the archive included; a
    // preserved log can get a record too.
    void preservedLogKeepsItsRecord()
    {
        Book b;
        const LogKey kept = b.log("08:00:00", "1");
        const LogKey later = b.log("09:00:00", "2", "0.210");
        QCOMPARE(outcomeText(b.saveAs("admin", kept, kYamada)), "added");
        const auto done =
            log_preservation::Run_Preserve(b.db, log_preservation::Operation::SaveAndDelete,
                                           b.dir.filePath("kept.txt"), "X00 ", b.now);
        QVERIFY(done.ok());
        const Period day{QDate(2024, 5, 15), QDate(2024, 5, 15)};
        QCOMPARE(read(b.db, day, false).size(), 0);
        QCOMPARE(outcomeText(b.saveAs("taro", later, kYamada)), "added");
        QStringList listed;
        for (const BookRow& row : read(b.db, day, true))
            listed << fields(row, false, "X00 ").join('|') + (row.archived ? " archived" : "");
        QCOMPARE(listed.join('\n'),
                 "2024/05/15 08:00:00|X00 0080|0.000|無|山田 一郎|品川500あ1234|運転前|佐藤|"
                 "対面・検知器使用|||2024/05/15 10:30:00|admin archived\n"
                 "2024/05/15 09:00:00|X00 0080|0.210|無|山田 一郎|品川500あ1234|運転前|佐藤|"
                 "対面・検知器使用|||2024/05/15 10:30:00|taro archived");
    }

    // What a deletion of logs younger than a year concerns: those of them with a record.
    void youngLogsWithRecordsCounted()
    {
        Book b;
        const LogKey young = b.log("08:00:00", "1");
        b.log("09:00:00", "2"); // no record
        b.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol) VALUES "
                     "('0080', '2023-05-15 10:00:00', '3', 8, '0.000')");
        QCOMPARE(outcomeText(b.saveAs("admin", young, kYamada)), "added");
        QCOMPARE(outcomeText(b.saveAs("admin", {"0080", "2023-05-15 10:00:00", "3"}, kYamada)),
                 "added");
        b.now = QDateTime(QDate(2024, 5, 15), QTime(10, 0)); // the old log is a year old now
        QCOMPARE(youngLogsWithRecords(b.db, b.now), 1);
        QCOMPARE(youngLogsWithRecords(b.db, b.now, {QDate(2024, 5, 16), {}}), 0);
        QCOMPARE(youngLogsWithRecords(b.db, b.now.addSecs(-1)), 2);
    }

    // Two PCs add the same record at the same moment on a server: both saves are in the history,
    // the second with the first one's values as those it replaced, and the second is kept.
    void twoPcsAtOnce()
    {
        Book b;
        if (b.engine != DbEngine::Postgresql)
            QSKIP("one program holds an SQLite file");
        const LogKey key = b.log("08:00:00", "1");
        // Both PCs read no record, then wait to add it until the lock goes.
        Database holder;
        holder.open(b.program.setting.server);
        holder.begin();
        holder.execute("LOCK TABLE Check_Record IN SHARE MODE");
        SaveOutcome outcomes[2];
        std::thread pcs[2];
        for (int i = 0; i < 2; ++i)
            pcs[i] = std::thread([&, i] {
                Database pc;
                pc.open(b.program.setting.server);
                Entry e = kYamada;
                e.driver = QString("PC%1").arg(i);
                outcomes[i] = save(pc, key, e, {"admin", b.now, false, "X00 "});
            });
        QTRY_COMPARE(PgCluster::instance()->value("SELECT count(*) FROM pg_locks WHERE NOT granted",
                                                  b.serverDb),
                     "2");
        holder.commit();
        for (std::thread& pc : pcs)
            pc.join();
        const int first = outcomes[0].kind == SaveOutcome::Added ? 0 : 1;
        QCOMPARE(outcomes[1 - first].kind, SaveOutcome::Changed);
        QCOMPARE(firstColumn(b.db, "SELECT Driver FROM Check_Record"),
                 QStringList{QString("PC%1").arg(1 - first)});
        const QStringList history = b.history();
        QCOMPARE(history.size(), 2);
        QVERIFY2(history[1].contains(QString("変更前：酒気帯び=無、運転者=PC%1、").arg(first)),
                 qPrintable(history[1]));
    }
};

QTEST_MAIN(TstCheckRecords)
#include "tst_check_records.moc"

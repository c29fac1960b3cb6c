// Storing decoded records and the log-row writer under it, on both engines.
#include "admin_core/log_archive.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "db/log_row_writer.h"
#include "support/failing_trigger.h"
#include "support/pg_cluster.h"
#include "support/random_stream.h"
#include "support/test_db.h"

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <sqlite3.h>

namespace {

QString tally(const DecodeOutcome& o) // the counts of a decode, and its error if any
{
    return QString::asprintf("%d records: %d stored, %d duplicates, %d archived, %d invalid%s",
                             o.records, o.stored, o.duplicates, o.archived, o.invalid,
                             o.ok() ? "" : qPrintable("; " + o.error));
}

const QString kRecords = QStringLiteral("0A00800A"                     // empty header, unit 0080
                                        "00000A0701110A0943010A210A"   // the worked example
                                        "00020A0713110A0943010A210A"   // month 13
                                        "00030A0701110A0943010A1E020A" // log number 1E02
                                        "00010A0701110A0943020A080A0150010A"); // alcohol record

const QString kLogRows = QStringLiteral(
    "SELECT Unit_SN || '|' || Date || '|' || Data_No || '|' || Log_No || '|' || Alcohol || '|' || "
    "COALESCE(Tani, 'NULL') || '|' || WDate FROM Log_Data ORDER BY Unit_SN, Date, Data_No");

LogRow logRow(const char* unit, const char* date, const char* dataNo, int logNo = 8,
              const char* alcohol = "0.150", const char* tani = "01")
{
    return LogRow{
        unit, date, dataNo, logNo, alcohol, tani ? tani : QString(), "2024-05-15 10:30:00"};
}
const LogRow kA = logRow("0080", "2024-05-02 10:00:00", "0001");
const LogRow kB = logRow("0080", "2024-05-02 10:00:00", "0002");
const LogRow kC = logRow("0081", "2024-05-02 10:00:00", "0001");

bool stored(LogRowWriter& writer, const LogRow& row)
{
    return writer.storeAll(std::span(&row, 1)) == 1;
}

} // namespace

class TstLogStore : public QObject {
    Q_OBJECT
private slots:
    // A stored key is a duplicate, even with another log number; the stored row never changes.
    // Once preserved (archived and deleted), a record is not stored again: a log is in one place.
    void storesEachNewRecordOnce()
    {
        TestApp app;
        const QDateTime earlier(QDate(2020, 1, 1), QTime(0, 0));
        QCOMPARE(tally(Log_Decode(app.db, kRecords.left(34), fixedClock(earlier))),
                 "1 records: 1 stored, 0 duplicates, 0 archived, 0 invalid");
        QCOMPARE(firstColumn(app.db, kLogRows),
                 QStringList{"0080|2007-01-11 09:43:01|0000|21||NULL|2020-01-01 00:00:00"});
        app.db.execute("UPDATE Log_Data SET Log_No = 41");
        QCOMPARE(tally(Log_Decode(app.db, kRecords, app.ctx.now)),
                 "4 records: 1 stored, 1 duplicates, 0 archived, 2 invalid");
        QCOMPARE(firstColumn(app.db, kLogRows),
                 (QStringList{"0080|2007-01-11 09:43:01|0000|41||NULL|2020-01-01 00:00:00",
                              "0080|2007-01-11 09:43:02|0001|8|0.150|01|2024-05-15 10:30:00"}));
        log_archive::archiveLogData(app.db, earlier);
        app.db.execute("DELETE FROM Log_Data");
        QCOMPARE(tally(Log_Decode(app.db, kRecords, app.ctx.now)),
                 "4 records: 0 stored, 0 duplicates, 2 archived, 2 invalid");
        QCOMPARE(app.count("Log_Data"), 0);
    }
    // Random handset text: every record that passes is stored, or found stored already.
    void randomTextStoresWhatPasses()
    {
        QRandomGenerator rng(randomSeed());
        TestApp app;
        int stored = 0;
        for (int round = 0; round < 100; ++round) {
            const QString text = randomText(rng);
            const auto passing = std::ranges::count(decodeRecords(text), true, &LogRecord::valid);
            const DecodeOutcome outcome = Log_Decode(app.db, text, app.ctx.now);
            QVERIFY2(outcome.ok(), qPrintable(outcome.error + QLatin1Char('\n') + text));
            QCOMPARE(outcome.stored + outcome.duplicates, passing);
            stored += outcome.stored;
        }
        QVERIFY(stored > 0); // the generator reaches records that pass
        QCOMPARE(app.count(QStringLiteral("Log_Data")), qint64(stored));
    }
    void storageFailures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error"); // a part of the message; "" for any
        QTest::addColumn<int>("stored");    // rows of the sample stored in spite of the fault
        const auto row = [](const char* fault, const char* error, int stored) {
            QTest::newRow(fault) << QString(fault) << QString(error) << stored;
        };
        if (testEngine() == DbEngine::Sqlite)
            row("lock", "database is locked", 0); // by another program
        row("refuse", "disk is full", 5000);      // in the second chunk
        if (testEngine() == DbEngine::Postgresql) {
            row("stop", "", 10000);                     // the server, after two chunks
            row("deadlock once", "", 30000);            // the chunk is stored again
            row("deadlock", "deadlock detected", 5000); // each time
        }
    }
    // A fault ends the decode with its message, committed chunks stay; read again, each once.
    void storageFailures()
    {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        QFETCH(int, stored);
        TestApp app;
        sqlite3* other = nullptr; // another program, holding the file locked
        if (fault == "lock") {
            QCOMPARE(sqlite3_open(app.dbPath().toUtf8().constData(), &other), SQLITE_OK);
            sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            sqlite3_busy_timeout(app.db.sqliteHandle(), 50);
        } else if (fault == "refuse") {
            addFailingTrigger(app.db, "Fail", "Log_Data", "INSERT", "NEW.Data_No = '7500'",
                              "disk is full");
        } else if (fault.startsWith("deadlock")) {
            // The sequence survives rollback: "once" fails the first attempt only.
            app.db.execute("CREATE TEMP SEQUENCE attempts");
            addFailingTrigger(app.db, "Fail", "Log_Data", "INSERT",
                              fault == "deadlock"
                                  ? "NEW.Data_No = '7500'"
                                  : "NEW.Data_No = '7500' AND nextval('attempts') = 1",
                              "deadlock detected", "40P01");
        }
        int chunks = 0;
        const DecodeOutcome o = Log_Decode(app.db, sampleStream(), app.ctx.now, [&] {
            if (fault == "stop" && ++chunks == 2)
                QVERIFY(PgCluster::instance()->stop());
        });
        QCOMPARE(o.stored, stored);
        QCOMPARE(o.ok(), stored == 30000);
        QVERIFY2(o.error.contains(error), qPrintable(o.error));
        sqlite3_close(other); // rolls its transaction back
        if (fault == "stop")
            QVERIFY(PgCluster::instance()->start());
        else
            dropFailingTrigger(app.db, "Fail", "Log_Data");
        QCOMPARE(app.count("Log_Data"), stored);
        QCOMPARE(tally(Log_Decode(app.db, sampleStream(), app.ctx.now)),
                 QString("30002 records: %1 stored, %2 duplicates, 0 archived, 0 invalid")
                     .arg(30000 - stored)
                     .arg(2 + stored));
        QCOMPARE(app.count("Log_Data"), 30000);
    }
    // Four copies store overlapping streams into one server database at once: each record once.
    void severalCopiesAtOnce()
    {
        if (testEngine() != DbEngine::Postgresql)
            QSKIP("copies of the program share a database on a server only");
        TestApp app;
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int k = 0; k < 4; ++k) {
            // Records 10000 k to 10000 k + 29999 of unit 0080, every second stream backwards.
            QByteArray text = "0A00800A";
            for (int i = 0; i < 30000; ++i) {
                const int r = k * 10000 + (k % 2 ? 29999 - i : i), day = r / 1440;
                text += QString::asprintf("%04d0A07%02d%02d0A%02d%02d000A210A", r % 10000,
                                          1 + day / 28, 1 + day % 28, r % 1440 / 60, r % 60)
                            .toLatin1();
            }
            copies.push_back(std::make_unique<QProcess>());
            copies.back()->start(QCoreApplication::applicationDirPath() + "/qvx-store-stream",
                                 {app.program.setting.server.describe()});
            copies.back()->write(text);
        }
        for (const auto& copy : copies)
            while (copy->bytesToWrite() > 0)
                QVERIFY(copy->waitForBytesWritten(30000));
        for (const auto& copy : copies)
            copy->closeWriteChannel();
        int stored = 0;
        for (const auto& copy : copies) {
            QVERIFY(copy->waitForFinished(120000));
            const QList<QByteArray> out = copy->readAll().split(' ');
            QVERIFY2(copy->exitCode() == 0, out.join(' ').constData());
            QCOMPARE(out.value(0), "30000");
            stored += out.value(1).toInt();
        }
        QCOMPARE(stored, 60000);
        QCOMPARE(app.count("Log_Data"), 60000);
    }

    void storedOrAlreadyStored()
    {
        const std::pair<LogRow, bool> cases[] = {
            {kA, true},
            {logRow("0080", "2024-05-02 10:00:00", "0001", 9, "0.300", "02"), false}, // same key
            {logRow("0080", "2024/05/02 10:00:00", "0001"), false}, // date with slashes
            {kB, true},
            {logRow("0080", "2024-05-02 10:00:01", "0001"), true},
            {kC, true},
            {logRow("0082", "2024-05-02 10:00:00", "0001", 17, "", nullptr), true},
            {logRow("0082", "2024-05-02 10:00:00", "０１"), true},
            {logRow("0083", "2024-05-02 10:00:00", "\"1\\2,"), true}, // kept byte for byte
        };
        TestApp app;
        LogRowWriter writer(app.db);
        for (const auto& [row, expected] : cases)
            QVERIFY2(stored(writer, row) == expected, qPrintable(row.unitSn + row.date));
        QCOMPARE(app.count("Log_Data"), 7);
        QCOMPARE(app.db.openRecordset("SELECT Data_No FROM Log_Data WHERE Unit_SN = '0083'")
                     .text("Data_No"),
                 "\"1\\2,");
        // The same rows in one call, twice each: stored once, in one statement on a server.
        app.db.execute("DELETE FROM Log_Data");
        std::vector<LogRow> rows;
        for (const auto& c : cases)
            rows.insert(rows.end(), 2, c.first);
        QCOMPARE(writer.storeAll(rows), 7);
    }

    void failuresAreErrors_data()
    {
        QTest::addColumn<LogRow>("row");
        LogRow r = kA;
        QTest::newRow("log number above 16 bits") << (r.logNo = 40000, r);
        QTest::newRow("31 February") << (r = kA, r.date = "2024-02-31 00:00:00", r);
        QTest::newRow("no time") << (r = kA, r.date = "2024-02-01", r);
        QTest::newRow("bad storage time") << (r = kA, r.wdate = "yesterday", r);
    }
    void failuresAreErrors()
    {
        QFETCH(LogRow, row);
        TestApp app;
        {
            Transaction tx(app.db);
            LogRowWriter writer(app.db);
            QVERIFY(stored(writer, kC));
            QVERIFY_THROWS_EXCEPTION(DbError, stored(writer, row));
        } // the caller rolls back after a failure
        QCOMPARE(app.count("Log_Data"), 0);
        LogRowWriter writer(app.db); // the connection and a new writer work afterwards
        QVERIFY(stored(writer, kC) && app.count("Log_Data") == 1);
    }

    void insideTheCallersTransaction()
    {
        TestApp app;
        // Chunks in transactions of their own see the earlier chunks' rows.
        for (const LogRow& r : {kA, kB}) {
            Transaction tx(app.db);
            LogRowWriter writer(app.db);
            QVERIFY(stored(writer, r));
            QVERIFY(!stored(writer, kA));
            tx.commit();
        }
        LogRowWriter writer(app.db);
        QVERIFY(stored(writer, kC));
        QCOMPARE(app.count("Log_Data"), 3);

        // A writer does not outlive its connection.
        app.db.close();
        app.engine == DbEngine::Postgresql ? app.db.open(app.program.setting.server)
                                           : app.db.open(app.dbPath());
        QVERIFY_THROWS_EXCEPTION(DbError, stored(writer, kB));
        LogRowWriter again(app.db);
        QVERIFY(!stored(again, kB));
    }
};

QTEST_MAIN(TstLogStore)
#include "tst_logstore.moc"

// Storing decoded records: exact rows, duplicates, chunked commits, engine failures.
#include "admin_core/log_archive.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "support/failing_trigger.h"
#include "support/pg_cluster.h"
#include "support/test_db.h"

#include <QProcess>
#include <QTest>
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
};

QTEST_MAIN(TstLogStore)
#include "tst_logstore.moc"

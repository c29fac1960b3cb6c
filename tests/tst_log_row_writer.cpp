// The log-row writer on both engines: new keys stored, failures are errors, never "stored".
#include "db/database.h"
#include "db/log_row_writer.h"
#include "support/test_db.h"

#include <QTest>

namespace {

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

class TstLogRowWriter : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TstLogRowWriter)
#include "tst_log_row_writer.moc"

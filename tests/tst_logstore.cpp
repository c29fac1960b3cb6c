// Storing decoded records in a real database file: exact rows, duplicates,
// chunked commits and failures of the engine.
#include "comm/log_decode.h"
#include "comm/sample_stream.h"
#include "support/test_db.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <sqlite3.h>

namespace {

// Every row of a SELECT, its values joined by "|" (a null value shows as "NULL").
QStringList rows(Database& db, const QString& sql)
{
    QStringList out;
    db.forEachRow(sql, [&](const QSqlQuery& q) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << values.join(QLatin1Char('|'));
    });
    return out;
}

const QString kLogRows = QStringLiteral(
    "SELECT Unit_SN, Date, Data_No, Log_No, typeof(Log_No), Alcohol, Tani, WDate FROM Log_Data "
    "ORDER BY rowid");

// An empty header, then the fields, each closed by the separator 0A.
QString stream(const QStringList& fields)
{
    QString text = QStringLiteral("0A");
    for (const QString& f : fields)
        text += f + QLatin1String("0A");
    return text;
}

// Unit 0080, then the worked example (log 21) and an alcohol record (log 08).
const QString kTwoRecords =
    stream({"0080", "0000", "070111", "094301", "21", "0001", "070111", "094302", "08", "015001"});

} // namespace

class TstLogStore : public QObject {
    Q_OBJECT

private slots:
    void storesExactRows();
    void sampleStoresThirtyThousandRowsOnce();
    void sameKeyIsDuplicate_data();
    void sameKeyIsDuplicate();
    void invalidRecordsAreNotStored();
    void yieldsBetweenChunksOutsideTransactions();
    void failureKeepsCommittedChunks();
    void lockedDatabaseStopsWithError();
};

void TstLogStore::storesExactRows()
{
    TestApp app;
    const DecodeOutcome outcome = Log_Decode(app.db, kTwoRecords, app.ctx.now);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error));
    QCOMPARE(outcome.records, 2);
    QCOMPARE(outcome.stored, 2);
    QCOMPARE(rows(app.db, kLogRows),
             (QStringList{"0080|2007-01-11 09:43:01|0000|21|integer||NULL|2024-05-15 10:30:00",
                          "0080|2007-01-11 09:43:02|0001|8|integer|0.150|01|2024-05-15 10:30:00"}));
    // The search reads them through the view with their content texts.
    QCOMPARE(app.count(QStringLiteral("V_Log_Data WHERE Unit_SN = '0080' AND Naiyou <> ''")), 2);
}

void TstLogStore::sampleStoresThirtyThousandRowsOnce()
{
    TestApp app;
    const QString sample = sampleStream();
    const DecodeOutcome first = Log_Decode(app.db, sample, app.ctx.now);
    QVERIFY2(first.ok(), qPrintable(first.error));
    QCOMPARE(first.records, 30002);
    QCOMPARE(first.stored, 30000);
    QCOMPARE(first.duplicates, 2); // the data number wraps at 10000
    QCOMPARE(first.invalid, 0);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 30000);
    QCOMPARE(rows(app.db, QStringLiteral("SELECT Log_No, count(*) FROM Log_Data GROUP BY Log_No")),
             (QStringList{"21|10000", "41|10000", "55|10000"}));

    app.now = app.now.addDays(1);
    const DecodeOutcome second = Log_Decode(app.db, sample, app.ctx.now);
    QVERIFY2(second.ok(), qPrintable(second.error));
    QCOMPARE(second.stored, 0);
    QCOMPARE(second.duplicates, 30002);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 30000);
    QCOMPARE(app.count(QStringLiteral("Log_Data WHERE WDate <> '2024-05-15 10:30:00'")), 0);
}

void TstLogStore::sameKeyIsDuplicate_data()
{
    QTest::addColumn<QString>("existing"); // values of Unit_SN .. Tani
    QTest::addColumn<bool>("duplicate");
    QTest::newRow("other log number")
        << "'0080', '2007-01-11 09:43:01', '0000', 41, '', NULL" << true;
    QTest::newRow("other alcohol")
        << "'0080', '2007-01-11 09:43:01', '0000', 21, '0.200', '01'" << true;
    QTest::newRow("other data number")
        << "'0080', '2007-01-11 09:43:01', '0001', 21, '', NULL" << false;
    QTest::newRow("a second later")
        << "'0080', '2007-01-11 09:43:02', '0000', 21, '', NULL" << false;
    QTest::newRow("other unit") << "'0081', '2007-01-11 09:43:01', '0000', 21, '', NULL" << false;
}

void TstLogStore::sameKeyIsDuplicate()
{
    QFETCH(QString, existing);
    QFETCH(bool, duplicate);
    TestApp app;
    app.db.execute(
        QStringLiteral("INSERT INTO Log_Data VALUES (%1, '2020-01-01 00:00:00')").arg(existing));
    const QStringList before = rows(app.db, kLogRows);

    const DecodeOutcome outcome = Log_Decode(app.db, kTwoRecords.left(34), app.ctx.now);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error));
    QCOMPARE(outcome.records, 1);
    QCOMPARE(outcome.duplicates, duplicate ? 1 : 0);
    QCOMPARE(outcome.stored, duplicate ? 0 : 1);
    const QStringList after = rows(app.db, kLogRows);
    QCOMPARE(after.first(), before.first()); // the stored row is never changed
    QCOMPARE(after.size(), duplicate ? 1 : 2);
}

void TstLogStore::invalidRecordsAreNotStored()
{
    TestApp app;
    // Month 13, log number 1E02, then one good record.
    const QString text = stream({"0080", "0000", "071311", "094301", "21", "0001", "070111",
                                 "094301", "1E02", "0002", "070111", "094301", "21"});
    const DecodeOutcome outcome = Log_Decode(app.db, text, app.ctx.now);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error));
    QCOMPARE(outcome.records, 3);
    QCOMPARE(outcome.invalid, 2);
    QCOMPARE(outcome.stored, 1);
    QCOMPARE(rows(app.db, QStringLiteral("SELECT Data_No FROM Log_Data")), QStringList{"0002"});
}

void TstLogStore::yieldsBetweenChunksOutsideTransactions()
{
    TestApp app;
    QList<qint64> committed;
    const DecodeOutcome outcome = Log_Decode(app.db, sampleStream(), app.ctx.now, [&] {
        // The window's events may use the database here: no transaction is open.
        QVERIFY(sqlite3_get_autocommit(app.db.nativeHandle()) != 0);
        committed << app.count(QStringLiteral("Log_Data"));
    });
    QVERIFY2(outcome.ok(), qPrintable(outcome.error));
    QCOMPARE(committed, (QList<qint64>{5000, 10000, 15000, 20000, 25000, 30000}));
    QCOMPARE(kLogStoreChunk, 5000);
}

void TstLogStore::failureKeepsCommittedChunks()
{
    TestApp app;
    // The engine refuses the row of data number 7500, inside the second chunk.
    app.db.execute(
        QStringLiteral("CREATE TRIGGER Fail BEFORE INSERT ON Log_Data WHEN "
                       "NEW.Data_No = '7500' BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
    const DecodeOutcome failed = Log_Decode(app.db, sampleStream(), app.ctx.now);
    QVERIFY(!failed.ok());
    QVERIFY2(failed.error.contains(QLatin1String("disk is full")), qPrintable(failed.error));
    QCOMPARE(failed.stored, kLogStoreChunk);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), kLogStoreChunk);
    QCOMPARE(app.count(QStringLiteral("Log_Data WHERE Data_No >= '5000'")), 0);
    QVERIFY(sqlite3_get_autocommit(app.db.nativeHandle()) != 0);

    // Once the engine accepts rows again, a new read completes the table.
    app.db.execute(QStringLiteral("DROP TRIGGER Fail"));
    const DecodeOutcome again = Log_Decode(app.db, sampleStream(), app.ctx.now);
    QVERIFY2(again.ok(), qPrintable(again.error));
    QCOMPARE(again.stored, 30000 - kLogStoreChunk);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 30000);
}

void TstLogStore::lockedDatabaseStopsWithError()
{
    TestApp app;
    sqlite3_busy_timeout(app.db.nativeHandle(), 50);
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(app.dbPath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    const DecodeOutcome outcome = Log_Decode(app.db, kTwoRecords, app.ctx.now);
    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.error.contains(QLatin1String("locked")), qPrintable(outcome.error));
    QCOMPARE(outcome.stored, 0);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const DecodeOutcome retried = Log_Decode(app.db, kTwoRecords, app.ctx.now);
    QVERIFY2(retried.ok(), qPrintable(retried.error));
    QCOMPARE(retried.stored, 2);
}

QTEST_MAIN(TstLogStore)
#include "tst_logstore.moc"

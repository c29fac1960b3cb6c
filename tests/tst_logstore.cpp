// Storing decoded records in a real database file: exact rows, invalid records
// and duplicates left out, chunked commits and failures of the engine.
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

// The counts of a decode, and its error if any.
QString tally(const DecodeOutcome& o)
{
    return QString::asprintf("%d records: %d stored, %d duplicates, %d invalid", o.records,
                             o.stored, o.duplicates, o.invalid) +
           (o.ok() ? QString() : "; " + o.error);
}

// The worked example as stored, read with kLogRows.
const QString kWorkedRow =
    QStringLiteral("0080|2007-01-11 09:43:01|0000|21|integer||NULL|2024-05-15 10:30:00");

// An empty header, unit 0080, the worked example (log 21), two invalid records
// (month 13, log number 1E02) and an alcohol record (log 08); 0A ends each field.
const QString kRecords =
    QStringLiteral("0A") + QStringList{"0080",   "0000",   "070111", "094301", "21",
                                       "0002",   "071311", "094301", "21",     "0003",
                                       "070111", "094301", "1E02",   "0001",   "070111",
                                       "094302", "08",     "015001", ""}
                               .join(QLatin1String("0A"));

} // namespace

class TstLogStore : public QObject {
    Q_OBJECT

private slots:
    void storesExactRows();
    void sampleStoresThirtyThousandRowsOnce();
    void sameKeyIsDuplicate_data();
    void sameKeyIsDuplicate();
    void engineFailureStopsTheDecode();
};

void TstLogStore::storesExactRows()
{
    TestApp app;
    QCOMPARE(tally(Log_Decode(app.db, kRecords, app.ctx.now)),
             QStringLiteral("4 records: 2 stored, 0 duplicates, 2 invalid"));
    QCOMPARE(rows(app.db, kLogRows),
             (QStringList{kWorkedRow,
                          "0080|2007-01-11 09:43:02|0001|8|integer|0.150|01|2024-05-15 10:30:00"}));
}

void TstLogStore::sampleStoresThirtyThousandRowsOnce()
{
    TestApp app;
    const QString sample = sampleStream();
    QList<qint64> committed;
    const auto yield = [&] {
        // The window's events may use the database here: no transaction is open.
        QVERIFY(sqlite3_get_autocommit(app.db.nativeHandle()) != 0);
        committed << app.count(QStringLiteral("Log_Data"));
    };
    // The data number wraps at 10000: two records come again.
    QCOMPARE(tally(Log_Decode(app.db, sample, app.ctx.now, yield)),
             QStringLiteral("30002 records: 30000 stored, 2 duplicates, 0 invalid"));
    QCOMPARE(committed, (QList<qint64>{5000, 10000, 15000, 20000, 25000, 30000}));
    QCOMPARE(rows(app.db, QStringLiteral("SELECT Log_No, count(*) FROM Log_Data GROUP BY Log_No")),
             (QStringList{"21|10000", "41|10000", "55|10000"}));

    app.now = app.now.addDays(1);
    QCOMPARE(tally(Log_Decode(app.db, sample, app.ctx.now)),
             QStringLiteral("30002 records: 0 stored, 30002 duplicates, 0 invalid"));
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 30000);
    QCOMPARE(app.count(QStringLiteral("Log_Data WHERE WDate <> '2024-05-15 10:30:00'")), 0);
}

void TstLogStore::sameKeyIsDuplicate_data()
{
    QTest::addColumn<QString>("existing"); // values of Unit_SN .. Tani
    QTest::addColumn<bool>("duplicate");
    const auto row = [](const char* name, const char* values, bool duplicate) {
        QTest::newRow(name) << QString::fromLatin1(values) << duplicate;
    };
    row("other log number", "'0080', '2007-01-11 09:43:01', '0000', 41, '', NULL", true);
    row("other alcohol", "'0080', '2007-01-11 09:43:01', '0000', 21, '0.200', '01'", true);
    row("other data number", "'0080', '2007-01-11 09:43:01', '0001', 21, '', NULL", false);
    row("a second later", "'0080', '2007-01-11 09:43:02', '0000', 21, '', NULL", false);
    row("other unit", "'0081', '2007-01-11 09:43:01', '0000', 21, '', NULL", false);
}

void TstLogStore::sameKeyIsDuplicate()
{
    QFETCH(QString, existing);
    QFETCH(bool, duplicate);
    TestApp app;
    app.db.execute(
        QStringLiteral("INSERT INTO Log_Data VALUES (%1, '2020-01-01 00:00:00')").arg(existing));
    const QStringList before = rows(app.db, kLogRows);
    QCOMPARE(tally(Log_Decode(app.db, kRecords.left(34), app.ctx.now)),
             duplicate ? "1 records: 0 stored, 1 duplicates, 0 invalid"
                       : "1 records: 1 stored, 0 duplicates, 0 invalid");
    // The stored row is never changed; a new key adds the record.
    QCOMPARE(rows(app.db, kLogRows), duplicate ? before : before + QStringList{kWorkedRow});
}

void TstLogStore::engineFailureStopsTheDecode()
{
    TestApp app;
    // A file locked by another program: nothing is stored, the error tells why.
    sqlite3_busy_timeout(app.db.nativeHandle(), 50);
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(app.dbPath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const DecodeOutcome locked = Log_Decode(app.db, kRecords, app.ctx.now);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QVERIFY2(locked.error.contains(QLatin1String("locked")), qPrintable(locked.error));
    QCOMPARE(locked.stored, 0);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 0);

    // The engine refuses the row of data number 7500, inside the second chunk:
    // the first chunk stays committed and no transaction is left open.
    app.db.execute(
        QStringLiteral("CREATE TRIGGER Fail BEFORE INSERT ON Log_Data WHEN "
                       "NEW.Data_No = '7500' BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
    const DecodeOutcome failed = Log_Decode(app.db, sampleStream(), app.ctx.now);
    QVERIFY2(failed.error.contains(QLatin1String("disk is full")), qPrintable(failed.error));
    QCOMPARE(failed.stored, kLogStoreChunk);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), kLogStoreChunk);
    QCOMPARE(app.count(QStringLiteral("Log_Data WHERE Data_No >= '5000'")), 0);
    QVERIFY(sqlite3_get_autocommit(app.db.nativeHandle()) != 0);

    // Once the engine accepts rows again, a new read completes the table.
    app.db.execute(QStringLiteral("DROP TRIGGER Fail"));
    QCOMPARE(tally(Log_Decode(app.db, sampleStream(), app.ctx.now)),
             QStringLiteral("30002 records: 25000 stored, 5002 duplicates, 0 invalid"));
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 30000);
}

QTEST_MAIN(TstLogStore)
#include "tst_logstore.moc"

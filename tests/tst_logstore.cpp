// Storing decoded records: exact rows, duplicates, chunked commits, engine failures.
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "support/test_db.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <sqlite3.h>

namespace {

QStringList rows(Database& db, const QString& sql) // the first column of every row
{
    QStringList out;
    db.forEachRow(sql, [&](const QSqlQuery& q) { out << q.value(0).toString(); });
    return out;
}

QString tally(const DecodeOutcome& o) // the counts of a decode, and its error if any
{
    return QString::asprintf("%d records: %d stored, %d duplicates, %d invalid%s", o.records,
                             o.stored, o.duplicates, o.invalid,
                             o.ok() ? "" : qPrintable("; " + o.error));
}

const QString kRecords = QStringLiteral("0A00800A"                     // empty header, unit 0080
                                        "00000A0701110A0943010A210A"   // the worked example
                                        "00020A0713110A0943010A210A"   // month 13
                                        "00030A0701110A0943010A1E020A" // log number 1E02
                                        "00010A0701110A0943020A080A0150010A"); // alcohol record

} // namespace

class TstLogStore : public QObject {
    Q_OBJECT
private slots:
    void storesEachNewRecordOnce_data();
    void storesEachNewRecordOnce();
    void sampleStoresThirtyThousandRowsOnce();
    void engineFailureStopsTheDecode();
    void storedAsItArrivesGivesTheSameRows_data();
    void storedAsItArrivesGivesTheSameRows();
};

void TstLogStore::storesEachNewRecordOnce_data()
{
    QTest::addColumn<QString>("change"); // to a stored copy of the worked example; "": no row
    QTest::addColumn<bool>("duplicate");
    QTest::newRow("empty table") << "" << false;
    QTest::newRow("other log number") << "Log_No = 41" << true;
    QTest::newRow("other alcohol") << "Alcohol = '0.200', Tani = '01'" << true;
    QTest::newRow("other data number") << "Data_No = '0001'" << false;
    QTest::newRow("a second later") << "Date = '2007-01-11 09:43:02'" << false;
    QTest::newRow("other unit") << "Unit_SN = '0081'" << false;
}

void TstLogStore::storesEachNewRecordOnce()
{
    QFETCH(QString, change);
    QFETCH(bool, duplicate);
    TestApp app;
    Log_Decode(app.db, kRecords.left(34), fixedClock(QDateTime(QDate(2020, 1, 1), QTime(0, 0))));
    app.db.execute(change.isEmpty() ? "DELETE FROM Log_Data" : "UPDATE Log_Data SET " + change);
    const QString logRows = QStringLiteral(
        "SELECT Unit_SN || '|' || Date || '|' || Data_No || '|' || Log_No || '|' || typeof(Log_No) "
        "|| '|' || Alcohol || '|' || ifnull(Tani, 'NULL') || '|' || WDate FROM Log_Data ORDER BY "
        "rowid");
    QStringList expected = rows(app.db, logRows); // a stored row is never changed
    if (!duplicate)
        expected << "0080|2007-01-11 09:43:01|0000|21|integer||NULL|2024-05-15 10:30:00";
    expected << "0080|2007-01-11 09:43:02|0001|8|integer|0.150|01|2024-05-15 10:30:00";
    QCOMPARE(tally(Log_Decode(app.db, kRecords, app.ctx.now)),
             duplicate ? "4 records: 1 stored, 1 duplicates, 2 invalid"
                       : "4 records: 2 stored, 0 duplicates, 2 invalid");
    QCOMPARE(rows(app.db, logRows), expected);
}

void TstLogStore::sampleStoresThirtyThousandRowsOnce()
{
    TestApp app;
    // The data number wraps at 10000: two records come again.
    QCOMPARE(tally(Log_Decode(app.db, sampleStream(), app.ctx.now)),
             QStringLiteral("30002 records: 30000 stored, 2 duplicates, 0 invalid"));
    app.now = app.now.addDays(1);
    QCOMPARE(tally(Log_Decode(app.db, sampleStream(), app.ctx.now)),
             QStringLiteral("30002 records: 0 stored, 30002 duplicates, 0 invalid"));
    QCOMPARE(rows(app.db, "SELECT WDate || '|' || count(*) FROM Log_Data GROUP BY WDate"),
             QStringList{"2024-05-15 10:30:00|30000"});
}

void TstLogStore::engineFailureStopsTheDecode()
{
    TestApp app;
    sqlite3* other = nullptr; // another program, holding the file locked
    QCOMPARE(sqlite3_open(app.dbPath().toUtf8().constData(), &other), SQLITE_OK);
    sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(app.db.nativeHandle(), 50);
    QCOMPARE(tally(Log_Decode(app.db, kRecords, app.ctx.now)),
             "4 records: 0 stored, 0 duplicates, 0 invalid; database is locked");
    sqlite3_close(other); // rolls its transaction back
    // Refused in the second chunk: the first stays committed, no transaction is left open.
    app.db.execute("CREATE TRIGGER Fail BEFORE INSERT ON Log_Data WHEN NEW.Data_No = '7500' "
                   "BEGIN SELECT RAISE(ABORT, 'disk is full'); END");
    QCOMPARE(tally(Log_Decode(app.db, sampleStream(), app.ctx.now)),
             "30002 records: 5000 stored, 0 duplicates, 0 invalid; disk is full");
    QCOMPARE(rows(app.db, "SELECT count(*) || '|' || max(Data_No) FROM Log_Data"),
             QStringList{"5000|4999"});
    QVERIFY(sqlite3_get_autocommit(app.db.nativeHandle()) != 0);
}

void TstLogStore::storedAsItArrivesGivesTheSameRows_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("records") << kRecords;
    QTest::newRow("sample") << sampleStream();
    // Records of the sample with some broken and some repeated, in another order.
    QString mixed = kRecords;
    QRandomGenerator rng(7);
    for (int i = 0; i < 12000; ++i)
        mixed += QStringLiteral("%1%2")
                     .arg(rng.bounded(9000), 4, 10, QLatin1Char('0'))
                     .arg(QStringList{"0A0701110A0943010A210A", "0A0799110A0943010A210A",
                                      "0A0701110A0943010A080A", "0150010A"}[rng.bounded(4)]);
    QTest::newRow("mixed") << mixed;
}

void TstLogStore::storedAsItArrivesGivesTheSameRows()
{
    QFETCH(QString, text);
    const QString logRows = QStringLiteral(
        "SELECT Unit_SN || '|' || Date || '|' || Data_No || '|' || Log_No || '|' || Alcohol || "
        "'|' || ifnull(Tani, 'NULL') || '|' || WDate FROM Log_Data ORDER BY rowid");
    TestApp whole;
    const DecodeOutcome atTheEnd = Log_Decode(whole.db, text, whole.ctx.now);
    // The same bytes arriving in pieces of random size, stored whenever a chunk is full.
    TestApp streamed;
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    LogIntake intake(streamed.db, streamed.ctx.now);
    QRandomGenerator rng(qHash(text));
    for (qsizetype pos = 0, n = 0; pos < bytes.size(); pos += n) {
        n = std::min<qsizetype>(bytes.size() - pos, rng.bounded(1, 3000));
        intake.feedBytes(QByteArrayView(bytes).sliced(pos, n));
        QVERIFY(intake.storeChunks(false));
    }
    QVERIFY(intake.storeChunks(true));
    QCOMPARE(tally(intake.outcome()), tally(atTheEnd));
    QCOMPARE(rows(streamed.db, logRows), rows(whole.db, logRows));
}

QTEST_MAIN(TstLogStore)
#include "tst_logstore.moc"

// The log-row writer on both engines: a row is stored unless its unit, date
// and data number are stored already; failures are errors, never "already
// stored"; it works inside the caller's transaction.
#include "db/database.h"
#include "db/log_row_writer.h"
#include "support/test_db.h"

#include <QTest>

namespace {

LogRow logRow(const char* unit, const char* date, const char* dataNo, int logNo = 8,
              const char* alcohol = "0.150", const char* tani = "01")
{
    LogRow r;
    r.unitSn = QString::fromLatin1(unit);
    r.date = QString::fromLatin1(date);
    r.dataNo = QString::fromLatin1(dataNo);
    r.logNo = logNo;
    r.alcohol = QString::fromLatin1(alcohol);
    r.tani = tani ? QString::fromLatin1(tani) : QString();
    r.wdate = QStringLiteral("2024-05-15 10:30:00");
    return r;
}

// Whether the writer stored the row (not stored already).
bool stored(LogRowWriter& writer, const LogRow& row)
{
    return writer.storeAll(std::span(&row, 1)) == 1;
}

} // namespace

class TstLogRowWriter : public QObject {
    Q_OBJECT

private slots:
    void storedOrAlreadyStored();
    void failuresAreErrors_data();
    void failuresAreErrors();
    void insideTheCallersTransaction();
};

void TstLogRowWriter::storedOrAlreadyStored()
{
    struct Case {
        const char* what;
        LogRow row;
        bool stored;
    };
    const Case cases[] = {
        {"new", logRow("0080", "2024-05-02 10:00:00", "0001"), true},
        {"same key, other content", logRow("0080", "2024-05-02 10:00:00", "0001", 9, "0.300", "02"),
         false},
        {"same key, date with slashes", logRow("0080", "2024/05/02 10:00:00", "0001"), false},
        {"other data number", logRow("0080", "2024-05-02 10:00:00", "0002"), true},
        {"one second later", logRow("0080", "2024-05-02 10:00:01", "0001"), true},
        {"other unit", logRow("0081", "2024-05-02 10:00:00", "0001"), true},
        {"no measured value", logRow("0082", "2024-05-02 10:00:00", "0001", 17, "", nullptr), true},
        {"japanese data number", logRow("0082", "2024-05-02 10:00:00", "０１"), true},
    };
    TestApp app;
    LogRowWriter writer(app.db);
    for (const Case& c : cases)
        QVERIFY2(stored(writer, c.row) == c.stored, c.what);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 6);
    // The same rows in one call, twice each: stored once, in one statement on a server.
    app.db.execute(QStringLiteral("DELETE FROM Log_Data"));
    std::vector<LogRow> rows;
    for (const Case& c : cases)
        rows.insert(rows.end(), 2, c.row);
    QCOMPARE(writer.storeAll(rows), 6);

    // The first row as stored, field by field.
    Recordset rs = app.db.openRecordset(QStringLiteral(
        "SELECT * FROM Log_Data WHERE Unit_SN = '0080' AND Data_No = '0001' ORDER BY Date ;"));
    QCOMPARE(rs.text(QStringLiteral("Date")), QStringLiteral("2024-05-02 10:00:00"));
    QCOMPARE(rs.field(QStringLiteral("Log_No")).toInt(), 8);
    QCOMPARE(rs.text(QStringLiteral("Alcohol")), QStringLiteral("0.150"));
    QCOMPARE(rs.text(QStringLiteral("Tani")), QStringLiteral("01"));
    QCOMPARE(rs.text(QStringLiteral("WDate")), QStringLiteral("2024-05-15 10:30:00"));
    // Without a measured value: Alcohol empty, Tani left unset.
    Recordset plain =
        app.db.openRecordset(QStringLiteral("SELECT * FROM Log_Data WHERE Log_No = 17 ;"));
    QCOMPARE(plain.field(QStringLiteral("Alcohol")), QVariant(QString()));
    QVERIFY(!plain.field(QStringLiteral("Alcohol")).isNull());
    QVERIFY(plain.field(QStringLiteral("Tani")).isNull());
}

void TstLogRowWriter::failuresAreErrors_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("unit too long") << "unitSn" << QString(11, u'9');
    QTest::newRow("unit, trailing blank") << "unitSn" << QStringLiteral("0080       ");
    QTest::newRow("log number above 16 bits") << "logNo" << QStringLiteral("40000");
    QTest::newRow("31 February") << "date" << QStringLiteral("2024-02-31 00:00:00");
    QTest::newRow("no time") << "date" << QStringLiteral("2024-02-01");
    QTest::newRow("bad storage time") << "wdate" << QStringLiteral("yesterday");
    QTest::newRow("unit code too long") << "tani" << QStringLiteral("0102030");
}

void TstLogRowWriter::failuresAreErrors()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    TestApp app;
    LogRow row = logRow("0080", "2024-05-02 10:00:00", "0001");
    if (field == QLatin1String("unitSn"))
        row.unitSn = value;
    else if (field == QLatin1String("logNo"))
        row.logNo = value.toInt();
    else if (field == QLatin1String("date"))
        row.date = value;
    else if (field == QLatin1String("wdate"))
        row.wdate = value;
    else
        row.tani = value;
    {
        Transaction tx(app.db);
        LogRowWriter writer(app.db);
        QVERIFY(stored(writer, logRow("0081", "2024-05-02 10:00:00", "0001")));
        QVERIFY_THROWS_EXCEPTION(DbError, stored(writer, row));
    } // the caller rolls back after a failure
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 0);
    // The connection and a new writer work afterwards.
    Transaction tx(app.db);
    LogRowWriter writer(app.db);
    QVERIFY(stored(writer, logRow("0081", "2024-05-02 10:00:00", "0001")));
    tx.commit();
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 1);
}

void TstLogRowWriter::insideTheCallersTransaction()
{
    TestApp app;
    const LogRow a = logRow("0080", "2024-05-02 10:00:00", "0001");
    const LogRow b = logRow("0080", "2024-05-02 10:00:00", "0002");
    {
        Transaction tx(app.db);
        LogRowWriter writer(app.db);
        QVERIFY(stored(writer, a));
        QVERIFY(!stored(writer, a)); // seen within the transaction
    }                                // not committed
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 0);
    {
        // Chunks in transactions of their own, each with a writer; a record of an
        // earlier chunk is already stored.
        for (const LogRow& r : {a, b}) {
            Transaction tx(app.db);
            LogRowWriter writer(app.db);
            QVERIFY(stored(writer, r));
            QVERIFY(!stored(writer, a));
            tx.commit();
        }
    }
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 2);
    // Without a transaction each row is kept at once.
    LogRowWriter writer(app.db);
    QVERIFY(stored(writer, logRow("0081", "2024-05-02 10:00:00", "0001")));
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 3);

    // A writer does not outlive its connection; one on the new connection works.
    app.db.close();
    if (app.engine == DbEngine::Postgresql)
        app.db.open(app.program.setting.server);
    else
        app.db.open(app.dbPath());
    QVERIFY_THROWS_EXCEPTION(DbError, stored(writer, b));
    LogRowWriter again(app.db);
    QVERIFY(!stored(again, b));
}

QTEST_GUILESS_MAIN(TstLogRowWriter)
#include "tst_log_row_writer.moc"

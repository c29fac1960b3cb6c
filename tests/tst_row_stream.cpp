// The row stream on both engines: the recordsets' bytes and nulls, in chunks, in transactions.
#include "db/database.h"
#include "db/row_stream.h"
#include "support/test_db.h"

#include <QTest>

namespace {

// Nulls, empty texts, Japanese names, a log number without a master row.
void addLogs(TestApp& app)
{
    app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', "
                   "'第３トラック　（予備）'), ('0081', 'O''Brien')");
    app.db.execute(
        "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) VALUES "
        "('0080', #2024/05/02 10:00:00#, '0001', 8, '0.150', '01', #2024/05/15 10:30:00#), "
        "('0080', #2024/05/02 10:00:01#, '0002', 17, '', NULL, NULL), "
        "('0081', #2024/05/31 23:59:59#, '0003', 999, '', NULL, #2024/06/01 00:00:00#), "
        "('0082', #2024/06/01 00:00:00#, '0004', NULL, NULL, NULL, NULL), "
        "('0080', #2023/12/31 08:15:00#, '0005', 9, '1.000', 'FF', #2024/01/01 00:00:00#)");
}

} // namespace

class TstRowStream : public QObject {
    Q_OBJECT

private slots:
    void sameAsRecordsets_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("fetchRows");
        QTest::addColumn<int>("rows");
        QTest::newRow("all logs, two rows a chunk") << "SELECT * From V_Log_Data  ;" << 2 << 5;
        QTest::newRow("dates and a chunk larger than the rows")
            << "SELECT * From V_Log_Data WHERE Date <= #2024/05/31 23:59:59# AND Naiyou = ''"
            << 1000 << 1;
        QTest::newRow("user field and order")
            << "SELECT User, Log_No, Date FROM V_Log_Data ORDER BY Data_No DESC" << 3 << 5;
        QTest::newRow("nothing found") << "SELECT * FROM Log_Data WHERE 1 = 0 ;" << 10 << 0;
    }
    void sameAsRecordsets()
    {
        QFETCH(QString, sql);
        QFETCH(int, fetchRows);
        QFETCH(int, rows);
        TestApp app;
        addLogs(app);
        Recordset rs = app.db.openRecordset(sql);
        RowStream stream(app.db, sql, fetchRows);
        int n = 0;
        for (; stream.next(); ++n, rs.moveNext()) {
            QVERIFY(!rs.eof());
            for (int c = 0; c < stream.columnCount(); ++c) {
                const QString name = QString::fromUtf8(stream.name(c));
                QCOMPARE(stream.isNull(c), rs.field(name).isNull());
                QCOMPARE(QByteArrayView(stream.text(c)).toByteArray(),
                         rs.field(name).toString().toUtf8());
            }
        }
        QVERIFY(rs.eof());
        QCOMPARE(n, rows);
        QVERIFY(!stream.next()); // stays at the end
    }

    void failures()
    {
        TestApp app;
        for (const char* sql : {"SELECT * FROM No_Such_Table", "SELECT * FROM Log_Data WHERE (",
                                "SELECT * FROM Log_Data WHERE Date = #2024/02/30 00:00:00#"})
            QVERIFY_THROWS_EXCEPTION(DbError, RowStream(app.db, sql));
        QVERIFY(!app.db.inTransaction());
        QCOMPARE(app.count("Login"), 1);
        // Closing the connection under a stream ends it with an error, not as if all was read.
        RowStream open(app.db, "SELECT * FROM Log_Master", 2);
        QVERIFY(open.next());
        app.db.close();
        QVERIFY_THROWS_EXCEPTION(DbError, open.next());
        QVERIFY_THROWS_EXCEPTION(DbError, RowStream(app.db, "SELECT * FROM Login"));
    }

    // A caller's transaction stays open; without one, a stream ended early leaves none open.
    void withAndWithoutTheCallersTransaction()
    {
        TestApp app;
        {
            Transaction tx(app.db);
            addLogs(app);
            RowStream stream(app.db, "SELECT * FROM Log_Data ORDER BY Data_No", 2);
            for (int n = 0; n < 5; ++n)
                QVERIFY(stream.next());
            QVERIFY(!stream.next() && app.db.inTransaction());
        } // rolled back
        QCOMPARE(app.count("Log_Data"), 0);
        addLogs(app);
        {
            RowStream stream(app.db, "SELECT * FROM Log_Data ORDER BY Data_No", 2);
            QVERIFY(stream.next());
            app.db.execute("DELETE FROM Kiki_Name WHERE Unit_SN = '0081'");
            QVERIFY(stream.next() && stream.next());
            QVERIFY(stream.text(stream.column("Data_No")) == "0003");
        } // ended before its last row
        QVERIFY(!app.db.inTransaction());
        Transaction tx(app.db);
        tx.commit();
        QCOMPARE(app.count("Kiki_Name"), 1);
    }
};

QTEST_GUILESS_MAIN(TstRowStream)
#include "tst_row_stream.moc"

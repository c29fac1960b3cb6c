// The database layer and its row stream on SQLite and PostgreSQL.
#include "db/database.h"
#include "db/row_stream.h"
#include "db/sql_text.h"
#include "support/test_db.h"

#include <QTest>

namespace {

// Adds a row through a recordset, field by field, as the windows do: names and values alternate.
void addRow(Database& db, const QString& table, const QVariantList& fields)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0 ;").arg(table));
    rs.addNew();
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        rs.setField(fields[i].toString(), fields[i + 1]);
    rs.update();
}

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

class TstEngine : public QObject {
    Q_OBJECT

private slots:
    void dateLiterals_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("stored"); // "": refused
        for (const char* row :
             {"#2007/01/11 09:43:01#=2007-01-11 09:43:01",
              "#2024/02/29 23:59:59#=2024-02-29 23:59:59", "#2024/02/31 00:00:00#=",
              "#2023/02/29 00:00:00#=", "#2024/13/01 00:00:00#=", "#2024/01/01 24:00:00#=",
              "#24/01/01 10:00:00#=", "#2024/01/01#=", "#2024/01/01 10:00:00="})
            QTest::newRow(row) << QString(row).section('=', 0, 0) << QString(row).section('=', 1);
    }
    void dateLiterals()
    {
        QFETCH(QString, literal);
        QFETCH(QString, stored);
        TestApp app;
        const QString insert =
            "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES ('0080', %1, '1', 8)";
        if (stored.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute(insert.arg(literal)));
        } else {
            app.db.execute(insert.arg(literal));
            QCOMPARE(firstColumn(app.db, "SELECT Date FROM Log_Data WHERE Date = " + literal),
                     QStringList{stored});
        }
        // A # inside a quoted text is an ordinary character.
        QCOMPARE(firstColumn(app.db, "SELECT '" + literal + "'"), QStringList{literal});
    }

    // Quotes and Japanese, through the quoting helper and through a recordset's field.
    void quotingRoundTrip()
    {
        TestApp app;
        const QString value = "O'Brien's ''第３　（予備）''";
        app.db.execute(QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0001', '%1')")
                           .arg(Sql_Quote(value)));
        addRow(app.db, "Kiki_Name", {"Unit_SN", "0002", "Name", value});
        QCOMPARE(firstColumn(app.db, QStringLiteral("SELECT Name FROM Kiki_Name WHERE Name = '%1'")
                                         .arg(Sql_Quote(value))),
                 QStringList({value, value}));
    }

    void fieldLimits_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("fits");
        QTest::addColumn<QVariant>("tooBig");
        const auto row = [](const char* table, const char* field, QVariant fits, QVariant tooBig,
                            const char* name = nullptr) {
            QTest::newRow(name ? name : field)
                << QString(table) << QString(field) << fits << tooBig;
        };
        row("Log_Data", "Unit_SN", QString(10, u'9'), QString(11, u'9'));
        row("Log_Data", "Unit_SN", QString(10, u'9'), QString(10, u'9') + ' ', "trailing blank");
        row("Log_Data", "Alcohol", QString(10, u'1'), QString(11, u'1'));
        row("Log_Data", "Tani", "010203", "0102030");
        row("Log_Data", "Log_No", "32767", "32768");
        row("Log_Data", "Date", "2024/02/29 00:00:00", "2024/02/30 00:00:00");
        row("Log_Master", "Log_No", "099", "1A");
        row("Login", "ID", QString(10, u'a'), QString(11, u'a'));
        row("Kiki_Name", "Name", QString(50, u'名'), QString(51, u'名'));
        row("Com_Port", "Port", 16, 40000);
    }
    void fieldLimits()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QVariant, fits);
        QFETCH(QVariant, tooBig);
        TestApp app;
        const qint64 before = app.count(table);
        addRow(app.db, table, {field, fits});
        QVERIFY_THROWS_EXCEPTION(DbError, addRow(app.db, table, {field, tooBig}));
        QCOMPARE(app.count(table), before + 1);
    }

    // Alike on both engines: dates, integers, views' empty texts, the key, byte order of texts.
    void valuesAndViews()
    {
        TestApp app;
        app.db.execute("DELETE FROM Kiki_Name");
        for (const char* date :
             {"2007/01/11 09:43:01", "2006/12/31 23:59:59", "2007/01/11 09:42:58"})
            addRow(app.db, "Log_Data",
                   {"Unit_SN", "0080", "Date", date, "Data_No", "0001", "Log_No", "08"});
        app.db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) "
                       "VALUES ('0081', #2024/05/02 10:00:00#, '0001', 999, '0.150', NULL)");
        app.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'x', 998)");

        Recordset rs = app.db.openRecordset(
            "SELECT * FROM V_Log_Data WHERE Date >= #2007/01/01 00:00:00# ORDER BY Date ;");
        QCOMPARE(rs.field("Date"), QVariant("2007-01-11 09:42:58"));
        QCOMPARE(rs.field("Log_No"), QVariant(qlonglong(8)));
        QVERIFY(!rs.field("Naiyou").toString().isEmpty());
        rs.moveNext();
        QCOMPARE(rs.text("Date"), "2007-01-11 09:43:01");
        rs.moveNext();
        QCOMPARE(rs.field("Unit_SN"), QVariant("0081"));
        for (const char* f : {"Naiyou", "Naiyou2", "Name", "User"})
            QCOMPARE(rs.field(QLatin1String(f)), QVariant(QString()));
        QVERIFY(rs.field("Tani").isNull());
        rs.moveNext();
        QVERIFY(rs.eof());
        QCOMPARE(firstColumn(app.db,
                             "SELECT Unit_SN || ':' || coalesce(Name, 'null') FROM V_Unit_SN "
                             "UNION ALL SELECT 'set:' || coalesce(Naiyou, 'null') FROM "
                             "V_FUKUSU WHERE Name = 'x' ORDER BY 1"),
                 QStringList({"0080:", "0081:", "set:"}));
        // User is the view's field, not the server's current user.
        QCOMPARE(firstColumn(app.db, "SELECT Unit_SN, User FROM V_Log_Data WHERE User = '' "
                                     "ORDER BY User ;")
                     .size(),
                 4);
        QVERIFY_THROWS_EXCEPTION(
            DbError, addRow(app.db, "Log_Data",
                            {"Unit_SN", "0081", "Date", QDateTime(QDate(2024, 5, 2), QTime(10, 0)),
                             "Data_No", "0001", "Log_No", 9}));
        QCOMPARE(app.count("Log_Data"), 4);
        for (const char* n : {"b", "B", "_x", "a b", "ab", "１", "Ａ", "10", "9"})
            app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)", {n, n});
        QCOMPARE(firstColumn(app.db, "SELECT Unit_SN FROM Kiki_Name ORDER BY Unit_SN ;"),
                 (QStringList{"10", "9", "B", "_x", "a b", "ab", "b", "１", "Ａ"})); // UTF-8 bytes
    }

    void changedMeanwhileIsNotOverwritten_data()
    {
        QTest::addColumn<QString>("meanwhile"); // run between reading and saving
        QTest::addColumn<bool>("saved");
        for (const char* row : {"-UPDATE Kiki_Name SET Name = 'other' WHERE Unit_SN = '0080'",
                                "-DELETE FROM Kiki_Name WHERE Unit_SN = '0080'",
                                "+UPDATE Kiki_Name SET Name = 'x' WHERE Unit_SN = '0081'"})
            QTest::newRow(row + 1) << QString(row + 1) << (row[0] == '+');
    }
    void changedMeanwhileIsNotOverwritten()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, saved);
        TestApp app;
        app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'a'), ('0081', 'b')");
        const QString sql = "SELECT * FROM Kiki_Name WHERE Unit_SN = '0080' ;";
        Recordset rs = app.db.openRecordset(sql);
        Database other; // a second program on the same database
        app.engine == DbEngine::Postgresql ? other.open(app.program.setting.server)
                                           : other.open(app.dbPath());
        other.execute(meanwhile);
        rs.setField("Name", "mine");
        if (!saved) {
            QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
            QVERIFY(firstColumn(other, "SELECT Name FROM Kiki_Name WHERE Unit_SN = '0080'")
                        .value(0, "other") == "other");
            return;
        }
        rs.update();
        QVERIFY_THROWS_EXCEPTION(DbError, rs.setField("Nmae", "typo"));
        rs.setField("Name", "mine again"); // moving on saves it
        rs.moveNext();
        QCOMPARE(other.openRecordset(sql).text("Name"), "mine again");
    }

    void transactions()
    {
        TestApp app;
        const QString insert = "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)";
        {
            // Statements that fail inside a transaction leave the others of it.
            Transaction tx(app.db);
            app.db.execute(insert, {"0001", "kept"});
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute(insert, {QString(11, u'1'), "x"}));
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.openRecordset("SELECT * FROM Nothing ;"));
            addRow(app.db, "Kiki_Name", {"Unit_SN", "0002"});
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.begin()); // one transaction at a time
            tx.commit();
        }
        QCOMPARE(app.count("Kiki_Name WHERE Unit_SN IN ('0001', '0002')"), 2);
        {
            // Not committed: rolled back, and the next transaction begins afresh.
            Transaction tx(app.db);
            app.db.execute("DELETE FROM Kiki_Name");
            QCOMPARE(app.count("Kiki_Name"), 0);
        }
        QVERIFY(!app.db.inTransaction());
        QVERIFY(app.count("Kiki_Name") >= 2);
        Transaction again(app.db);
        again.commit();
    }

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

QTEST_GUILESS_MAIN(TstEngine)
#include "tst_engine.moc"

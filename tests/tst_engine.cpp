// The database engine layer on real SQLite files and, in the suite's second
// run, on a real PostgreSQL server: the statement forms the windows send, date
// literals, quoting, field limits, the views, recordsets with optimistic
// locking, transactions and the catalog.
#include "db/database.h"
#include "db/row_stream.h"
#include "db/sql_text.h"
#include "support/test_db.h"

#include <QTest>

class TstEngine : public QObject {
    Q_OBJECT

private slots:
    void statementsAsTheWindowsSendThem_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("fails");
        static const char* const statements[] = {
            "SELECT * FROM kiki_name WHERE Unit_SN = '0080' ;",
            "SELECT * FROM Login Where ID = 'admin' And Pass = 'x' ;",
            "SELECT * From Fukusu WHERE Name = '標準セット' ORDER BY No ;",
            "SELECT * From Log_Data WHERE Unit_SN = '0080' AND Date = #2007/01/11 09:43:01# AND "
            "Data_No = '0000' ;",
            "SELECT * From UFUKUSU WHERE Name = 'a' ;",
            "SELECT * From V_FUKUSU WHERE Name = '標準セット' ;",
            "SELECT * From V_Log_Data WHERE (Date >= #2024/05/01 00:00:00# AND Date <= #2024/05/31 "
            "23:59:59#) AND ( Unit_SN = '0080' OR Unit_SN = '0081' )AND ( Naiyou = "
            "'アルコール測定' )  "
            ";",
            "SELECT * From V_Unit_SN ORDER BY Unit_SN",
            "SELECT DISTINCT Name From FUKUSU ;",
            "INSERT INTO Log_Data_Bak SELECT * FROM Log_Data ;",
            "DELETE FROM Kiki_Name WHERE Unit_SN = '0080 ' ;",
            "DELETE FROM Login WHERE ID = 'nobody ' ;",
        };
        for (const char* sql : statements)
            QTest::newRow(sql) << QString::fromUtf8(sql) << false;
        // Failures come back to the caller as errors with the engine's message.
        for (const char* sql : {"SELECT * FROM No_Such_Table ;", "DELETE FROM Log_Data WHERE ( )"})
            QTest::newRow(sql) << QString::fromUtf8(sql) << true;
    }
    void statementsAsTheWindowsSendThem()
    {
        QFETCH(QString, sql);
        QFETCH(bool, fails);
        TestApp app;
        app.db.execute(
            QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol) "
                           "VALUES ('0080', '2024-05-02 10:00:00', '0001', 8, '0.150')"));
        const bool select = sql.startsWith("SELECT");
        if (fails && select)
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.openRecordset(sql));
        else if (fails)
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute(sql));
        else if (select)
            QVERIFY(!app.db.openRecordset(sql).fieldNames().isEmpty());
        else
            app.db.execute(sql);
    }

    void dateLiterals_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("stored"); // null: refused
        QTest::newRow("real") << "#2007/01/11 09:43:01#"
                              << "'2007-01-11 09:43:01'";
        QTest::newRow("leap day") << "#2024/02/29 23:59:59#"
                                  << "'2024-02-29 23:59:59'";
        QTest::newRow("31 February") << "#2024/02/31 00:00:00#" << QString();
        QTest::newRow("29 February, no leap year") << "#2023/02/29 00:00:00#" << QString();
        QTest::newRow("month 13") << "#2024/13/01 00:00:00#" << QString();
        QTest::newRow("hour 24") << "#2024/01/01 24:00:00#" << QString();
        QTest::newRow("short year") << "#24/01/01 10:00:00#" << QString();
        QTest::newRow("no time") << "#2024/01/01#" << QString();
        QTest::newRow("unterminated") << "#2024/01/01 10:00:00" << QString();
    }
    void dateLiterals()
    {
        QFETCH(QString, literal);
        QFETCH(QString, stored);
        const QString sql = QStringLiteral("SELECT * FROM Log_Data WHERE Date = %1 ;").arg(literal);
        if (stored.isNull()) {
            QVERIFY_THROWS_EXCEPTION(DbError, translateSql(sql));
            TestApp app;
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.openRecordset(sql));
        } else {
            QCOMPARE(translateSql(sql),
                     QStringLiteral("SELECT * FROM Log_Data WHERE Date = %1 ;").arg(stored));
        }
        // A # inside a quoted text is an ordinary character.
        QCOMPARE(translateSql(QStringLiteral("SELECT '%1'").arg(literal)),
                 QStringLiteral("SELECT '%1'").arg(literal));
    }

    void dateRoundTripAndOrder()
    {
        TestApp app;
        const QStringList dates{"2007/01/11 09:43:01", "2006/12/31 23:59:59",
                                "2007/01/11 09:42:58"};
        for (int i = 0; i < dates.size(); ++i) {
            Recordset rs = app.db.openRecordset("SELECT * FROM Log_Data WHERE Unit_SN = 'x' ;");
            rs.addNew();
            rs.setField("Unit_SN", "0080");
            rs.setField("Date", dates[i]);
            rs.setField("Data_No", QString::number(i));
            rs.setField("Log_No", "08");
            rs.update();
        }
        Recordset rs = app.db.openRecordset(QStringLiteral(
            "SELECT * FROM Log_Data WHERE Date >= #2007/01/01 00:00:00# ORDER BY Date ;"));
        QCOMPARE(rs.rowCount(), 2);
        QCOMPARE(rs.text("Date"), "2007-01-11 09:42:58");
        QCOMPARE(rs.field("Log_No").toInt(), 8);
        rs.moveNext();
        QCOMPARE(parseStoredDateTime(rs.text("Date")),
                 QDateTime(QDate(2007, 1, 11), QTime(9, 43, 1)));
    }

    void quotingRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quotes") << "O'Brien's ''truck''";
        QTest::newRow("comment") << "a -- b; DROP TABLE Login; --";
        QTest::newRow("japanese") << "第３トラック　（予備）";
        QTest::newRow("or true") << "x' OR '1'='1";
    }
    void quotingRoundTrip()
    {
        QFETCH(QString, value);
        TestApp app;
        // Through a statement text built with the quoting helper...
        app.db.execute(QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0001', '%1')")
                           .arg(Sql_Quote(value)));
        // ...and through a recordset's field.
        Recordset add = app.db.openRecordset("SELECT * FROM Kiki_Name WHERE Unit_SN = '0002' ;");
        add.addNew();
        add.setField("Unit_SN", "0002");
        add.setField("Name", value);
        add.update();

        Recordset rs = app.db.openRecordset(
            QStringLiteral("SELECT * FROM Kiki_Name WHERE Name = '%1' ORDER BY Unit_SN ;")
                .arg(Sql_Quote(value)));
        QCOMPARE(rs.rowCount(), 2);
        QCOMPARE(rs.text("Name"), value);
        QCOMPARE(app.count("Login"), 1);
        QCOMPARE(app.count("Kiki_Name"), 2);
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
        Recordset rs =
            app.db.openRecordset(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0 ;").arg(table));
        rs.addNew();
        rs.setField(field, fits);
        rs.update();
        rs.addNew();
        rs.setField(field, tooBig);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        QCOMPARE(app.count(table), before + 1);
    }

    void viewsGiveEmptyTextWithoutMatch()
    {
        TestApp app;
        app.db.execute("DELETE FROM Kiki_Name");
        app.db.execute(
            QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                           "('0080', '2024-05-02 10:00:00', '0001', 999)"));
        app.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'x', 998)");

        Recordset log = app.db.openRecordset("SELECT * FROM V_Log_Data ;");
        QCOMPARE(log.rowCount(), 1);
        for (const char* f : {"Naiyou", "Naiyou2", "Name", "User"})
            QCOMPARE(log.field(QLatin1String(f)), QVariant(QString()));
        QVERIFY(log.field("Tani").isNull());

        Recordset units = app.db.openRecordset("SELECT * From V_Unit_SN ORDER BY Unit_SN");
        QCOMPARE(units.rowCount(), 1);
        QCOMPARE(units.text("Unit_SN"), "0080");
        QCOMPARE(units.field("Name"), QVariant(QString()));

        Recordset set = app.db.openRecordset("SELECT * From V_FUKUSU WHERE Name = 'x' ;");
        QCOMPARE(set.rowCount(), 1);
        QCOMPARE(set.field("Naiyou"), QVariant(QString()));
    }

    void recordsetAddsAndChangesRows()
    {
        TestApp app;
        Recordset rs = app.db.openRecordset("SELECT * FROM Com_Port ;");
        QVERIFY(!rs.eof());
        rs.setField("Port", "3");
        rs.update();
        QCOMPARE(app.count("Com_Port"), 1);
        QCOMPARE(app.count("Com_Port WHERE Port = 3"), 1);

        // Moving on from a changed row saves it; an added row with no field set is a row too.
        Recordset two = app.db.openRecordset("SELECT * FROM Com_Port ;");
        two.addNew();
        two.moveNext();
        two.addNew();
        two.setField("Port", 9);
        two.moveNext();
        QCOMPARE(app.count("Com_Port WHERE Port IS NULL OR Port = 9"), 2);

        // A view is read-only: adding to it is refused, not silently lost.
        Recordset view = app.db.openRecordset("SELECT * FROM V_Log_Data ;");
        QVERIFY_THROWS_EXCEPTION(DbError, view.addNew());
        QVERIFY_THROWS_EXCEPTION(DbError, view.field("NoSuchField"));
        app.db.close();
        QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute("DELETE FROM Log_Data ;"));
    }

    void valuesAndNamesAlikeOnBothEngines()
    {
        TestApp app;
        app.db.execute(
            QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                           "Tani) VALUES ('0080', #2024/05/02 10:00:00#, '0001', 8, "
                           "'0.150', '01')"));
        Recordset rs = app.db.openRecordset("SELECT * FROM V_Log_Data ;");
        QCOMPARE(rs.fieldNames(), QStringList({"Unit_SN", "Date", "Data_No", "Log_No", "Alcohol",
                                               "Tani", "Naiyou", "Naiyou2", "Name", "User"}));
        QCOMPARE(rs.field("Date"), QVariant("2024-05-02 10:00:00"));
        QCOMPARE(rs.field("Log_No"), QVariant(qlonglong(8)));
        QCOMPARE(rs.field("Unit_SN"), QVariant("0080"));
        QVERIFY(!rs.field("Naiyou").toString().isEmpty());
        // The same values row by row, with statements run between the rows.
        QStringList seen;
        RowStream rows(app.db,
                       "SELECT V.Date, V.Log_No, V.Tani, L.WDate FROM V_Log_Data V, Log_Data L");
        while (rows.next())
            seen << rows.value(0).toString() << rows.value(rows.column("Log_No")).toString()
                 << QString::fromUtf8(rows.text(2)) << (rows.isNull(3) ? "null" : "set")
                 << QString::number(app.count("Login"));
        QCOMPARE(seen, QStringList({"2024-05-02 10:00:00", "8", "01", "null", "1"}));
        // User is the view's field, not the server's current user.
        Recordset user = app.db.openRecordset(
            "SELECT User, Unit_SN FROM V_Log_Data WHERE User = '' ORDER BY User ;");
        QCOMPARE(user.rowCount(), 1);
        QCOMPARE(user.fieldNames().first(), "User");
        QCOMPARE(user.field("User"), QVariant(QString()));

        // The stored key is unique: a second row with the same unit, date and number is refused.
        Recordset add = app.db.openRecordset("SELECT * FROM Log_Data WHERE 1 = 0 ;");
        add.addNew();
        add.setField("Unit_SN", "0080");
        add.setField("Date", QDateTime(QDate(2024, 5, 2), QTime(10, 0, 0)));
        add.setField("Data_No", "0001");
        add.setField("Log_No", 9);
        QVERIFY_THROWS_EXCEPTION(DbError, add.update());
        QCOMPARE(app.count("Log_Data"), 1);
    }

    void textOrderIsByteOrder()
    {
        TestApp app;
        app.db.execute("DELETE FROM Kiki_Name");
        const QStringList names{"b", "B", "_x", "a b", "ab", "１", "Ａ", "10", "9"};
        for (const QString& n : names)
            app.db.execute("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)", {n, n});
        QStringList ordered;
        for (Recordset rs = app.db.openRecordset("SELECT * FROM Kiki_Name ORDER BY Unit_SN ;");
             !rs.eof(); rs.moveNext())
            ordered << rs.text("Unit_SN");
        QStringList bytewise = names;
        std::sort(bytewise.begin(), bytewise.end(),
                  [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
        QCOMPARE(ordered, bytewise);
    }

    void changedMeanwhileIsNotOverwritten_data()
    {
        QTest::addColumn<QString>("meanwhile"); // run between reading and saving; "" for nothing
        QTest::addColumn<bool>("saved");
        QTest::newRow("nothing") << QString() << true;
        QTest::newRow("changed") << "UPDATE Kiki_Name SET Name = 'other' WHERE Unit_SN = '0080'"
                                 << false;
        QTest::newRow("deleted") << "DELETE FROM Kiki_Name WHERE Unit_SN = '0080'" << false;
        QTest::newRow("another row changed")
            << "UPDATE Kiki_Name SET Name = 'x' WHERE Unit_SN = '0081'" << true;
    }
    void changedMeanwhileIsNotOverwritten()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, saved);
        TestApp app;
        app.db.execute(
            QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'first'), "
                           "('0081', 'second')"));
        Recordset rs = app.db.openRecordset("SELECT * FROM Kiki_Name WHERE Unit_SN = '0080' ;");
        Database other; // a second program on the same database
        if (app.engine == DbEngine::Postgresql)
            other.open(app.program.setting.server);
        else
            other.open(app.dbPath());
        if (!meanwhile.isEmpty())
            other.execute(meanwhile);
        rs.setField("Name", "mine");
        if (saved) {
            rs.update();
            // The saved row can be changed again through the same recordset.
            rs.setField("Name", "mine again");
            rs.update();
        } else {
            QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        }
        Recordset now = other.openRecordset("SELECT * FROM Kiki_Name WHERE Unit_SN = '0080' ;");
        if (saved)
            QCOMPARE(now.text("Name"), "mine again");
        else
            QVERIFY(now.eof() || now.text("Name") == "other");
    }

    void transactions()
    {
        TestApp app;
        const QString insert = "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES (?, ?)";
        {
            // A statement that fails inside a transaction leaves the others of it.
            Transaction tx(app.db);
            app.db.execute(insert, {"0001", "kept"});
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute(insert, {QString(11, u'1'), "x"}));
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.openRecordset("SELECT * FROM Nothing ;"));
            Recordset rs = app.db.openRecordset("SELECT * FROM Kiki_Name WHERE 1 = 0 ;");
            rs.addNew();
            rs.setField("Unit_SN", "0002");
            rs.update();
            // One transaction at a time.
            QVERIFY_THROWS_EXCEPTION(DbError, app.db.begin());
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

    void catalog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("types"); // "field:TYPE ..." of some fields; "" for not a table
        const auto row = [](const char* name, const char* types) {
            QTest::newRow(name) << QString(name) << QString(types);
        };
        row("Log_Data", "unit_sn:TEXT date:DATETIME log_no:INTEGER wdate:DATETIME");
        row("log_master", "log_no:INTEGER naiyou2:TEXT");
        row("UFUKUSU", "no:INTEGER unit_sn:TEXT");
        row("Com_Port", "port:INTEGER");
        row("V_Log_Data", ""); // a view
        row("Log_Data2", "");
        row("Log_Data'", "");
    }
    void catalog()
    {
        QFETCH(QString, name);
        QFETCH(QString, types);
        TestApp app;
        const QHash<QString, QString> found = app.db.columnTypes(name);
        QCOMPARE(app.db.isTable(name), !types.isEmpty());
        for (const QString& pair : types.split(' ', Qt::SkipEmptyParts))
            QCOMPARE(found.value(pair.section(':', 0, 0)), pair.section(':', 1));
        if (!types.isEmpty())
            QVERIFY(!found.contains("qvx_rowid"));
    }

    void tableMadeAfterALookUp()
    {
        TestApp app; // a set-up looks for the tables before it makes them
        QVERIFY(!app.db.isTable("Qvx_Later"));
        app.db.execute("CREATE TABLE Qvx_Later (x INTEGER)");
        QVERIFY(app.db.isTable("Qvx_Later"));
        app.db.execute("DROP TABLE Qvx_Later");
    }
};

QTEST_GUILESS_MAIN(TstEngine)
#include "tst_engine.moc"

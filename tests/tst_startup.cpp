// Start-up and exit: the database file the switches choose, compaction,
// the operating-system name, window placement and the delivered databases.
#include "app/database.h"
#include "app/delivered_db.h"
#include "app/startup.h"
#include "support/test_db.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void addLogs(Database& db, int n)
{
    Transaction tx(db);
    for (int i = 0; i < n; ++i) {
        db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                                  "('0080', '2024-05-02 10:00:00', '%1', 21)")
                       .arg(i));
    }
    tx.commit();
}

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private slots:
    void fileChoice_data();
    void fileChoice();
    void compactionKeepsEveryRow();
    void compactionFailureLeavesOriginal_data();
    void compactionFailureLeavesOriginal();
    void osNameAndPlacement();
    void initdbNeverOverwrites();
};

void TstStartup::fileChoice_data()
{
    QTest::addColumn<int>("eng");
    QTest::addColumn<int>("test");
    QTest::addColumn<QString>("file");
    QTest::newRow("japanese") << 0 << 0 << "QuarvenixDB.db";
    QTest::newRow("english") << 1 << 0 << "QuarvenixDBE.db";
    QTest::newRow("test") << 0 << 1 << "QuarvenixDBTest.db";
    QTest::newRow("test + english") << 1 << 1 << "QuarvenixDBTest.db";
}

void TstStartup::fileChoice()
{
    QFETCH(int, eng);
    QFETCH(int, test);
    QFETCH(QString, file);
    Switches sw;
    sw.Eng_Flg = eng;
    sw.Test_Flg = test;
    QCOMPARE(DB_FilePath(QStringLiteral("/opt/q"), sw), QStringLiteral("/opt/q/") + file);
    for (int a = 0; a <= 1; ++a) {
        sw.A_Flg = a;
        QCOMPARE(DB_FilePath(QStringLiteral("/opt/q"), sw), QStringLiteral("/opt/q/") + file);
    }

    TestApp app(sw, false);
    QVERIFY(DB_Open(app.db, app.dir.path(), sw));
    QCOMPARE(QFileInfo(app.db.path()).fileName(), file);
}

void TstStartup::compactionKeepsEveryRow()
{
    TestApp app;
    addLogs(app.db, 2000);
    app.db.execute(QStringLiteral("DELETE FROM Log_Data WHERE CAST(Data_No AS INTEGER) >= 500"));
    const QString path = app.dbPath();
    DB_Close(app.db);
    const qint64 before = QFileInfo(path).size();

    // A stale temporary file of an earlier, interrupted exit is removed first.
    const QString temp = app.dir.filePath(QString::fromLatin1(kCompactTempFile));
    QFile stale(temp);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("left over");
    stale.close();

    QCOMPARE(DB_Compact(app.dir.path(), app.ctx.sw), QString());
    QVERIFY(!QFile::exists(temp));
    QVERIFY(QFileInfo(path).size() < before);
    app.db.open(path);
    QCOMPARE(app.count(QStringLiteral("Log_Data")), 500);
    QCOMPARE(app.count(QStringLiteral("Login")), 1);
    QCOMPARE(app.count(QStringLiteral("Log_Master")), deliveredLogMaster().size());
}

void TstStartup::compactionFailureLeavesOriginal_data()
{
    QTest::addColumn<int>("failure");
    QTest::newRow("stale temporary cannot be removed") << 0;
    QTest::newRow("copy cannot be written") << 1;
    QTest::newRow("database is not a database") << 2;
}

void TstStartup::compactionFailureLeavesOriginal()
{
    QFETCH(int, failure);
    TestApp app;
    addLogs(app.db, 100);
    const QString path = app.dbPath();
    DB_Close(app.db);
    QString temp = app.dir.filePath(QString::fromLatin1(kCompactTempFile));
    if (failure == 0) {
        // A folder with a file in it cannot be removed like a stale file.
        QVERIFY(QDir().mkpath(temp + QStringLiteral("/inside")));
    } else if (failure == 1) {
        temp = app.dir.filePath(QStringLiteral("no/such/folder/SaitekiDB.db"));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("this is not a database file, just text that is long enough to be looked at");
    }
    const QByteArray original = fileHash(path);
    QVERIFY(!compactFile(path, temp).isEmpty());
    QCOMPARE(fileHash(path), original);
    if (failure != 2) {
        app.db.open(path);
        QCOMPARE(app.count(QStringLiteral("Log_Data")), 100);
    }
}

void TstStartup::osNameAndPlacement()
{
    const struct {
        OsVersion version;
        const char* name;
    } versions[] = {{{1, 4, 0}, "Windows 95"},
                    {{1, 4, 10}, "Windows 98"},
                    {{2, 5, 0}, "Windows 2000"},
                    {{2, 5, 1}, "Windows XP"},
                    {{2, 5, 2}, "Windows Server 2003"},
                    {{2, 5, 3}, ""},
                    {{2, 6, 0}, "VISTA"},
                    {{2, 6, 1}, "VISTA"},
                    {{2, 10, 0}, ""},
                    {{0, 6, 1}, "不明"}};
    for (const auto& v : versions)
        QCOMPARE(OS_Name(v.version), QString::fromUtf8(v.name));

    // A 1024-pixel-wide screen puts the window at its top edge; others centre it.
    const QSize window(800, 600);
    QCOMPARE(Form_Center({1024, 768}, window), QRect(QPoint(112, 0), window));
    QCOMPARE(Form_Center({1280, 1024}, window), QRect(QPoint(240, 212), window));
    QCOMPARE(Form_Center({700, 500}, window), QRect(QPoint(-50, -50), window));
}

void TstStartup::initdbNeverOverwrites()
{
    QTemporaryDir dir;
    const QString tool =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quarvenix-initdb"));
    QVERIFY(QFile::exists(tool));
    const QString japanese = dir.filePath(QString::fromLatin1(kDbFileJapanese));
    QFile existing(japanese);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("operator's own file");
    existing.close();

    QCOMPARE(QProcess::execute(tool, {dir.path(), QStringLiteral(QVX_LOG_MASTER_FILE)}), 0);
    QCOMPARE(fileHash(japanese),
             QCryptographicHash::hash("operator's own file", QCryptographicHash::Sha256));

    Database english;
    english.open(dir.filePath(QString::fromLatin1(kDbFileEnglish)));
    Recordset set = english.openRecordset(QStringLiteral("SELECT DISTINCT Name From FUKUSU ;"));
    QCOMPARE(set.text(QStringLiteral("Name")), QStringLiteral("Standard set"));
    Recordset port = english.openRecordset(QStringLiteral("SELECT * FROM Com_Port ;"));
    QCOMPARE(port.field(QStringLiteral("Port")).toInt(), 1);

    Database test;
    test.open(dir.filePath(QString::fromLatin1(kDbFileTest)));
    Recordset master =
        test.openRecordset(QStringLiteral("SELECT * From Log_Master WHERE Log_No = 8 ;"));
    QCOMPARE(master.text(QStringLiteral("Naiyou")), QStringLiteral("アルコール測定"));
    QCOMPARE(master.text(QStringLiteral("Naiyou2")), QStringLiteral("Alcohol measurement"));
    // The test file serves the test builds of both languages.
    Recordset names =
        test.openRecordset(QStringLiteral("SELECT DISTINCT Name From FUKUSU ORDER BY Name DESC ;"));
    QCOMPARE(names.rowCount(), 2);
    QCOMPARE(names.text(QStringLiteral("Name")), QStringLiteral("標準セット"));
    names.moveNext();
    QCOMPARE(names.text(QStringLiteral("Name")), QStringLiteral("Standard set"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("QuarvenixDBTest.db.new"))));
}

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"

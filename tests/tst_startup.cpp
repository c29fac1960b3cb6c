// Start-up and exit: the database file the switches choose, the compaction at
// exit, the operating-system name, window placement and the delivered databases.
#include "app/program_exit.h"
#include "app/startup.h"
#include "base/window_parts.h"
#include "db/compaction.h"
#include "db/database.h"
#include "db/sql_text.h"
#include "sets/delivered_db.h"
#include "support/test_db.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

// n logs one minute apart, Data_No 0 to n - 1.
void addLogs(Database& db, int n)
{
    Transaction tx(db);
    const QDateTime first(QDate(2024, 5, 2), QTime(10, 0));
    for (int i = 0; i < n; ++i) {
        db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) VALUES "
                                  "('0080', '%1', '%2', 21)")
                       .arg(storedDateTime(first.addSecs(60 * i)))
                       .arg(i));
    }
    tx.commit();
}

// What a database holds: the row count of every table, and which logs.
QString contents(Database& db)
{
    QStringList out = firstColumn(
        db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY 1"));
    for (const QString& table : QStringList(out))
        out << firstColumn(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    out << firstColumn(db, QStringLiteral("SELECT group_concat(Data_No || Date) FROM Log_Data"));
    return out.join(QLatin1Char(' '));
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The paths of the files created in (or moved into) a folder while `work` runs (inotify).
QStringList filesMadeDuring(const QString& dir, const std::function<void()>& work)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(fd, QFile::encodeName(dir).constData(), IN_CREATE | IN_MOVED_TO);
    work();
    QStringList out;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n = 0; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (const char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->len > 0)
                out << QDir(dir).filePath(QFile::decodeName(event->name));
            p += sizeof(inotify_event) + event->len;
        }
    }
    ::close(fd);
    return out;
}

// Damages one entry of an index: the date of the log with the latest date
// gets a later year in the index only. The index stays in order, so every
// page looks sound; only comparing the index with its table shows it.
void damageDateIndex(const QString& path)
{
    QList<qint64> pages;
    Database db;
    db.open(path);
    for (const QString& page : firstColumn(
             db, "SELECT pageno FROM dbstat WHERE name = 'Log_Data_Date' AND pagetype = 'leaf'"))
        pages << page.toLongLong();
    const QByteArray latest =
        db.openRecordset("SELECT max(Date) AS d FROM Log_Data").text("d").toLatin1();
    db.close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    constexpr qint64 kPage = 4096;
    for (const qint64 page : pages) {
        QVERIFY(file.seek((page - 1) * kPage));
        const qsizetype at = file.read(kPage).indexOf(latest);
        if (at >= 0) {
            QVERIFY(file.seek((page - 1) * kPage + at));
            QCOMPARE(file.write("2099"), 4);
            return;
        }
    }
    QFAIL("the latest date is in no page of the index");
}

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private slots:
    void fileChoice_data();
    void fileChoice();
    void exitCompactsOnlyWhatReclaims_data();
    void exitCompactsOnlyWhatReclaims();
    void damagedIndexKeepsTheOriginal();
    void compactionFailureLeavesOriginal_data();
    void compactionFailureLeavesOriginal();
    void osNameAndPlacement();
    void initdbNeverOverwrites();
    void initdbOptions_data();
    void initdbOptions();
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
    const Switches sw{.Test_Flg = test, .Eng_Flg = eng, .A_Flg = 1}; // the edition chooses nothing
    QCOMPARE(DB_FilePath("/opt/q", sw), "/opt/q/" + file);
    TestApp app(sw, false);
    QVERIFY(DB_Open(app.db, app.dir.path(), sw));
    QCOMPARE(QFileInfo(app.db.path()).fileName(), file);
}

void TstStartup::exitCompactsOnlyWhatReclaims_data()
{
    QTest::addColumn<int>("deleted"); // of 3000 logs
    QTest::addColumn<bool>("linked"); // the database file is a link to another folder
    QTest::addColumn<bool>("compacts");
    QTest::newRow("compact file") << 0 << false << false;
    QTest::newRow("a few rows deleted") << 100 << false << false;
    QTest::newRow("most rows deleted") << 2700 << false << true;
    QTest::newRow("log data emptied") << 3000 << false << true;
    QTest::newRow("linked, most rows deleted") << 2700 << true << true;
}

void TstStartup::exitCompactsOnlyWhatReclaims()
{
    QFETCH(int, deleted);
    QFETCH(bool, linked);
    QFETCH(bool, compacts);
    TestApp app({}, false);
    const QString link = app.dbPath();
    QTemporaryDir elsewhere;
    QString path = link;
    if (linked) {
        path = elsewhere.filePath(QStringLiteral("real.db"));
        QVERIFY(QFile::rename(link, path) && QFile::link(path, link));
    }
    app.db.open(link);
    addLogs(app.db, 3000);
    app.db.execute(
        QStringLiteral("DELETE FROM Log_Data WHERE CAST(Data_No AS INTEGER) < %1").arg(deleted));
    const QString before = contents(app.db);
    app.db.close();
    const QString folder = QFileInfo(path).absolutePath();
    const QString temp = QDir(folder).filePath(QString::fromLatin1(kCompactTempFile));
    if (compacts) { // an interrupted exit's temporary file is replaced
        QFile stale(temp);
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("left over") > 0);
    }
    const ino_t inode = inodeOf(path);
    const qint64 size = QFileInfo(path).size();
    const QByteArray hash = fileHash(path);

    const QStringList made =
        filesMadeDuring(folder, [&] { Program_End(app.ctx, app.program, nullptr); });
    QCOMPARE(app.quitCalls, 1);
    QCOMPARE(app.dialogs.messages.size(), 0);
    // A compaction writes its copy and renames it over the file; a skip makes nothing.
    const QStringList copyAndRename{temp, temp + QStringLiteral("-journal"), path};
    QCOMPARE(made, compacts ? copyAndRename : QStringList());
    QVERIFY(!QFile::exists(temp) && !QFile::exists(temp + QStringLiteral("-journal")));
    QCOMPARE(inodeOf(path) != inode, compacts);
    QVERIFY(compacts ? QFileInfo(path).size() < size : fileHash(path) == hash);
    QVERIFY(!linked || QFileInfo(link).symLinkTarget() == path); // the link kept
    app.db.open(link);
    QCOMPARE(contents(app.db), before);
}

void TstStartup::damagedIndexKeepsTheOriginal()
{
    TestApp app;
    addLogs(app.db, 3000);
    app.db.execute(QStringLiteral("DELETE FROM Log_Data WHERE CAST(Data_No AS INTEGER) < 2700"));
    const QString path = app.dbPath();
    app.db.close();
    damageDateIndex(path);
    app.db.open(path);
    QCOMPARE(app.db.openRecordset("PRAGMA quick_check").text("quick_check"), "ok"); // unseen by it
    const QByteArray original = fileHash(path);

    Program_End(app.ctx, app.program, nullptr);
    QCOMPARE(fileHash(path), original);
    QVERIFY(!QFile::exists(app.dir.filePath(QString::fromLatin1(kCompactTempFile))));
    QCOMPARE(app.dialogs.messages.size(), 1);
    const QString text = app.dialogs.lastText();
    QVERIFY2(text.startsWith("データベースが壊れています（") && text.contains("Log_Data_Date") &&
                 text.endsWith("）。\n最適化は行わず、データベースは変更されていません。"),
             qPrintable(text));
    QCOMPARE(app.quitCalls, 1);
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
    QFile f(path);
    if (failure == 0) // a folder with a file in it cannot be removed like a stale file
        QVERIFY(QDir().mkpath(temp + "/inside"));
    else if (failure == 1)
        temp = app.dir.filePath("no/such/folder/SaitekiDB.db");
    else
        QVERIFY(
            f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            f.write("this is not a database file, just text that is long enough to be looked at") >
                0);
    f.close();
    const QByteArray original = fileHash(path);
    QCOMPARE(compactFile(path, temp).kind, CompactOutcome::Kind::Failed);
    QCOMPARE(fileHash(path), original);
}

void TstStartup::osNameAndPlacement()
{
    // "platform.major.minor=name"
    for (const QString& v : QStringLiteral("1.4.0=Windows 95;1.4.10=Windows 98;2.5.0=Windows 2000;"
                                           "2.5.1=Windows XP;2.5.2=Windows Server 2003;2.5.3=;"
                                           "2.6.0=VISTA;2.6.1=VISTA;2.10.0=;0.6.1=不明")
                                .split(u';')) {
        const QStringList n = v.section(u'=', 0, 0).split(u'.');
        QCOMPARE(OS_Name({n[0].toInt(), n[1].toInt(), n[2].toInt()}), v.section(u'=', 1));
    }

    // A 1024-pixel-wide screen puts the window at its top edge; others centre it.
    const QSize window(800, 600);
    QCOMPARE(Form_Center({1024, 768}, window), QRect(QPoint(112, 0), window));
    QCOMPARE(Form_Center({1280, 1024}, window), QRect(QPoint(240, 212), window));
    QCOMPARE(Form_Center({700, 500}, window), QRect(QPoint(-50, -50), window));
}

void TstStartup::initdbNeverOverwrites()
{
    QTemporaryDir dir;
    const QString japanese = dir.filePath(QString::fromLatin1(kDbFileJapanese));
    {
        QFile existing(japanese);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("operator's own file") > 0);
    }
    const QByteArray own = fileHash(japanese);
    const QString tool = QCoreApplication::applicationDirPath() + "/quarvenix-initdb";
    QCOMPARE(QProcess::execute(tool, {dir.path(), QStringLiteral(QVX_LOG_MASTER_FILE)}), 0);
    QCOMPARE(fileHash(japanese), own);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("QuarvenixDBTest.db.new"))));

    // The other two are made: the English one with its set and port, the test one with the log
    // master and the sets of both languages (values sorted).
    const auto values = [&](const char* file, const QString& sql) {
        Database db;
        db.open(dir.filePath(QString::fromLatin1(file)));
        QStringList out = firstColumn(db, sql);
        out.sort();
        return out.join(QLatin1Char('|'));
    };
    QCOMPARE(values(kDbFileEnglish, "SELECT DISTINCT Name FROM FUKUSU UNION ALL "
                                    "SELECT Port FROM Com_Port"),
             QStringLiteral("1|Standard set"));
    QCOMPARE(values(kDbFileTest, "SELECT Naiyou || '/' || Naiyou2 FROM Log_Master WHERE "
                                 "Log_No = 8 UNION ALL SELECT DISTINCT Name FROM FUKUSU"),
             QStringLiteral("Standard set|アルコール測定/Alcohol measurement|標準セット"));
}

void TstStartup::initdbOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("--help") << QStringList{"--help"} << 0;
    QTest::newRow("--help after a folder") << QStringList{"db", "--help"} << 0;
    QTest::newRow("unknown option") << QStringList{"--force"} << 2;
    QTest::newRow("unknown option after a folder") << QStringList{"db", "-x"} << 2;
}

// Help and unknown options print the usage and create nothing, not even a folder.
void TstStartup::initdbOptions()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QTemporaryDir work;
    QProcess tool;
    tool.setWorkingDirectory(work.path());
    tool.start(QCoreApplication::applicationDirPath() + "/quarvenix-initdb", args);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), exitCode);
    const QByteArray said =
        exitCode == 0 ? tool.readAllStandardOutput() : tool.readAllStandardError();
    QVERIFY2(said.startsWith("usage: quarvenix-initdb DIR"), said.constData());
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"

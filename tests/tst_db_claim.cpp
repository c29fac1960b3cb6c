// The claim on the database file, held by real processes in pid namespaces, as two users.
#include "app/frm_login.h"
#include "app/program_exit.h"
#include "base/texts/app.h"
#include "start/program_db.h"
#include "support/services.h"
#include "support/test_db.h"

#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A qvx-claim-holder started through a prefix; says "held <pid> <pid here>" or "refused <fault>".
struct Holder {
    Holder(QStringList prefix, const QString& dir)
    {
        prefix << QCoreApplication::applicationDirPath() + "/qvx-claim-holder" << dir;
        process.start(prefix.takeFirst(), prefix);
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        words = QString::fromLatin1(process.readLine()).split(' ');
    }
    ~Holder() { kill(); }
    bool held() const { return words.value(0) == "held"; }
    void kill()
    {
        if (held() && process.state() != QProcess::NotRunning)
            ::kill(words.value(2).toInt(), SIGKILL);
        process.waitForFinished();
    }
    QProcess process;
    QStringList words;
};

// Why a login window on the folder does not start; "" when it does.
QString startShows(TestApp& app, int english = 0)
{
    app.ctx.sw.Eng_Flg = english;
    app.dialogs.clear();
    Frm_Login window(app.ctx, app.program, [] {});
    const bool started = window.Form_Load();
    app.db.close();
    app.program.claim.release();
    return started ? QString() : app.dialogs.lastText().section('\n', 2);
}

// As user uid with the one group gid (its own by default), under umask 077.
QStringList asUser(int uid, int gid = -1)
{
    return QStringLiteral("setpriv --reuid=%1 --regid=%2 --clear-groups sh -c")
               .arg(uid)
               .arg(gid < 0 ? uid : gid)
               .split(' ')
           << QStringLiteral("umask 077; exec \"$0\" \"$@\"");
}

} // namespace

class TstDbClaim : public QObject {
    Q_OBJECT
private slots:
    void killedHolderLocksNoOneOut_data()
    {
        QTest::addColumn<QStringList>("first"); // how the first and the next holder start
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<int>("dirMode");       // of the folder, its group nogroup (65534)
        QTest::addColumn<bool>("lockReadOnly"); // the first user's, writable by none
        QTest::addColumn<int>("refused");       // the next holder's refusal, the first alive
        QTest::addColumn<bool>("nextHolds");    // the next holder's claim, the first killed
        const QStringList unshare = QStringLiteral("unshare -pf --kill-child").split(' ');
        const int second = int(DbFault::SecondCopy), otherUser = int(DbFault::OtherUser);
        QTest::newRow("same namespace")
            << QStringList() << QStringList() << 0700 << false << second << true;
        // Each holder is process 1 of its namespace, so a process id tells nothing.
        QTest::newRow("new pid namespaces")
            << unshare << unshare << 0700 << false << second << true;
        // A folder shared by a group: the lock file is the group's whatever the first umask.
        QTest::newRow("two users of a shared folder")
            << asUser(65534) << asUser(65533, 65534) << 02770 << false << otherUser << true;
        QTest::newRow("two users, read-only lock file")
            << asUser(65534) << asUser(65533, 65534) << 02770 << true << otherUser << true;
        // Outside the group, another user's lock file is never opened, so never locked.
        QTest::newRow("a user outside the group")
            << asUser(65534) << asUser(65533) << 0777 << false << otherUser << false;
    }

    void killedHolderLocksNoOneOut()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, next);
        QFETCH(int, dirMode);
        QFETCH(bool, lockReadOnly);
        QFETCH(int, refused);
        QFETCH(bool, nextHolds);
        for (const QStringList& prefix : {first, next})
            if (!prefix.isEmpty() &&
                QProcess::execute(prefix.first(), prefix.mid(1) << "true") != 0)
                QVX_SERVICE_MISSING(prefix.first() + " does not work here (not root?)");
        TestApp app({}, false);
        const QString dir = app.dir.path();
        const QString lock = app.dbPath() + QStringLiteral(".lock");
        QVERIFY(::chown(QFile::encodeName(dir).constData(), 0, 65534) == 0 &&
                ::chmod(QFile::encodeName(dir).constData(), mode_t(dirMode)) == 0);
        QVERIFY(::chmod(QFile::encodeName(app.dbPath()).constData(), 0666) == 0);
        if (lockReadOnly) {
            QVERIFY(QFile(lock).open(QIODevice::WriteOnly));
            QVERIFY(::chown(QFile::encodeName(lock).constData(), 65534, 65534) == 0);
            QVERIFY(::chmod(QFile::encodeName(lock).constData(), 0444) == 0);
        }

        Holder holder(first, dir);
        QVERIFY(holder.held());
        QCOMPARE(holder.words.value(1) == "1", first.contains(QStringLiteral("unshare")));
        // A live holder refuses a second copy, also the window's own, naming another user who
        // holds it; the English file is free.
        QCOMPARE(Holder(next, dir).words.mid(0, 2),
                 (QStringList{"refused", QString::number(refused)}));
        QCOMPARE(startShows(app), first.value(0, "unshare") == "unshare"
                                      ? texts::startup::ReasonSecondCopy.ja_()
                                      : texts::startup::ReasonOtherUser.ja_().arg("nobody", lock));
        QCOMPARE(startShows(app, 1), QString());

        holder.kill();
        // The next holder gets the claim, killed as it goes, unless the lock file is not its.
        QCOMPARE(Holder(next, dir).held(), nextHolds);
        QCOMPARE(startShows(app), QString());
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(lock).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, lockReadOnly ? 0440u : dirMode == 0700 ? 0600u : 0660u);
    }

    // The Japanese and the English copy in one folder share the compaction's copy: while one
    // compacts, the other's start and exit leave its copy alone; a copy nobody holds is removed.
    void compactionCopyOfAnotherCopyIsLeftAlone()
    {
        TestApp app({}, false);
        const QString copy = app.dir.filePath(kCompactTempFile);
        {
            Database db; // the Japanese file, with free pages to reclaim at its exit
            db.open(app.dbPath());
            db.execute("CREATE TABLE Pad AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                       "SELECT i + 1 FROM n WHERE i < 20000) SELECT randomblob(100) AS b FROM n");
            db.execute("DROP TABLE Pad");
        }
        const QByteArray before = fileBytes(app.dbPath());
        DbClaim english = DbClaim::take(copy + ".lock"); // the English copy compacting
        QVERIFY(english.held());
        QVERIFY(writeFile(copy, "the English file's copy, half made"));

        Frm_Login window(app.ctx, app.program, [] {});
        QVERIFY(window.Form_Load());
        Program_End(app.ctx, app.program, nullptr);
        QCOMPARE(fileBytes(copy), "the English file's copy, half made");
        QCOMPARE(fileBytes(app.dbPath()), before); // compacted at a later exit

        english.release(); // the English copy died: what it left goes at the next start
        QVERIFY(Frm_Login(app.ctx, app.program, [] {}).Form_Load());
        QVERIFY(!QFile::exists(copy));
        Program_End(app.ctx, app.program, nullptr);
        QVERIFY(QFileInfo(app.dbPath()).size() < before.size());
    }
};

QVX_TEST_MAIN(TstDbClaim)
#include "tst_db_claim.moc"

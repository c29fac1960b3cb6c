// The claim on the database file held by real processes, killed, in pid namespaces, as two users.
#include "app/frm_login.h"
#include "app/startup.h"
#include "base/texts/app.h"
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

QStringList asUser(int uid)
{
    return QStringLiteral("setpriv --reuid=%1 --regid=%1 --clear-groups sh -c").arg(uid).split(' ')
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
        QTest::addColumn<bool>("lockReadOnly"); // a lock file left only the first user may write
        const QStringList unshare = QStringLiteral("unshare -pf --kill-child").split(' ');
        QTest::newRow("same namespace") << QStringList() << QStringList() << false;
        // Each holder is process 1 of its namespace, so a process id tells nothing.
        QTest::newRow("new pid namespaces") << unshare << unshare << false;
        // The first user's umask would keep the second out of a lock file it made.
        QTest::newRow("two users, umask 077") << asUser(65534) << asUser(65533) << false;
        QTest::newRow("two users, read-only lock file") << asUser(65534) << asUser(65533) << true;
    }

    void killedHolderLocksNoOneOut()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, next);
        QFETCH(bool, lockReadOnly);
        for (const QStringList& prefix : {first, next})
            if (!prefix.isEmpty() &&
                QProcess::execute(prefix.first(), prefix.mid(1) << "true") != 0)
                QVX_SERVICE_MISSING(prefix.first() + " does not work here (not root?)");
        TestApp app({}, false);
        const QString dir = app.dir.path();
        const QString lock = app.dbPath() + QStringLiteral(".lock");
        QVERIFY(::chmod(QFile::encodeName(dir).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(app.dbPath()).constData(), 0666) == 0);
        if (lockReadOnly) {
            QVERIFY(QFile(lock).open(QIODevice::WriteOnly));
            QVERIFY(::chown(QFile::encodeName(lock).constData(), 65534, 65534) == 0);
            QVERIFY(::chmod(QFile::encodeName(lock).constData(), 0444) == 0);
        }

        Holder holder(first, dir);
        QVERIFY(holder.held());
        QCOMPARE(holder.words.value(1) == "1", first.contains(QStringLiteral("unshare")));
        // A live holder refuses a second copy, also the window's own; the English file is free.
        QCOMPARE(Holder(next, dir).words.mid(0, 2),
                 (QStringList{"refused", QString::number(int(DbFault::SecondCopy))}));
        QCOMPARE(startShows(app), texts::startup::ReasonSecondCopy.ja_());
        QCOMPARE(startShows(app, 1), QString());

        holder.kill();
        QVERIFY(Holder(next, dir).held()); // the next holder gets the claim, killed as it goes
        QCOMPARE(startShows(app), QString());
    }
};

QVX_TEST_MAIN(TstDbClaim)
#include "tst_db_claim.moc"

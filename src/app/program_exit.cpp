#include "app/program_exit.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/app.h"
#include "db/compaction.h"
#include "db/database.h"
#include "start/program_db.h"
#include "ui/busy_cursor.h"
#include "ui/work_progress.h"

#include <QEventLoop>
#include <QOperatingSystemVersion>
#include <QThread>
#include <memory>

namespace {

namespace t = texts::startup;

// The system the program runs on, as the original program named it: the
// compaction at exit is skipped on one of them.
struct OsVersion {
    int platform = 0; // 1: Windows 95 family, 2: NT family, other: unknown
    int major = 0;
    int minor = 0;
};

QString OS_Name(const OsVersion& v)
{
    if (v.platform == 1)
        return v.minor == 0 ? QStringLiteral("Windows 95") : QStringLiteral("Windows 98");
    if (v.platform == 2) {
        if (v.major == 5) {
            switch (v.minor) {
            case 0:
                return QStringLiteral("Windows 2000");
            case 1:
                return QStringLiteral("Windows XP");
            case 2:
                return QStringLiteral("Windows Server 2003");
            default:
                return {};
            }
        }
        if (v.major == 6)
            return QStringLiteral("VISTA");
        return {};
    }
    return QStringLiteral("不明");
}

OsVersion currentOsVersion()
{
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    if (os.type() == QOperatingSystemVersion::Windows)
        return {2, os.majorVersion(), os.minorVersion()};
    return {0, os.majorVersion(), os.minorVersion()};
}

// Compacts the file on a thread of its own while a progress window says
// which stage runs: the copy and its check can last tens of seconds at ten
// million logs, and the program must not look frozen meanwhile. There is no
// cancel: the file is replaced only at the end, but a half-made copy is
// wasted work, and the program is ending anyway.
CompactOutcome compactShowingProgress(AppContext& ctx, const ProgramDb& program, QWidget* parent)
{
    if (!QCoreApplication::instance())
        return DB_Compact(ctx.appDir, ctx.sw, program.setting);
    WorkProgress progress(parent, t::CompactTitle.in(ctx.sw));
    progress.setStage(t::CompactCopying.in(ctx.sw));
    QEventLoop loop;
    QObject stageReceiver; // gone before progress: no late stage text
    CompactOutcome outcome;
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        outcome = DB_Compact(ctx.appDir, ctx.sw, program.setting, [&](CompactStage stage) {
            const QString text =
                (stage == CompactStage::Copying ? t::CompactCopying : t::CompactChecking)
                    .in(ctx.sw);
            QMetaObject::invokeMethod(
                &stageReceiver, [&progress, text] { progress.setStage(text); },
                Qt::QueuedConnection);
        });
    }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    return outcome;
}

} // namespace

void Program_End(AppContext& ctx, ProgramDb& program, QWidget* parent)
{
    if (ctx.db)
        DB_Close(*ctx.db);
    CompactOutcome outcome;
    {
        const BusyCursor busy;
        // Skipped on the system where the original program skipped it.
        if (OS_Name(currentOsVersion()) == QLatin1String("VISTA"))
            outcome = {CompactOutcome::Kind::Skipped, {}};
        else
            outcome = compactShowingProgress(ctx, program, parent);
    }
    program.claim.release();
    if (!outcome.ok() && ctx.dialogs) {
        const QString text =
            outcome.kind == CompactOutcome::Kind::Damaged
                ? t::CompactDamaged.in(ctx.sw).arg(outcome.detail)
                : t::CompactError.in(ctx.sw) + QStringLiteral("\n\n") + outcome.detail;
        ctx.dialogs->message(parent, text, t::CompactErrorTitle.in(ctx.sw), MsgButtons::Ok,
                             MsgIcon::Exclamation);
    }
    if (ctx.quit)
        ctx.quit();
}

#include "app/program_exit.h"

#include "app/startup.h"
#include "base/app_context.h"
#include "base/busy_cursor.h"
#include "base/dialogs.h"
#include "base/texts/app.h"
#include "db/compaction.h"
#include "db/database.h"

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
            outcome = DB_Compact(ctx.appDir, ctx.sw, program.setting);
    }
    program.claim.release();
    if (!outcome.ok() && ctx.dialogs) {
        namespace t = texts::startup;
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

#include "app/program_exit.h"

#include "app/app_context.h"
#include "app/busy_cursor.h"
#include "app/database.h"
#include "app/dialogs.h"
#include "app/startup.h"
#include "app/texts.h"

void Program_End(AppContext& ctx, QWidget* parent)
{
    if (ctx.db)
        DB_Close(*ctx.db);
    CompactOutcome outcome;
    {
        const BusyCursor busy;
        outcome = DB_Compact(ctx.appDir, ctx.sw, ctx.dbSetting);
    }
    ctx.dbClaim.release();
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

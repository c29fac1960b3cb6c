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
    QString error;
    {
        const BusyCursor busy;
        error = DB_Compact(ctx.appDir, ctx.sw, ctx.dbSetting);
    }
    ctx.dbClaim.reset();
    if (!error.isEmpty() && ctx.dialogs) {
        ctx.dialogs->message(
            parent, texts::startup::CompactError.in(ctx.sw) + QStringLiteral("\n\n") + error,
            texts::startup::CompactErrorTitle.in(ctx.sw), MsgButtons::Ok, MsgIcon::Exclamation);
    }
    if (ctx.quit)
        ctx.quit();
}

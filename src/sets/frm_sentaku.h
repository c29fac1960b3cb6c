#pragma once

#include "app/app_context.h"
#include "app/pending_dialog.h"
#include "app/texts.h"
#include "main/frm_main.h"

// The content selection sets. Not built yet: closing it refreshes the main window's
// list as the full window will.
class Frm_Sentaku : public PendingDialog {
public:
    Frm_Sentaku(AppContext& ctx, Frm_Main& main, QWidget* parent = nullptr)
        : PendingDialog(
              QStringLiteral("Frm_Sentaku"), texts::sentaku::Caption.in(ctx.sw),
              texts::sentaku::Cmd_Modoru.in(ctx.sw), [&main] { main.Master_Read(); }, parent)
    {
    }
};

#pragma once

#include "app/app_context.h"
#include "app/pending_dialog.h"
#include "app/texts.h"
#include "main/frm_main.h"

// The unit selection sets. Not built yet: closing it refreshes the main window's
// list as the full window will.
class Frm_USentaku : public PendingDialog {
public:
    Frm_USentaku(AppContext& ctx, Frm_Main& main, QWidget* parent = nullptr)
        : PendingDialog(
              QStringLiteral("Frm_USentaku"), texts::usentaku::Caption.in(ctx.sw),
              texts::sentaku::Cmd_Modoru.in(ctx.sw), [&main] { main.Unit_Read(); }, parent)
    {
    }
};

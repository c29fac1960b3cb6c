#pragma once

#include "app/app_context.h"
#include "app/pending_dialog.h"
#include "app/texts.h"
#include "main/frm_main.h"

// The administration menu. Not built yet: closing it refreshes the main window's
// list as the full window will.
class Frm_Kanri : public PendingDialog {
public:
    Frm_Kanri(AppContext& ctx, Frm_Main& main, QWidget* parent = nullptr)
        : PendingDialog(
              QStringLiteral("Frm_Kanri"), texts::kanri::Caption.in(ctx.sw),
              texts::kanri::Cmd_Modoru.in(ctx.sw), [&main] { main.Unit_Read(); }, parent)
    {
    }
};

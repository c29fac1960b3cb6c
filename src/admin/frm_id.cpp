#include "admin/frm_id.h"

Frm_ID::Frm_ID(AppContext& ctx, QWidget* parent)
    : ListEditWindow(ctx, list_edit::loginIds(), parent), Txt_Id(fieldEdit(0)),
      Txt_Name(fieldEdit(1)), Txt_Pass(fieldEdit(2)), Txt_PassK(fieldEdit(3))
{
}

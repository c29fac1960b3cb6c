#include "admin/frm_id.h"

#include <QCheckBox>

Frm_ID::Frm_ID(AppContext& ctx, QWidget* parent)
    : ListEditWindow(ctx, list_edit::loginIds(), parent), Txt_Id(fieldEdit(0)),
      Txt_Name(fieldEdit(1)), Txt_Pass(fieldEdit(2)), Txt_PassK(fieldEdit(3)),
      Chk_Kanri(qobject_cast<QCheckBox*>(fieldControl(4)))
{
}

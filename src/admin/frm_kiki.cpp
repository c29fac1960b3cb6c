#include "admin/frm_kiki.h"

#include <QComboBox>

Frm_Kiki::Frm_Kiki(AppContext& ctx, QWidget* parent)
    : ListEditWindow(ctx, list_edit::handsetNames(), parent),
      Cmb_SN(qobject_cast<QComboBox*>(fieldControl(0))), Txt_Name(fieldEdit(1))
{
}

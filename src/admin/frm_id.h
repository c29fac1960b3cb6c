#pragma once

#include "admin/list_edit_window.h"

class QCheckBox;
class QLineEdit;

// Login ID maintenance: the IDs of table Login with their names; a password
// is typed twice and stored as a salted digest; "admin" is never deleted.
// An ID without 管理者 (Chk_Kanri) may not open the administration menu.
class Frm_ID : public ListEditWindow {
    Q_OBJECT
public:
    explicit Frm_ID(AppContext& ctx, QWidget* parent = nullptr);

    QLineEdit* Txt_Id;
    QLineEdit* Txt_Name;
    QLineEdit* Txt_Pass;
    QLineEdit* Txt_PassK;
    QCheckBox* Chk_Kanri;
};

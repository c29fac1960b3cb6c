#pragma once

#include "admin/list_edit_window.h"

class QComboBox;
class QLineEdit;

// Handset names: the names of table Kiki_Name by unit serial number, chosen
// from the serial numbers of the stored logs or typed.
class Frm_Kiki : public ListEditWindow {
    Q_OBJECT
public:
    explicit Frm_Kiki(AppContext& ctx, QWidget* parent = nullptr);

    QComboBox* Cmb_SN;
    QLineEdit* Txt_Name;
};

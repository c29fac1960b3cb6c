#pragma once

#include "db/log_master_file.h"

#include <QDialog>

struct AppContext;
class QLabel;
class QLineEdit;
class QPushButton;

// The log master change ("ログマスターの変更"): replaces Log_Master from a log
// master file the operator picks, after copying it into Log_Master_Bak.
// Opened modally from the administration menu.
// exec() returns Accepted once the log master was changed, however the
// window was closed, and Rejected otherwise.
class Frm_LMaster : public QDialog {
    Q_OBJECT
public:
    Frm_LMaster(AppContext& ctx, QWidget* parent);
    void done(int result) override;

    void Cmd_Sansyou_Click();
    void Cmd_Henkou_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label5;
    QLineEdit* Txt_FName;
    QPushButton* Cmd_Sansyou;
    QPushButton* Cmd_Henkou;
    QPushButton* Cmd_Modoru;

private:
    AppContext& ctx_;
    bool changed_ = false;
};

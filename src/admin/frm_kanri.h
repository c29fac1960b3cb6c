#pragma once

#include <QDialog>

struct AppContext;
class Frm_Main;
class QPushButton;

// The administration menu. For now it holds only its close button, which
// refreshes the main window's unit list as the full menu will.
class Frm_Kanri : public QDialog {
    Q_OBJECT
public:
    Frm_Kanri(AppContext& ctx, Frm_Main& main, QWidget* parent = nullptr);

    void Cmd_Modoru_Click();

    QPushButton* Cmd_Modoru;

private:
    AppContext& ctx_;
    Frm_Main& main_;
};

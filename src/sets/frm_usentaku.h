#pragma once

#include <QDialog>

struct AppContext;
class Frm_Main;
class QPushButton;

// The unit selection sets window. For now it holds only its close
// button, which has the main window reload its unit list.
class Frm_USentaku : public QDialog {
    Q_OBJECT
public:
    Frm_USentaku(AppContext& ctx, Frm_Main& main, QWidget* parent = nullptr);

    void Cmd_Modoru_Click();

    QPushButton* Cmd_Modoru;

private:
    AppContext& ctx_;
    Frm_Main& main_;
};

#pragma once

#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;

// The administration menu: opens the login ID, handset name, log master and
// preservation windows and the operation history, each modally and afresh. exec() returns Accepted
// when the window was closed by its close button, which tells the opener to
// read its unit list again (handset names may have changed); closing it by
// the frame does not.
class Frm_Kanri : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Kanri(AppContext& ctx, QWidget* parent = nullptr);

    void Cmd_Id_Click();
    void Cmd_Kiki_Click();
    void Cmd_LMaster_Click();
    void Cmd_DB_Click();
    void Cmd_Rireki_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QPushButton* Cmd_Id;
    QPushButton* Cmd_Kiki;
    QPushButton* Cmd_LMaster;
    QPushButton* Cmd_DB;
    QPushButton* Cmd_Rireki;
    QPushButton* Cmd_Modoru;

private:
    void Set_English();
    template <class Window> void openModal();

    AppContext& ctx_;
};

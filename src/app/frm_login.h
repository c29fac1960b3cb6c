#pragma once

#include <QString>
#include <QWidget>
#include <functional>

struct AppContext;
struct ProgramDb;
class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in window, the first window of the program. Its load runs the
// start-up (clock check, database opening); its end command is the
// program's one orderly exit.
class Frm_Login : public QWidget {
    Q_OBJECT
public:
    // onSignedIn shows the main window; it runs after a successful sign-in,
    // before this window closes.
    Frm_Login(AppContext& ctx, ProgramDb& program, std::function<void()> onSignedIn,
              QWidget* parent = nullptr);

    // Start-up. False when the program must end (clock before 2006, database
    // file missing or unusable); the operator has been told why.
    bool Form_Load();

    void Cmd_Login_Click();
    // The exit path of the whole program (also run by the main window).
    void Cmd_End_Click();

    QLabel* LB_Dai;
    QLabel* LB_Login;
    QLabel* LB_Pass;
    QLineEdit* Txt_Id;
    QLineEdit* Txt_Pass;
    QPushButton* Cmd_Login;
    QPushButton* Cmd_End;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Txt_Id_KeyDown();
    void Txt_Pass_KeyDown();
    void tellUpgradeFindings();
    void offerPasswordChange();
    void sayNewDatabase();

    AppContext& ctx_;
    ProgramDb& program_;
    std::function<void()> onSignedIn_;
    QString newDatabase_; // made by this start; said once the window shows
};

#pragma once

#include <QDialog>
#include <array>

struct AppContext;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Preservation of the stored logs: write them to a file, or write the file
// and then back up and empty the log table, or back up and empty it only.
// exec() returns Accepted once logs were (or may have been) deleted, however
// the window was closed, and Rejected otherwise.
class Frm_DB : public QDialog {
    Q_OBJECT
public:
    explicit Frm_DB(AppContext& ctx, QWidget* parent = nullptr);
    void done(int result) override;

    void Opt_Del_Click(int index);
    void Cmd_Sansyou_Click();
    void Cmd_Hozon_Click();
    void Cmd_Modoru_Click();
    // 0 save, 1 save and delete, 2 delete.
    void Run_Preserve(int operation);

    QLabel* Label1;
    std::array<QRadioButton*, 3> Opt_Del{};
    QLabel* Label5;
    QLineEdit* Txt_FName;
    QPushButton* Cmd_Sansyou;
    QPushButton* Cmd_Hozon;
    QPushButton* Cmd_Modoru;

private:
    void Form_Load();
    void Set_English();
    void tell(const QString& text, bool warning);

    AppContext& ctx_;
    bool logsDeleted_ = false;
};

#pragma once

#include <QDialog>
#include <array>

struct AppContext;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Preservation of the stored logs: write them to a file, or write the file
// and then back up and empty the log table, or back up and empty it only.
// Logs that leave the log table stay in the archive of preserved logs; two
// more operations put the archived logs of a period back (restore) and read
// an earlier preservation file into the archive (load).
// exec() returns Accepted once logs were (or may have been) deleted, or were
// restored, however the window was closed, and Rejected otherwise.
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
    // 3: the archived logs of the period back into the log table.
    void Run_Restore();
    // 4: the file named in Txt_FName into the archive.
    void Run_Load();

    QLabel* Label1;
    std::array<QRadioButton*, 5> Opt_Del{};
    QLabel* Label5;
    QLineEdit* Txt_FName;
    QPushButton* Cmd_Sansyou;
    QPushButton* Cmd_Hozon;
    QPushButton* Cmd_Modoru;
    QLabel* Label6; // the period of a restore: Dtp_Kikan(0) to Dtp_Kikan(1)
    std::array<QDateEdit*, 2> Dtp_Kikan{};
    QLabel* Label7;

private:
    void Form_Load();
    void tell(const QString& text, bool warning);
    // An operation of Run_Preserve ended well: the history row, the message.
    void ended(int operation, qint64 rows);
    void buildPeriod();
    // The operation Cmd_Hozon names, -1 for none.
    int chosenOperation() const;

    AppContext& ctx_;
    bool logsChanged_ = false; // logs were (or may have been) deleted, or restored
};

#pragma once

#include "admin_core/log_archive.h"

#include <QDialog>
#include <array>
#include <optional>

struct AppContext;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Preservation of the stored logs: write them to a file, or write the file
// and then back up and empty the log table, or back up and empty it only;
// the last two all logs, or those of a period (Chk_Kikan).
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
    // 0 save, 1 save and delete, 2 delete (those two of the period when
    // Chk_Kikan is on).
    void Run_Preserve(int operation);
    // 3: the archived logs of the period back into the log table.
    void runRestore();
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
    QCheckBox* Chk_Kikan; // save and delete, delete: the logs of the period only

private:
    void Form_Load();
    void tell(const QString& text, bool warning);
    // An operation of Run_Preserve ended well: the history row, the message.
    void ended(int operation, qint64 rows);
    void buildPeriod();
    // The period's controls usable as the operation and Chk_Kikan ask.
    void periodControls();
    // The operation Cmd_Hozon names, -1 for none.
    int chosenOperation() const;
    // The period save and delete or delete is limited to; none for all logs.
    std::optional<log_archive::Period> chosenPeriod() const;
    // The questions before an operation of Run_Preserve (the period and its
    // count, an existing file); true to go on.
    bool confirmed(int operation);

    AppContext& ctx_;
    bool logsChanged_ = false; // logs were (or may have been) deleted, or restored
    // A path the save dialog asked about replacing: not asked again before the next operation.
    QString confirmedPath_;
};

#pragma once

#include "history/op_history.h"

#include <QDialog>
#include <array>

struct AppContext;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class HistoryModel;

// The operation history ("操作履歴"): the rows of a period and a login ID,
// newest first, saved as CSV in the program's CSV format. It changes nothing.
class Frm_Rireki : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Rireki(AppContext& ctx, QWidget* parent = nullptr);
    ~Frm_Rireki() override;

    void Cmd_Find_Click();
    void Cmd_Save_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label2; // the period: Dtp_Kikan(0) to Dtp_Kikan(1)
    std::array<QDateEdit*, 2> Dtp_Kikan{};
    QLabel* Label4;
    QLabel* Label3;
    QComboBox* Cmb_Id; // a login ID, or empty for every ID
    QPushButton* Cmd_Find;
    QTableView* MSFG;
    QLabel* LB_Count;
    QPushButton* Cmd_Save;
    QPushButton* Cmd_Modoru;

private:
    void buildLayout();
    void tell(const QString& text, bool warning);

    AppContext& ctx_;
    HistoryModel* model_;
};

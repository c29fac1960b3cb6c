#pragma once

#include "records/check_record.h"
#include "records/record_book.h"

#include <QDialog>
#include <array>

struct AppContext;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordBookModel;

// The check record book ("記録簿"): the measurement logs of a period (today
// at opening), with the archived logs when asked, each with its record; the
// fields under the list edit the chosen row's record, proposed where it has
// none. The keyboard alone fills a day: Tab goes through the fields, Return
// records the row and goes on to the next row without a record. 印刷 prints
// the book, 保存 saves it as CSV.
class Frm_Kiroku : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Kiroku(AppContext& ctx, QWidget* parent = nullptr);
    ~Frm_Kiroku() override;

    void Cmd_Find_Click();
    void Cmd_Add_Click();
    void Cmd_Print_Click();
    void Cmd_Save_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label2; // the period: Dtp_Kikan(0) to Dtp_Kikan(1)
    std::array<QDateEdit*, 2> Dtp_Kikan{};
    QLabel* Label4;
    QCheckBox* Chk_Hozonzumi; // the archived logs too
    QPushButton* Cmd_Find;
    QTableView* MSFG;
    QLabel* LB_Count;
    QLabel* LB_Log; // the log the fields belong to
    QLineEdit* Txt_Driver;
    QLineEdit* Txt_Vehicle;
    QComboBox* Cmb_Phase;
    QLineEdit* Txt_Checker;
    QComboBox* Cmb_Method;
    QComboBox* Cmb_Detected; // 有, 無
    QLineEdit* Txt_Instructions;
    QLineEdit* Txt_Remarks;
    QPushButton* Cmd_Add;
    QLabel* LB_Status;
    QPushButton* Cmd_Print;
    QPushButton* Cmd_Save;
    QPushButton* Cmd_Modoru;

private:
    void buildControls();
    void buildLayout();
    void connectControls();
    // The chosen row's record, or what a new one proposes, in the fields.
    void showRow(int row);
    // Chooses the first row without a record after `row`, else before it;
    // false when every row has one.
    bool chooseUnrecorded(int row);
    int chosenRow() const;
    // Makes the row the current one, its record or proposal in the fields.
    void choose(int row);
    // After a driver typed over the proposal: that driver's last vehicle in
    // place of the proposed one (not of one typed). True when it was put in.
    bool proposeVehicle();
    void focusDriver();
    check_records::Entry entryShown() const;
    void showEntry(const check_records::Entry& entry);
    void tell(const QString& text, bool warning);

    AppContext& ctx_;
    bool english_;
    check_records::Settings settings_;
    RecordBookModel* model_;
    check_records::Period shownPeriod_; // of the rows shown
    QString vehicleProposedFor_;        // the driver whose vehicle the box proposes
};

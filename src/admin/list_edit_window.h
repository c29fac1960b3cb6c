#pragma once

#include "admin/list_edit_spec.h"

#include <QDialog>
#include <QList>

struct AppContext;
class DbError;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// A list-and-edit window: a read-only grid of every row of a table with its
// running number, input fields beside it, a click on a row loads it, one
// button inserts or updates by key, one deletes by key after a question, and
// each change reloads the grid and empties the fields. What the windows do
// not share is described by a ListEditSpec (Frm_ID, Frm_Kiki). exec()
// returns Accepted once a row was registered or deleted, however the window
// was closed, and Rejected when the table was not changed.
class ListEditWindow : public QDialog {
    Q_OBJECT
public:
    ListEditWindow(AppContext& ctx, const list_edit::ListEditSpec& spec, QWidget* parent);
    void done(int result) override;

    void Grid_Read();
    void Input_Clear();
    void MSFG_Click(int row);
    void Cmd_New_Click();
    void Cmd_Add_Click();
    void Cmd_Del_Click();
    void Cmd_Modoru_Click();
    // Loads the row of that key, as a click on it does; nothing when no row has it.
    void showKey(const QString& key);

    QLabel* Label1;
    QTableWidget* MSFG;
    QPushButton* Cmd_New = nullptr; // where the window has one
    QPushButton* Cmd_Add;
    QPushButton* Cmd_Del;
    QPushButton* Cmd_Modoru;

protected:
    // The control of a field, by its index in the window's field list.
    QWidget* fieldControl(int field) const { return controls_[field]; }
    // The text box of a field (a list's own text box for a list).
    QLineEdit* fieldEdit(int field) const { return edits_[field]; }

private:
    void buildControls();
    void buildFields();
    void buildLayout();
    void connectControls();
    void Form_Load();
    void Grid_Init();
    void SN_Read();
    void keyChosen(int index);
    void enterPressed(int chainPosition);

    QString fieldText(int field) const;
    void setFieldText(int field, const QString& text);
    // The message to show before anything is written, "" when the fields may be saved.
    QString registrationRefusal() const;
    void tell(const QString& text, bool warning);
    void tellDbError(const DbError& e);

    AppContext& ctx_;
    const list_edit::ListEditSpec& spec_;
    QList<QLabel*> labels_;
    QList<QWidget*> controls_;
    QList<QLineEdit*> edits_;
    bool changed_ = false;
};

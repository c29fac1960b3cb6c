#pragma once

#include "base/dialogs.h"
#include "base/texts/bi_text.h"
#include "db/db_error.h"
#include "sets/selection_set_table.h"

#include <QDialog>
#include <functional>

struct AppContext;
class Database;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// What tells the content-set window from the unit-set window.
struct SelectionSetKind {
    QString objectName; // "Frm_Sentaku" / "Frm_USentaku"
    selection_set_table::SetTable table;
    // The list's items, each carrying the member it stands for.
    std::function<QList<selection_set_table::ListItem>(Database&, bool english)> listItems;
    BiText caption, label1, label3, noName, nothingSelected, done;
    BiText historyName; // "%1": the set's name, as the operation history gives it
    // The standard set (named in the current language) can be neither
    // overwritten nor deleted here.
    bool hasStandardSet = false;
    // The name box takes Japanese input in Japanese and none in English.
    bool nameInputFollowsLanguage = false;
};

// A window that creates, overwrites and deletes the named selection sets of
// one kind. Opened modally; exec() returns Accepted when the window was
// closed by Cmd_Modoru, which tells the opener to read its list of sets of
// that kind again. The constructor runs Form_Load.
class Frm_SelectionSet : public QDialog {
    Q_OBJECT
public:
    Frm_SelectionSet(AppContext& ctx, SelectionSetKind kind, QWidget* parent);

    void Form_Load();
    void Load_List();
    void Load_Names();
    bool Name_Exists(const QString& name);

    // Event procedures.
    void Cmb_Name_Click();
    void Cmd_New_Click();
    void Cmd_Add_Click();
    void Cmd_Del_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label3;
    QListWidget* List_Nai;
    QLabel* Label2;
    QComboBox* Cmb_Name;
    QPushButton* Cmd_New;
    QPushButton* Cmd_Add;
    QPushButton* Cmd_Del;
    QPushButton* Cmd_Modoru;

private:
    void buildLayout();
    bool isStandardName(const QString& name) const;
    // The members of the selected items, in list order.
    QVariantList selectedMembers() const;
    void tell(const QString& text, MsgIcon icon = MsgIcon::None);
    bool askedYes(const QString& text);
    void tellDbError(const DbError& e);
    // A row of the operation history: the change (Added, Changed, Removed) of the set.
    void noteInHistory(const BiText& change, const QString& name);

    AppContext& ctx_;
    const SelectionSetKind kind_;
};

// The content selection sets (opened by Cmd_Fuku(0)).
class Frm_Sentaku : public Frm_SelectionSet {
    Q_OBJECT
public:
    explicit Frm_Sentaku(AppContext& ctx, QWidget* parent = nullptr);
};

// The unit selection sets (opened by Cmd_Fuku(1)).
class Frm_USentaku : public Frm_SelectionSet {
    Q_OBJECT
public:
    explicit Frm_USentaku(AppContext& ctx, QWidget* parent = nullptr);
};

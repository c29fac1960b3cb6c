#pragma once

#include "base/texts/bi_text.h"
#include "db/db_error.h"
#include "search/log_search.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>

struct AppContext;
class LogGridView;
class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class ReadAdapter;
class SearchSession;
class SortHeading;

// The window the operator works in after signing in: the search criteria,
// the result grid with its heading buttons, the commands and the menu.
// Every other window is opened from here, modally.
class Frm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Frm_Main(AppContext& ctx, QWidget* parent = nullptr);
    ~Frm_Main() override;

    // Loading: grid, lists, default criteria.
    void Form_Load();
    // Each time the window becomes active it is placed on the screen.
    void Form_Activate();

    // Operations other windows use.
    void Cmd_Find_Click();
    void Master_Read();
    void Unit_Read();

    // Event procedures.
    void Opt_Ngh_Click(int index);
    void Opt_User_Click(int index);
    void Opt_Naiyou_Click(int index);
    void Cmb_Sort_Click(int index);
    void Cmd_Fuku_Click(int index);
    void Cmd_Read_Click();
    void Cmd_Save_Click();
    void Cmd_Print_Click();
    void M_Stat_Click();
    void M_Kiroku_Click();
    void Cmd_Setei_Click();
    void Cmd_kanri_Click();
    void Cmd_End_Click();
    void Cmd_Sousa_Click();
    void M_Ver_Click();

    // Date group.
    QGroupBox* Frame1;
    std::array<QRadioButton*, 2> Opt_Ngh{};
    std::array<QComboBox*, 2> Cmb_Nen{};
    std::array<QComboBox*, 2> Cmb_Tuki{};
    std::array<QComboBox*, 2> Cmb_Hi{};
    QLabel* Label1; // year, month, day behind the first date
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4; // ... and behind the last date
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7; // between the two dates

    // Unit group.
    QGroupBox* Frame3;
    std::array<QRadioButton*, 2> Opt_User{};
    QComboBox* Cmb_User;

    // Content group.
    QGroupBox* Frame4;
    std::array<QRadioButton*, 2> Opt_Naiyou{};
    QComboBox* Cmb_Naiyou;

    // 0: content sets, 1: unit sets.
    std::array<QPushButton*, 2> Cmd_Fuku{};
    QPushButton* Cmd_Find;
    QCheckBox* Chk_Hozonzumi; // the search reads the preserved logs too

    // Heading buttons over grid columns 0 to 5, and the grid.
    std::array<QPushButton*, 6> Cmb_Sort{};
    LogGridView* MSFG;

    QPushButton* Cmd_Read;
    QPushButton* Cmd_Save;
    QPushButton* Cmd_Print;
    QPushButton* Cmd_Setei;
    QPushButton* Cmd_kanri;
    QPushButton* Cmd_End;
    QPushButton* Cmd_Sousa; // hidden test feed of the decoder
    QLineEdit* Txt_Yomi;    // shown while a read is receiving
    QLabel* LB_Status;      // status line: what a read does, then its figures
    QLabel* LB_Count;       // ... and at its right end how many logs the search found

    QMenu* M_File;
    QAction* M_Read;
    QAction* M_Bar1;
    QAction* M_Save;
    QAction* M_Bar2;
    QAction* M_Print;
    QAction* M_Bar7;
    QAction* M_Kiroku; // the check record book
    QAction* M_Bar6;
    QAction* M_Stat;
    QAction* M_Bar3;
    QAction* M_Setei;
    QAction* M_Bar4;
    QAction* M_Kanri;
    QAction* M_Bar5;
    QAction* M_End;
    QAction* M_Space;
    QAction* M_Ver;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildCriteriaControls(QWidget* central);
    void buildCommandControls(QWidget* central);
    void buildStatusLine();
    void buildLayout();
    QHBoxLayout* criteriaLayout();
    QHBoxLayout* commandsLayout();
    void buildMenu();
    void connectControls();
    // A caption or message in the window's language.
    QString textOf(const BiText& text) const;
    void showListError(const DbError& e);
    void Grid_Set();
    void Criteria_Set();
    SearchCriteria criteria() const;
    // Fills the grid; `criteriaNow` gives the criteria at the start and at
    // each restart asked for meanwhile.
    void findLogs(const std::function<SearchCriteria()>& criteriaNow);
    // After a window changed stored logs or their texts: the search whose
    // result the grid shows runs again with its own criteria (the boxes may
    // have been refilled meanwhile), in the order it was sorted.
    void findShownAgain();
    // Called first by every command but the search and the end command. A
    // command that arrives while a search still fills the grid (through an
    // accessibility action or a shortcut, inside the search's own event
    // processing) would work on part of a result: it is refused with a
    // message, and true is returned.
    bool refusedDuringSearch();
    // True when the signed-in ID may open the administration menu (read from
    // the database each time); otherwise the operator is told why.
    bool mayAdminister();
    // Runs one of the program's windows modally; coming back from it places
    // this window again, as its first showing does.
    int runModal(QDialog& window);
    // Called first by the end command: a running search is stopped, and the
    // end command runs again once the search has let go of the database.
    // True when the end has been put off that way.
    bool stopSearchForEnd();

    AppContext& ctx_;
    // True when the last sort of that column was descending.
    std::array<bool, 6> Sort_State{};
    SortHeading* sortHeading_ = nullptr; // the heading buttons, over the grid's heading row
    ReadAdapter* read_ = nullptr;
    bool ended_ = false;
    // Set until the next activation that is to place the window: its first
    // showing and each return from a window of the program, but not a return
    // from another program or from a message or file dialog.
    bool placeOnActivation_ = true;
    std::unique_ptr<SearchSession> search_; // runs Cmd_Find_Click's searches
    // The criteria of the result the grid shows, and its sort (column,
    // descending); none once a search failed or a read emptied the grid.
    std::optional<SearchCriteria> shownSearch_;
    std::optional<std::pair<int, bool>> shownSort_;
};

// The main window's search criteria: the grid's first state, the content
// and unit lists, the dates and options a search starts from, and the
// criteria the controls hold.
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/main.h"
#include "db/database.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "search/main_lists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

namespace t = texts::main_window;

namespace {

// Sets the entries of a box and shows the one with the given text.
void fillList(QComboBox* box, const QStringList& entries, const QString& current)
{
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(box->findText(current));
}

} // namespace

void Frm_Main::Grid_Set()
{
    LogGridModel* model = MSFG->gridModel();
    model->setSwitches(ctx_.sw);
    model->clearRows();
    MSFG->applyColumnWidths();
}

void Frm_Main::Master_Read()
{
    Cmb_Naiyou->clear();
    try {
        Cmb_Naiyou->addItems(main_lists::contentEntries(*ctx_.db, ctx_.sw.english()));
    } catch (const DbError& e) {
        showListError(e);
    }
    Cmb_Naiyou->setCurrentIndex(-1);
}

void Frm_Main::Unit_Read()
{
    Cmb_User->clear();
    try {
        Cmb_User->addItems(main_lists::unitEntries(*ctx_.db, ctx_.sw.english()));
    } catch (const DbError& e) {
        showListError(e);
    }
    Cmb_User->setCurrentIndex(-1);
}

// A list that cannot be read stays empty; the operator is told why and can
// go on working.
void Frm_Main::showListError(const DbError& e)
{
    ctx_.dialogs->message(this, t::ListReadError.in(ctx_.sw).arg(e.message()),
                          t::Caption.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
}

void Frm_Main::Criteria_Set()
{
    const QDate today = ctx_.now().date();
    const QStringList years = main_lists::yearList(today);
    for (int i = 0; i < 2; ++i) {
        fillList(Cmb_Nen[i], years, today.toString(QStringLiteral("yyyy")));
        fillList(Cmb_Tuki[i], main_lists::monthList(), today.toString(QStringLiteral("MM")));
        fillList(Cmb_Hi[i], main_lists::dayList(), today.toString(QStringLiteral("dd")));
    }
    // Switching an option on runs its click procedure, which enables or
    // disables the boxes of its group.
    Opt_Ngh[1]->setChecked(true);
    Opt_User[0]->setChecked(true);
    Cmb_User->setCurrentIndex(-1);
    Opt_Naiyou[1]->setChecked(true);
    const QString standard = main_lists::standardSetEntry(ctx_.sw.english());
    const int found = Cmb_Naiyou->findText(standard);
    if (found >= 0)
        Cmb_Naiyou->setCurrentIndex(found);
    else
        Cmb_Naiyou->setEditText(standard);
}

void Frm_Main::Opt_Ngh_Click(int index)
{
    const bool range = index == 1;
    for (int i = 0; i < 2; ++i) {
        Cmb_Nen[i]->setEnabled(range);
        Cmb_Tuki[i]->setEnabled(range);
        Cmb_Hi[i]->setEnabled(range);
    }
}

void Frm_Main::Opt_User_Click(int index)
{
    Cmb_User->setEnabled(index == 1);
    Cmd_Fuku[1]->setEnabled(index == 1);
}

void Frm_Main::Opt_Naiyou_Click(int index)
{
    Cmb_Naiyou->setEnabled(index == 1);
    Cmd_Fuku[0]->setEnabled(index == 1);
}

SearchCriteria Frm_Main::criteria() const
{
    SearchCriteria c;
    c.dateRange = Opt_Ngh[1]->isChecked();
    for (int i = 0; i < 2; ++i) {
        c.year[i] = Cmb_Nen[i]->currentText();
        c.month[i] = Cmb_Tuki[i]->currentText();
        c.day[i] = Cmb_Hi[i]->currentText();
    }
    c.oneUnit = Opt_User[1]->isChecked();
    c.unitText = Cmb_User->currentText();
    c.oneContent = Opt_Naiyou[1]->isChecked();
    c.contentText = Cmb_Naiyou->currentText();
    c.withArchive = Chk_Hozonzumi->isChecked();
    return c;
}

// The record book window's commands: search, record, print, save.
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "base/texts/output.h"
#include "base/texts/records.h"
#include "db/database.h"
#include "history/op_history.h"
#include "output/csv_export.h"
#include "output/print_target.h"
#include "output/save_dialog.h"
#include "records/record_save.h"
#include "records_window/frm_kiroku.h"
#include "records_window/record_book_model.h"
#include "records_window/record_book_print.h"
#include "ui/busy_cursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableView>

namespace t = texts::records;
using namespace check_records;

namespace {

QString number(qsizetype n)
{
    return QLocale(QLocale::English).toString(qlonglong(n));
}

} // namespace

void Frm_Kiroku::Cmd_Find_Click()
{
    const Period period{Dtp_Kikan[0]->date(), Dtp_Kikan[1]->date()};
    QList<BookRow> rows;
    try {
        const BusyCursor busy;
        rows = check_records::read(*ctx_.db, period, Chk_Hozonzumi->isChecked());
    } catch (const DbError& e) {
        tell(t::ReadFailed.pick(english_).arg(e.message()), true);
    }
    shownPeriod_ = period;
    model_->setRows(std::move(rows));
    MSFG->resizeColumnsToContents();
    LB_Count->setText(
        t::Count.pick(english_).arg(number(model_->rowCount()), number(model_->withoutRecord())));
    LB_Status->clear();
    if (!chooseUnrecorded(-1))
        model_->rowCount() > 0 ? choose(0) : showRow(-1);
    focusDriver();
}

void Frm_Kiroku::Cmd_Add_Click()
{
    const int row = chosenRow();
    if (row < 0) {
        tell(t::NoRowChosen.pick(english_), true);
        return;
    }
    // A vehicle proposed for another driver is never recorded unseen.
    if (proposeVehicle()) {
        Txt_Vehicle->setFocus(Qt::TabFocusReason);
        Txt_Vehicle->selectAll();
        return;
    }
    const BookRow& shown = model_->rows()[row];
    SaveOutcome outcome;
    try {
        const BusyCursor busy;
        outcome = check_records::save(*ctx_.db, shown.key, entryShown(),
                                      {ctx_.loginId, ctx_.now(), english_, ctx_.sw.SN_Head});
    } catch (const DbError& e) {
        tell(t::SaveFailed.pick(english_).arg(e.message()), true);
        return;
    }
    if (!outcome.saved()) {
        tell(refusalText(outcome, english_), true);
        QLineEdit* const boxes[] = {Txt_Driver, Txt_Vehicle, Txt_Checker, Txt_Instructions,
                                    Txt_Remarks};
        QLineEdit* box = boxes[int(outcome.problem.field)];
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        return;
    }
    const QString log = LB_Log->text();
    model_->setRecord(row, outcome.stored);
    LB_Count->setText(
        t::Count.pick(english_).arg(number(model_->rowCount()), number(model_->withoutRecord())));
    if (!chooseUnrecorded(row)) {
        showRow(row);
        LB_Status->setText(t::AllRecorded.pick(english_));
    } else {
        const BiText& said = outcome.kind == SaveOutcome::Unchanged ? t::Unchanged : t::Recorded;
        LB_Status->setText(said.pick(english_).arg(log));
    }
    focusDriver();
}

void Frm_Kiroku::Cmd_Print_Click()
{
    if (model_->rowCount() == 0) {
        tell(t::NothingShown.pick(english_), false);
        return;
    }
    const RecordBookPrint book{model_->rows(),    shownPeriod_, settings_.depot,
                               ctx_.now().date(), english_,     ctx_.sw.SN_Head};
    const std::optional<PrintDone> done = printWhereChosen(
        *ctx_.dialogs, this, english_, t::Caption.pick(english_), t::SaveBase.pick(english_),
        ctx_.now(), [&book](QPrinter& printer) { return printRecordBook(book, printer); });
    if (!done)
        return;
    if (!done->outcome.ok()) {
        tell(t::PrintFailed.pick(english_).arg(printFailureText(done->outcome, ctx_.sw)), true);
        return;
    }
    op_history::add(
        ctx_, this, op_history::Op::Print,
        texts::history::PrintDetails.in(ctx_.sw).arg(number(model_->rowCount()), done->printedOn));
    tell(t::Printed.pick(english_), false);
}

void Frm_Kiroku::Cmd_Save_Click()
{
    if (model_->rowCount() == 0) {
        tell(t::NothingShown.pick(english_), false);
        return;
    }
    const QString path =
        Get_CsvFileName(*ctx_.dialogs, this, t::SaveBase.pick(english_), ctx_.now());
    if (path.isEmpty())
        return;
    CsvWriteResult result;
    {
        const BusyCursor busy;
        QList<QStringList> lines;
        for (const BookRow& row : model_->rows())
            lines << fields(row, english_, ctx_.sw.SN_Head);
        result = writeCsvTable(heading(english_), lines, path);
    }
    if (!result.ok()) {
        tell(t::CsvFailed.pick(english_).arg(QDir::toNativeSeparators(path), result.error), true);
        return;
    }
    op_history::add(ctx_, this, op_history::Op::CsvSave,
                    texts::history::FileRows.in(ctx_.sw).arg(QDir::toNativeSeparators(path),
                                                             number(model_->rowCount())));
    tell(t::Saved.pick(english_), false);
    if (result.replaced)
        tell(texts::output::CsvReplaced.pick(english_), true);
}

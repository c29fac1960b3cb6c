#include "output/log_output_commands.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "base/texts/output.h"
#include "grid/log_grid_model.h"
#include "history/op_history.h"
#include "output/csv_export.h"
#include "output/grid_print.h"
#include "output/print_target.h"
#include "output/save_dialog.h"
#include "ui/busy_cursor.h"

#include <QDir>
#include <QLocale>
#include <QPrinter>

namespace t = texts::output;

namespace {

// When the grid holds no result row, only its heading row, the command says
// so with its own text and title and goes no further.
bool saidNothingShown(const AppContext& ctx, QWidget* parent, const LogGridModel& grid,
                      const BiText& text, const BiText& title)
{
    if (grid.Rows() > 1)
        return false;
    ctx.dialogs->message(parent, text.in(ctx.sw), title.in(ctx.sw));
    return true;
}

// The logs the grid shows, with thousands separators.
QString shownCount(const LogGridModel& grid)
{
    return QLocale(QLocale::English).toString(grid.Rows() - 1);
}

} // namespace

void saveShownLog(AppContext& ctx, QWidget* parent, const LogGridModel& grid)
{
    Dialogs& dialogs = *ctx.dialogs;
    const Switches& sw = ctx.sw;
    if (saidNothingShown(ctx, parent, grid, t::SaveNothing, t::SaveTitle))
        return;
    const QString path = Get_CsvFileName(dialogs, parent, t::SaveBase.in(sw), ctx.now());
    if (path.isEmpty())
        return;
    CsvWriteResult result;
    {
        const BusyCursor busy;
        result = Write_Csv(grid, path);
    }
    if (!result.ok()) {
        dialogs.message(parent,
                        t::CsvFailed.in(sw).arg(QDir::toNativeSeparators(path), result.error),
                        t::SaveTitle.in(sw), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    op_history::add(
        ctx, parent, op_history::Op::CsvSave,
        texts::history::FileRows.in(sw).arg(QDir::toNativeSeparators(path), shownCount(grid)));
    dialogs.message(parent, t::CsvDone.in(sw), t::CsvDoneTitle.in(sw));
    if (result.replaced) {
        dialogs.message(parent, t::CsvReplaced.in(sw), t::SaveTitle.in(sw), MsgButtons::Ok,
                        MsgIcon::Exclamation);
    }
}

void printShownLog(AppContext& ctx, QWidget* parent, const LogGridModel& grid)
{
    Dialogs& dialogs = *ctx.dialogs;
    const Switches& sw = ctx.sw;
    if (saidNothingShown(ctx, parent, grid, t::PrintNothing, t::PrintTitle))
        return;
    const std::optional<PrintDone> done = printWhereChosen(
        dialogs, parent, sw.english(), t::PrintTitle.in(sw), t::SaveBase.in(sw), ctx.now(),
        [&grid](QPrinter& printer) { return Print_Grid(grid, printer); });
    if (!done)
        return;
    const PrintOutcome& outcome = done->outcome;
    if (!outcome.ok()) {
        dialogs.message(parent, t::PrintFailed.in(sw).arg(printFailureText(outcome, sw)),
                        t::PrintTitle.in(sw), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    op_history::add(ctx, parent, op_history::Op::Print,
                    texts::history::PrintDetails.in(sw).arg(shownCount(grid), done->printedOn));
    dialogs.message(parent, t::PrintDone.in(sw), t::PrintDoneTitle.in(sw));
}

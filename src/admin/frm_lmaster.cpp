#include "admin/frm_lmaster.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "base/texts/sets.h"
#include "db/database.h"
#include "db/log_master_table.h"
#include "db/write_outcome.h"
#include "history/op_history.h"
#include "ui/busy_cursor.h"
#include "ui/desktop_folder.h"
#include "ui/window_parts.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using window_parts::heading;
using window_parts::named;
namespace t = texts::lmaster;

namespace {

// The open dialog for a log master file: types "MST形式(*.mst)" and
// "すべて(*.*)", the first selected, starting in the desktop folder. The
// chosen path, or "" when the operator cancels.
QString Get_MasterFileName(Dialogs& dialogs, QWidget* parent)
{
    FileDialogRequest request;
    request.filter = t::MstFilter.ja_();
    request.startFolder = Desktop_Path();
    return dialogs.openFileName(parent, request);
}

} // namespace

Frm_LMaster::Frm_LMaster(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_LMaster"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));

    Label1 = heading(t::Label1.in(sw), this);

    Txt_FName = named(new QLineEdit(this), "Txt_FName");
    Label5 = named(new QLabel(t::Label5.in(sw), this), "Label5");
    Label5->setBuddy(Txt_FName);
    Cmd_Sansyou = named(new QPushButton(t::Cmd_Sansyou.in(sw), this), "Cmd_Sansyou");
    Cmd_Henkou = named(new QPushButton(t::Cmd_Henkou.in(sw), this), "Cmd_Henkou");
    Cmd_Modoru = named(new QPushButton(t::Cmd_Modoru.in(sw), this), "Cmd_Modoru");
    auto* enter = new EnterKey(this);
    enter->handOn(Txt_FName, Cmd_Henkou);
    enter->pressOnEnter({Cmd_Sansyou, Cmd_Henkou, Cmd_Modoru});

    QHBoxLayout* file = window_parts::fileRow(Label5, Txt_FName, Cmd_Sansyou);
    QHBoxLayout* buttons = window_parts::buttonsAtRight({Cmd_Henkou, Cmd_Modoru});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(Label1);
    layout->addLayout(file);
    layout->addLayout(buttons);
    Txt_FName->setMinimumWidth(28 * fontMetrics().horizontalAdvance(QLatin1Char('M')));

    connect(Cmd_Sansyou, &QPushButton::clicked, this, &Frm_LMaster::Cmd_Sansyou_Click);
    connect(Cmd_Henkou, &QPushButton::clicked, this, &Frm_LMaster::Cmd_Henkou_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_LMaster::Cmd_Modoru_Click);
}

void Frm_LMaster::Cmd_Sansyou_Click()
{
    Txt_FName->setText(Get_MasterFileName(*ctx_.dialogs, this));
    Txt_FName->setFocus();
    Txt_FName->setCursorPosition(static_cast<int>(Txt_FName->text().size()));
}

void Frm_LMaster::Cmd_Henkou_Click()
{
    const QString title = t::Title.in(ctx_.sw);
    // The change replaces the whole table: Enter answers No.
    if (ctx_.dialogs->message(this, t::Confirm.in(ctx_.sw), title, MsgButtons::YesNoDefaultNo,
                              MsgIcon::Information) != MsgAnswer::Yes)
        return;
    const QString path = Txt_FName->text();
    QString error;
    qsizetype entries = 0;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        error = t::NoFile.in(ctx_.sw);
    } else {
        const BusyCursor busy;
        const log_master_file::Checked file = log_master_file::Check_MasterFile(path, ctx_.sw);
        error = file.error;
        if (error.isEmpty()) {
            try {
                log_master_table::replace(*ctx_.db, file.entries, ctx_.now());
                entries = file.entries.size();
            } catch (const DbError& e) {
                error = failureText(e, t::WriteFailed.in(ctx_.sw));
            }
        }
    }
    if (!error.isEmpty()) {
        ctx_.dialogs->message(this, error, title, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    changed_ = true;
    op_history::add(ctx_, this, op_history::Op::LogMaster,
                    texts::history::MasterDetails.in(ctx_.sw).arg(QDir::toNativeSeparators(path),
                                                                  QString::number(entries)));
    ctx_.dialogs->message(this, t::Done.in(ctx_.sw), title, MsgButtons::Ok, MsgIcon::Information);
}

void Frm_LMaster::Cmd_Modoru_Click()
{
    accept();
}

void Frm_LMaster::done(int)
{
    QDialog::done(changed_ ? Accepted : Rejected);
}

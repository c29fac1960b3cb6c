#include "admin/frm_db.h"

#include "admin_core/log_preservation.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/admin.h"
#include "base/texts/history.h"
#include "base/texts/output.h"
#include "db/database.h"
#include "history/op_history.h"
#include "output/save_dialog.h"
#include "records/record_book.h"
#include "ui/busy_cursor.h"
#include "ui/desktop_folder.h"
#include "ui/window_message.h"
#include "ui/window_parts.h"
#include "ui/work_progress.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace t = texts::db_keep;

namespace {

// What each option names: the option's caption, the caption and tooltip it
// gives Cmd_Hozon, the question before and the message after the operation.
struct OperationTexts {
    BiText option;
    BiText hozon;
    BiText hozonTip;
    BiText question;
    BiText ended;
};

const std::array<OperationTexts, 5> kOperations{{
    {t::Opt_Del0, t::Hozon0, t::Tip_Hozon0, t::Ask0, t::End0},
    {t::Opt_Del1, t::Hozon1, t::Tip_Hozon1, t::Ask1, t::End1},
    {t::Opt_Del2, t::Hozon2, t::Tip_Hozon2, t::Ask2, t::End2},
    {t::Opt_Del3, t::Hozon3, t::Tip_Hozon3, t::Ask3, t::End3},
    {t::Opt_Del4, t::Hozon4, t::Tip_Hozon4, t::Ask4, t::End4},
}};

constexpr int kRestore = 3;
constexpr int kLoad = 4;

// A count with thousands separators ("1,234"), in either language.
QString grouped(qint64 count)
{
    return QLocale(QLocale::English).toString(count);
}

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("yyyy/MM/dd"));
}

// The logs leaving Log_Data (of the period) that are younger than a year and
// have check records. Throws DbError.
qint64 youngWithRecords(AppContext& ctx, const std::optional<log_archive::Period>& period)
{
    const BusyCursor busy;
    return check_records::youngLogsWithRecords(
        *ctx.db, ctx.now(),
        period ? check_records::Period{period->first, period->last} : check_records::Period{});
}

} // namespace

Frm_DB::Frm_DB(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_DB"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));
    Label1 = window_parts::heading(t::Label1.in(sw), this);

    auto* options = new QVBoxLayout;
    for (int i = 0; i < 5; ++i) {
        Opt_Del[i] = new QRadioButton(kOperations[i].option.in(sw), this);
        Opt_Del[i]->setObjectName(QStringLiteral("Opt_Del(%1)").arg(i));
        options->addWidget(Opt_Del[i]);
    }

    Label5 = new QLabel(t::Label5.in(sw), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Txt_FName = new QLineEdit(this);
    Txt_FName->setObjectName(QStringLiteral("Txt_FName"));
    Txt_FName->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
    Label5->setBuddy(Txt_FName);
    Cmd_Sansyou = window_parts::button("Cmd_Sansyou", t::Cmd_Sansyou.in(sw), this);
    Cmd_Hozon = window_parts::button("Cmd_Hozon", t::Hozon0.in(sw), this);
    Cmd_Modoru = window_parts::button("Cmd_Modoru", t::Cmd_Modoru.in(sw), this);

    // Wide enough for the longest operation name, so the button keeps its size.
    int hozonWidth = 0;
    for (const OperationTexts& op : kOperations)
        hozonWidth = qMax(hozonWidth, fontMetrics().horizontalAdvance(op.hozon.in(sw)));
    Cmd_Hozon->setMinimumWidth(hozonWidth + 32);

    QHBoxLayout* file = window_parts::fileRow(Label5, Txt_FName, Cmd_Sansyou);
    QHBoxLayout* buttons = window_parts::buttonsAtRight({Cmd_Hozon, Cmd_Modoru});
    buildPeriod();
    auto* period = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(Chk_Kikan), static_cast<QWidget*>(Label6),
                       static_cast<QWidget*>(Dtp_Kikan[0]), static_cast<QWidget*>(Label7),
                       static_cast<QWidget*>(Dtp_Kikan[1])})
        period->addWidget(w);
    period->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(20, 14, 20, 16);
    root->setSpacing(12);
    root->addWidget(Label1);
    root->addLayout(options);
    root->addLayout(period);
    root->addLayout(file);
    root->addLayout(buttons);

    QWidget* order[] = {Cmd_Sansyou, Cmd_Hozon,    Cmd_Modoru,   Txt_FName,
                        Opt_Del[0],  Opt_Del[1],   Opt_Del[2],   Opt_Del[3],
                        Chk_Kikan,   Dtp_Kikan[0], Dtp_Kikan[1], Opt_Del[4]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Cmd_Sansyou, &QPushButton::clicked, this, &Frm_DB::Cmd_Sansyou_Click);
    connect(Cmd_Hozon, &QPushButton::clicked, this, &Frm_DB::Cmd_Hozon_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_DB::Cmd_Modoru_Click);
    connect(Chk_Kikan, &QCheckBox::toggled, this, &Frm_DB::periodControls);
    Cmd_Sansyou->setFocus(); // taken when the window opens
    Form_Load();
}

void Frm_DB::Form_Load()
{
    // The save option is chosen at load; Cmd_Hozon gets its tooltip only
    // once an option is clicked.
    Opt_Del[0]->setChecked(true);
    for (int i = 0; i < 5; ++i)
        connect(Opt_Del[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_Del_Click(i);
        });
    // Clicking the option already chosen gives the tooltip too.
    for (int i = 0; i < 5; ++i)
        connect(Opt_Del[i], &QRadioButton::clicked, this, [this, i] { Opt_Del_Click(i); });
}

void Frm_DB::Opt_Del_Click(int index)
{
    Cmd_Hozon->setText(kOperations[index].hozon.in(ctx_.sw));
    Cmd_Hozon->setToolTip(kOperations[index].hozonTip.in(ctx_.sw));
    periodControls();
}

void Frm_DB::periodControls()
{
    // A restore takes a period; save and delete and delete one when Chk_Kikan is on.
    const int operation = chosenOperation();
    const bool limitable = operation == 1 || operation == 2;
    Chk_Kikan->setEnabled(limitable);
    const bool dates = operation == kRestore || (limitable && Chk_Kikan->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(Label6), static_cast<QWidget*>(Dtp_Kikan[0]),
                       static_cast<QWidget*>(Label7), static_cast<QWidget*>(Dtp_Kikan[1])})
        w->setEnabled(dates);
}

std::optional<log_archive::Period> Frm_DB::chosenPeriod() const
{
    const int operation = chosenOperation();
    if ((operation != 1 && operation != 2) || !Chk_Kikan->isChecked())
        return std::nullopt;
    return log_archive::Period{Dtp_Kikan[0]->date(), Dtp_Kikan[1]->date()};
}

void Frm_DB::Cmd_Sansyou_Click()
{
    // A file to load is opened; the others are saved.
    if (chosenOperation() == kLoad) {
        FileDialogRequest request;
        request.filter = texts::output::CsvFilter.in(ctx_.sw);
        request.startFolder = Desktop_Path();
        confirmedPath_.clear(); // a file to load was not asked about
        Txt_FName->setText(ctx_.dialogs->openFileName(this, request));
    } else {
        // The dialog asks before a file is replaced.
        confirmedPath_ =
            Get_CsvFileName(*ctx_.dialogs, this, t::AllLogBase.in(ctx_.sw), ctx_.now());
        Txt_FName->setText(confirmedPath_);
    }
    Txt_FName->setFocus();
    Txt_FName->end(false);
}

int Frm_DB::chosenOperation() const
{
    // The caption names the operation.
    int operation = -1;
    for (int i = 0; i < 5; ++i) {
        if (Cmd_Hozon->text() == kOperations[i].hozon.in(ctx_.sw))
            operation = i;
    }
    return operation;
}

void Frm_DB::Cmd_Hozon_Click()
{
    const int operation = chosenOperation();
    if (operation < 0)
        return;
    if (operation == kRestore) {
        runRestore();
        return;
    }
    if (operation != 2 && Txt_FName->text().isEmpty()) {
        tell(t::NoFileName.in(ctx_.sw), true);
        return;
    }
    if (operation == kLoad) {
        Run_Load();
        return;
    }
    if (confirmed(operation))
        Run_Preserve(operation);
}

bool Frm_DB::confirmed(int operation)
{
    QString question = kOperations[operation].question.in(ctx_.sw);
    const std::optional<log_archive::Period> period = chosenPeriod();
    if (period) {
        if (period->first > period->last) {
            tell(t::BadPeriod.in(ctx_.sw), true);
            return false;
        }
        qint64 count = 0;
        try {
            const BusyCursor busy;
            count = log_preservation::logCount(*ctx_.db, period);
        } catch (const DbError& e) {
            tell(t::DbFailed.in(ctx_.sw).arg(e.message()), true);
            return false;
        }
        if (count == 0) {
            tell(t::NothingInPeriod.in(ctx_.sw), false);
            return false;
        }
        question = (operation == 1 ? t::Ask1Period : t::Ask2Period)
                       .in(ctx_.sw)
                       .arg(dayText(period->first), dayText(period->last), grouped(count));
    }
    // Logs that leave Log_Data go to the archive; a record of a young one is
    // still to be kept, so the question says how many have one.
    if (operation != 0) {
        try {
            if (const qint64 young = youngWithRecords(ctx_, period))
                question += t::YoungRecords.in(ctx_.sw).arg(grouped(young));
        } catch (const DbError& e) {
            tell(t::DbFailed.in(ctx_.sw).arg(e.message()), true);
            return false;
        }
    }
    // Enter keeps what is there: the questions before an overwrite or a
    // deletion default to No.
    const QString path = Txt_FName->text();
    if (operation != 2 && path != confirmedPath_ && QFileInfo(path).isFile() &&
        ctx_.dialogs->message(this, t::Overwrite.in(ctx_.sw).arg(QDir::toNativeSeparators(path)),
                              t::Title.in(ctx_.sw), MsgButtons::YesNoDefaultNo,
                              MsgIcon::Exclamation) != MsgAnswer::Yes)
        return false;
    const MsgButtons buttons = operation == 0 ? MsgButtons::YesNo : MsgButtons::YesNoDefaultNo;
    return ctx_.dialogs->message(this, question, t::Title.in(ctx_.sw), buttons,
                                 MsgIcon::Exclamation) == MsgAnswer::Yes;
}

void Frm_DB::Run_Preserve(int operation)
{
    using Step = log_preservation::Step;
    log_preservation::Outcome outcome;
    confirmedPath_.clear(); // the file is there now: the next operation asks
    {
        const BusyCursor busy;
        // No cancel: a file half-written or a deletion stopped halfway is
        // what the single transaction exists to prevent.
        WorkProgress progress(this, t::Title.in(ctx_.sw));
        const QLocale locale(QLocale::English); // 1,234 in either language
        const auto report = [&](Step step, qint64 done, qint64 total) {
            if (step == Step::Writing) {
                const QString text = t::ProgressWriting.in(ctx_.sw).arg(locale.toString(done),
                                                                        locale.toString(total));
                if (done == 0)
                    progress.setStage(text, total);
                else
                    progress.setDone(done, text);
            } else {
                progress.setStage((step == Step::BackingUp   ? t::ProgressBackingUp
                                   : step == Step::Archiving ? t::ProgressArchiving
                                                             : t::ProgressDeleting)
                                      .in(ctx_.sw));
            }
        };
        outcome = log_preservation::Run_Preserve(
            *ctx_.db, static_cast<log_preservation::Operation>(operation), Txt_FName->text(),
            ctx_.sw.SN_Head, ctx_.now(), report, chosenPeriod());
    }
    using Failure = log_preservation::Outcome::Failure;
    const bool withFile = operation != 2;
    // Logs that are (or may be) gone: the main window's grid is to show that.
    if (operation != 0 && outcome.failure != Failure::File && outcome.failure != Failure::Database)
        logsChanged_ = true;
    switch (outcome.failure) {
    case Failure::None:
        ended(operation, outcome.rows);
        break;
    case Failure::File:
        tell(t::FileFailed.in(ctx_.sw).arg(outcome.detail), true);
        break;
    case Failure::Database:
        tell((withFile ? t::DbFailedNoFile : t::DbFailed).in(ctx_.sw).arg(outcome.detail), true);
        break;
    case Failure::DeletionUnknown:
        tell((withFile ? t::DeletionUnknownFile : t::DeletionUnknown)
                 .in(ctx_.sw)
                 .arg(outcome.detail),
             true);
        break;
    case Failure::FileNotPlaced:
        tell(t::FileNotPlaced.in(ctx_.sw).arg(outcome.detail), true);
        break;
    }
}

void Frm_DB::ended(int operation, qint64 rows)
{
    namespace h = texts::history;
    using op_history::Op;
    const QString count = grouped(rows);
    const QString file = QDir::toNativeSeparators(Txt_FName->text());
    const Op ops[] = {Op::Save, Op::SaveAndDelete, Op::Delete};
    QString details =
        operation == 2 ? h::Rows.in(ctx_.sw).arg(count) : h::FileRows.in(ctx_.sw).arg(file, count);
    if (const std::optional<log_archive::Period> period = chosenPeriod()) {
        const QString first = dayText(period->first), last = dayText(period->last);
        details = operation == 2 ? h::RangeRows.in(ctx_.sw).arg(first, last, count)
                                 : h::FilePeriodRows.in(ctx_.sw).arg(file, first, last, count);
    }
    op_history::add(ctx_, this, ops[operation], details);
    tell(kOperations[operation].ended.in(ctx_.sw), false);
}

void Frm_DB::Cmd_Modoru_Click()
{
    close();
}

void Frm_DB::done(int)
{
    QDialog::done(logsChanged_ ? Accepted : Rejected);
}

void Frm_DB::tell(const QString& text, bool warning)
{
    window_message::tell(*ctx_.dialogs, this, t::Title.in(ctx_.sw), text, warning);
}

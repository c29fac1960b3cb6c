// The preservation window's operations on the archive of preserved logs:
// restoring a period into the log table, and loading an earlier file.
#include "admin/frm_db.h"

#include "admin_core/log_archive.h"
#include "admin_core/preservation_line.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/admin.h"
#include "base/texts/history.h"
#include "db/database.h"
#include "db/server_trust.h"
#include "db/write_outcome.h"
#include "history/op_history.h"
#include "ui/busy_cursor.h"
#include "ui/work_progress.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSysInfo>

namespace t = texts::db_keep;

namespace {

// A count with thousands separators ("1,234"), in either language.
QString grouped(qint64 count)
{
    return QLocale(QLocale::English).toString(count);
}

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

void Frm_DB::buildPeriod()
{
    Label6 = new QLabel(t::Label6.in(ctx_.sw), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label7 = new QLabel(t::Label7.in(ctx_.sw), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    const QDate today = ctx_.now().date();
    for (int i = 0; i < 2; ++i) {
        Dtp_Kikan[i] = new QDateEdit(today, this);
        Dtp_Kikan[i]->setObjectName(QStringLiteral("Dtp_Kikan(%1)").arg(i));
        Dtp_Kikan[i]->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        Dtp_Kikan[i]->setCalendarPopup(true);
        Dtp_Kikan[i]->setEnabled(false);
    }
    Label6->setBuddy(Dtp_Kikan[0]);
    Label7->setBuddy(Dtp_Kikan[1]);
    Label6->setEnabled(false);
    Label7->setEnabled(false);
    // Off at load: save and delete and delete take every log.
    Chk_Kikan = new QCheckBox(t::Chk_Kikan.in(ctx_.sw), this);
    Chk_Kikan->setObjectName(QStringLiteral("Chk_Kikan"));
    Chk_Kikan->setEnabled(false);
}

void Frm_DB::runRestore()
{
    const QDate from = Dtp_Kikan[0]->date(), to = Dtp_Kikan[1]->date();
    if (from > to) {
        tell(t::BadPeriod.in(ctx_.sw), true);
        return;
    }
    qint64 count = 0;
    try {
        const BusyCursor busy;
        count = log_archive::restorableCount(*ctx_.db, from, to);
    } catch (const DbError& e) {
        tell(failureText(e, t::ArchiveDbFailed.in(ctx_.sw)), true);
        return;
    }
    if (count == 0) {
        tell(t::NothingToRestore.in(ctx_.sw), false);
        return;
    }
    if (ctx_.dialogs->message(this, t::Ask3.in(ctx_.sw).arg(grouped(count)), t::Title.in(ctx_.sw),
                              MsgButtons::YesNoDefaultNo, MsgIcon::Exclamation) != MsgAnswer::Yes)
        return;
    const QString details = texts::history::RangeRows.in(ctx_.sw).arg(dayText(from), dayText(to));
    qint64 restored = 0;
    try {
        const BusyCursor busy;
        // No cancel: the restore is one transaction.
        WorkProgress progress(this, t::Title.in(ctx_.sw));
        const QString stage = t::ProgressRestoring.in(ctx_.sw);
        progress.setStage(stage.arg(QStringLiteral("0"), grouped(count)), count);
        const log_archive::Restorer by{ctx_.loginId, QSysInfo::machineHostName(),
                                       details.arg(QLatin1String(server_trust::kRestoredCount))};
        restored = log_archive::restore(*ctx_.db, from, to, by, [&](qint64 done) {
            progress.setDone(done, stage.arg(grouped(done), grouped(count)));
        });
    } catch (const DbError& e) {
        tell(failureText(e, t::ArchiveDbFailed.in(ctx_.sw)), true);
        return;
    }
    logsChanged_ = logsChanged_ || restored > 0;
    // On a server the restore wrote its own row, in its transaction.
    if (!log_archive::restoreRecordsItself(*ctx_.db))
        op_history::add(ctx_, this, op_history::Op::Restore, details.arg(grouped(restored)));
    tell(t::End3.in(ctx_.sw).arg(grouped(restored)), false);
}

void Frm_DB::Run_Load()
{
    const QString path = Txt_FName->text();
    if (ctx_.dialogs->message(this, t::Ask4.in(ctx_.sw).arg(QDir::toNativeSeparators(path)),
                              t::Title.in(ctx_.sw), MsgButtons::YesNo,
                              MsgIcon::Exclamation) != MsgAnswer::Yes)
        return;
    log_archive::LoadOutcome outcome;
    try {
        const BusyCursor busy;
        WorkProgress progress(this, t::Title.in(ctx_.sw));
        progress.setStage(t::ProgressLoading.in(ctx_.sw), 1000);
        outcome = log_archive::loadFile(
            *ctx_.db, path, ctx_.sw.SN_Head, ctx_.now(),
            [&](qint64 read, qint64 size) { progress.setDone(size > 0 ? read * 1000 / size : 0); });
    } catch (const DbError& e) {
        tell(failureText(e, t::ArchiveDbFailed.in(ctx_.sw)), true);
        return;
    }
    using Failure = log_archive::LoadOutcome::Failure;
    if (outcome.failure == Failure::File) {
        tell(t::LoadFileFailed.in(ctx_.sw).arg(outcome.detail), true);
        return;
    }
    if (outcome.failure == Failure::Line) {
        tell(t::LoadLineFailed.in(ctx_.sw).arg(outcome.line).arg(outcome.detail), true);
        return;
    }
    if (outcome.failure == Failure::TooLong) {
        tell(t::LoadLineTooLong.in(ctx_.sw).arg(
                 grouped(outcome.line), grouped(preservation_line::kMaxLineBytes), outcome.detail),
             true);
        return;
    }
    const QString added = grouped(outcome.added), archived = grouped(outcome.archivedBefore()),
                  current = grouped(outcome.current);
    op_history::add(ctx_, this, op_history::Op::ArchiveLoad,
                    texts::history::LoadDetails.in(ctx_.sw).arg(QDir::toNativeSeparators(path),
                                                                added, archived, current));
    tell(t::End4.in(ctx_.sw).arg(added, archived, current), false);
}

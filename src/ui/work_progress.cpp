#include "ui/work_progress.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

namespace {

// Work shorter than this shows no window.
constexpr int kShowAfterMs = 500;
// The window is repainted at most this often.
constexpr int kRefreshMs = 100;
// The bar counts in at most this many steps (QProgressBar holds an int).
constexpr int kBarSteps = 1000;

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& title)
{
    sinceRefresh_.start();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    dialog_ = std::make_unique<QProgressDialog>(parent, Qt::Dialog | Qt::CustomizeWindowHint |
                                                            Qt::WindowTitleHint);
    dialog_->setObjectName(QStringLiteral("WorkProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setCancelButton(nullptr);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(420);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setRange(0, 0);
    dialog_->hide();
    // Shown once the work has lasted: by the event loop the caller waits in,
    // or by the next refresh() of work that runs on this thread.
    QTimer::singleShot(kShowAfterMs, dialog_.get(), [dialog = dialog_.get()] { dialog->show(); });
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::setStage(const QString& text, qint64 total)
{
    total_ = total;
    if (!dialog_)
        return;
    dialog_->setLabelText(text);
    dialog_->setRange(0, total > 0 ? kBarSteps : 0);
    dialog_->setValue(0);
    refresh();
}

void WorkProgress::setDone(qint64 done, const QString& text)
{
    if (!dialog_ || sinceRefresh_.elapsed() < kRefreshMs)
        return;
    if (!text.isEmpty())
        dialog_->setLabelText(text);
    if (total_ > 0)
        dialog_->setValue(int(std::clamp<qint64>(done * kBarSteps / total_, 0, kBarSteps)));
    refresh();
}

void WorkProgress::refresh()
{
    sinceRefresh_.restart();
    if (dialog_)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

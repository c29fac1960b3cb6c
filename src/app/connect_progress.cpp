#include "app/connect_progress.h"

#include "base/app_context.h"
#include "base/texts/server.h"
#include "db/database.h"
#include "history/op_history.h"
#include "main/frm_main.h"
#include "ui/busy_cursor.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QSet>
#include <QTimer>
#include <memory>

namespace {

// A wait shorter than this shows no window.
constexpr qint64 kWindowAfterMs = 500;
// How often what a connection found is offered to the history and the status line.
constexpr int kNoticeEveryMs = 200;

// What one wait shows. The window is shown at once when it is made: the
// engine runs no timers while it waits.
struct WaitShown {
    std::unique_ptr<BusyCursor> busy;
    std::unique_ptr<QProgressDialog> window; // its parent outlives the wait

    void waiting(const QString& title, const QString& what, qint64 waitedMs)
    {
        if (!busy)
            busy = std::make_unique<BusyCursor>();
        if (what.isEmpty() || waitedMs < kWindowAfterMs ||
            !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return;
        if (!window) {
            QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                              : QApplication::activeWindow();
            window = std::make_unique<QProgressDialog>(over, Qt::Dialog | Qt::CustomizeWindowHint |
                                                                 Qt::WindowTitleHint);
            window->setObjectName(QStringLiteral("ServerWait"));
            window->setWindowTitle(title);
            window->setWindowModality(Qt::ApplicationModal);
            window->setCancelButton(nullptr);
            window->setAutoClose(false);
            window->setAutoReset(false);
            window->setMinimumWidth(420);
            window->setRange(0, 0);
            window->show();
        }
        if (window->labelText() != what)
            window->setLabelText(what);
    }
    void waited()
    {
        window.reset();
        busy.reset();
    }
};

// What connections found, each text once per program run: written to the
// history when the database is free, shown in the main window's status line
// once there is one. A timer offers them, so that nothing runs inside the
// engine's own wait.
class ServerNotices {
public:
    explicit ServerNotices(AppContext& ctx) : ctx_(ctx)
    {
        timer_.setInterval(kNoticeEveryMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { offer(); });
    }
    void add(const QString& text)
    {
        if (told_.contains(text))
            return;
        told_.insert(text);
        forHistory_ << text;
        forStatus_ << text;
        timer_.start();
    }

private:
    void offer()
    {
        Frm_Main* main = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            main = main ? main : qobject_cast<Frm_Main*>(window);
        // Not inside a transaction or a search: the row would share its fate.
        if (!forHistory_.isEmpty() && ctx_.db && ctx_.db->isOpen() && !ctx_.db->inTransaction()) {
            for (const QString& text : std::exchange(forHistory_, {}))
                op_history::add(ctx_, main, op_history::Op::Server, text);
        }
        if (main && !forStatus_.isEmpty())
            main->LB_Status->setText(std::exchange(forStatus_, {}).join(QLatin1Char(' ')));
        if (forHistory_.isEmpty() && forStatus_.isEmpty())
            timer_.stop();
    }

    AppContext& ctx_;
    QSet<QString> told_;
    QStringList forHistory_;
    QStringList forStatus_;
    QTimer timer_;
};

} // namespace

ConnectView connectProgress(const Switches& sw)
{
    auto shown = std::make_shared<WaitShown>();
    ConnectView view;
    view.english = sw.english();
    view.waiting = [shown, title = texts::server::WaitTitle.in(sw)](const QString& what,
                                                                    qint64 waitedMs) {
        shown->waiting(title, what, waitedMs);
    };
    view.waited = [shown] { shown->waited(); };
    return view;
}

ConnectView connectProgress(AppContext& ctx)
{
    ConnectView view = connectProgress(ctx.sw);
    auto notices = std::make_shared<ServerNotices>(ctx);
    view.warn = [notices](const QString& warning) { notices->add(warning); };
    return view;
}

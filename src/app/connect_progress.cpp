#include "app/connect_progress.h"

#include "base/texts/server.h"
#include "ui/busy_cursor.h"
#include "ui/work_progress.h"

#include <QApplication>
#include <memory>

ConnectView connectProgress(const Switches& sw)
{
    struct Shown {
        std::unique_ptr<BusyCursor> busy;
        std::unique_ptr<WorkProgress> window;
    };
    auto shown = std::make_shared<Shown>();
    ConnectView view;
    view.english = sw.english();
    view.trying = [shown, sw](const QString& server) {
        namespace t = texts::server;
        if (server.isEmpty()) {
            shown->window.reset();
            shown->busy.reset();
            return;
        }
        if (!shown->busy)
            shown->busy = std::make_unique<BusyCursor>();
        if (!shown->window) {
            QWidget* over = nullptr;
            if (qobject_cast<QApplication*>(QCoreApplication::instance()))
                over = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                         : QApplication::activeWindow();
            shown->window = std::make_unique<WorkProgress>(over, t::ConnectTitle.in(sw));
        }
        shown->window->setStage(t::Connecting.in(sw).arg(server));
    };
    return view;
}

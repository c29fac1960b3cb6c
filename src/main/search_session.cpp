#include "main/search_session.h"

#include "ui/busy_cursor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QWidget>
#include <initializer_list>

namespace {

// How often a long search lets the event loop run, in milliseconds, and when
// it does so the first time: early enough that the first rows are painted
// within 50 ms, late enough that a short search paints its result once
// rather than also the rows read after a few.
constexpr int kSearchEventsMs = 50;
constexpr int kFirstEventsMs = 30;

// While a search lets the event loop run, the window takes no input but for
// the controls allowed: clicks, keys and wheel turns on its other controls
// are dropped. Repaints, timers, the frame's close button and other windows
// (a message shown meanwhile) go on.
class SearchInputGate : public QObject {
public:
    SearchInputGate(QWidget* window, std::initializer_list<const QWidget*> allowed)
        : window_(window), allowed_(allowed)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~SearchInputGate() override { QCoreApplication::instance()->removeEventFilter(this); }
    SearchInputGate(const SearchInputGate&) = delete;
    SearchInputGate& operator=(const SearchInputGate&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            break;
        default:
            return false;
        }
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (!widget || widget->window() != window_)
            return false;
        for (const QWidget* allowed : allowed_)
            if (widget == allowed || allowed->isAncestorOf(widget))
                return false;
        return true;
    }

private:
    const QWidget* window_;
    const QList<const QWidget*> allowed_;
};

} // namespace

SearchOutcome SearchSession::run(const Search& search)
{
    SearchOutcome outcome;
    running_ = true;
    {
        const BusyCursor busy;
        const SearchInputGate gate(window_, {endCommand_, grid_});
        do {
            stop_ = again_ = false;
            QElapsedTimer sinceEvents;
            sinceEvents.start();
            int waitMs = kFirstEventsMs;
            outcome = search([&](int rowsRead, const std::function<void()>& show) {
                if (sinceEvents.elapsed() >= waitMs) {
                    show();
                    if (onProgress)
                        onProgress(rowsRead);
                    QCoreApplication::processEvents();
                    sinceEvents.start();
                    waitMs = kSearchEventsMs;
                }
                return !stop_;
            });
        } while (again_ && !endPending_);
    }
    running_ = false;
    return outcome;
}

bool SearchSession::stopForEnd()
{
    if (!running_)
        return false;
    stop_ = endPending_ = true;
    return true;
}

bool SearchSession::takeEndRequest()
{
    const bool pending = endPending_;
    endPending_ = false;
    return pending;
}

#pragma once

#include <QCursor>
#include <QGuiApplication>

// The busy pointer for the life of a scope, restored however the scope ends.
// Without a GUI application (a console tool or test) there is no pointer to
// change, so it does nothing.
class BusyCursor {
public:
    BusyCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (active_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    const bool active_;
};

// The normal pointer for the life of a scope inside a busy one: a message
// shown while long work goes on is answered with the normal pointer.
class NormalCursor {
public:
    NormalCursor()
        : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (active_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    ~NormalCursor()
    {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    const bool active_;
};

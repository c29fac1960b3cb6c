#include "sets/enter_key.h"

#include <QKeyEvent>
#include <QLineEdit>

void EnterKey::handOn(QWidget* box, QWidget* next)
{
    next_.insert(box, next);
    box->installEventFilter(this);
}

void EnterKey::pressOnEnter(std::initializer_list<QPushButton*> buttons)
{
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }
}

bool EnterKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (QWidget* next = next_.value(watched)) {
        next->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(next))
            edit->selectAll();
        return true;
    }
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        button->click();
        return true;
    }
    return false;
}

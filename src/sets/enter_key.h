#pragma once

#include <QHash>
#include <QObject>
#include <QPushButton>
#include <QWidget>
#include <initializer_list>

// Enter as the operators know it from the original system: in an input box
// it hands the focus on (the register button, never registering), on a
// focused button it presses that button. Buttons take no default role, so
// Enter never presses a button that does not have the focus.
class EnterKey : public QObject {
public:
    explicit EnterKey(QObject* parent) : QObject(parent) {}

    // Enter in `box` moves the focus to `next`.
    void handOn(QWidget* box, QWidget* next);
    void pressOnEnter(std::initializer_list<QPushButton*> buttons);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QWidget*> next_;
};

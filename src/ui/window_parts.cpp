#include "ui/window_parts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <cmath>

namespace {

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Presses its button when Enter is pressed on it.
class PressOnEnter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isEnter(event))
            return QObject::eventFilter(watched, event);
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

// Refuses a text that no longer fits, unless it is shorter than before.
class FitValidator : public QValidator {
public:
    FitValidator(std::function<bool(const QString&)> fits, QLineEdit* edit)
        : QValidator(edit), fits_(std::move(fits))
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { current_ = t; });
    }

    State validate(QString& input, int&) const override
    {
        if (fits_(input))
            return Acceptable;
        return input.size() < current_.size() ? Intermediate : Invalid;
    }

private:
    std::function<bool(const QString&)> fits_;
    QString current_;
};

} // namespace

namespace window_parts {

QLabel* heading(const QString& text, QWidget* parent, const char* name)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    label->setFont(font);
    return label;
}

void pressOnEnter(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(new PressOnEnter(button));
}

QComboBox* typedTextStays(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    // The box's own handlers of these two look the typed text up in the list
    // and emit `activated` for the entry found.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    QObject::disconnect(box->lineEdit(), &QLineEdit::returnPressed, box, nullptr);
    return box;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = named(new QPushButton(caption, parent), name);
    pressOnEnter(b);
    return b;
}

qsizetype characterCount(const QString& text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return count;
}

void limitTyping(QLineEdit* edit, std::function<bool(const QString&)> fits)
{
    edit->setValidator(new FitValidator(std::move(fits), edit));
}

void limitCharacters(QLineEdit* edit, int count)
{
    limitTyping(edit, [count](const QString& text) { return characterCount(text) <= count; });
}

} // namespace window_parts

void EnterKey::handOn(QWidget* box, QWidget* next)
{
    next_.insert(box, next);
    box->installEventFilter(this);
}

void EnterKey::pressOnEnter(std::initializer_list<QPushButton*> buttons)
{
    for (QPushButton* button : buttons)
        window_parts::pressOnEnter(button);
}

bool EnterKey::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* next = isEnter(event) ? next_.value(watched) : nullptr;
    if (!next)
        return QObject::eventFilter(watched, event);
    next->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(next))
        edit->selectAll();
    return true;
}

QHBoxLayout* window_parts::buttonsAtRight(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

QHBoxLayout* window_parts::fileRow(QLabel* label, QWidget* path, QPushButton* browse)
{
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(path, 1);
    row->addWidget(browse);
    return row;
}

QRect Form_Center(const QSize& screen, const QSize& window)
{
    const int left = (screen.width() - window.width()) / 2;
    const int top = screen.width() == 1024 ? 0 : (screen.height() - window.height()) / 2;
    return QRect(QPoint(left, top), window);
}

int twipsToPixels(int twips, const QWidget* w)
{
    const double dpi = w ? w->logicalDpiX() : 96.0;
    return static_cast<int>(std::lround(twips / 15.0 * dpi / 96.0));
}

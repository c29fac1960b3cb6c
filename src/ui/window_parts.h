#pragma once

#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <initializer_list>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Pieces the program's windows build alike.
namespace window_parts {

// The widget with its objectName set to its control's name.
template <class W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A window's heading: centred, larger and bold.
QLabel* heading(const QString& text, QWidget* parent, const char* name = "Label1");

// Enter on the focused button presses it, as on the original system. The
// button never takes the default role, so Enter elsewhere presses nothing.
void pressOnEnter(QPushButton* button);

// A button named as its control that Enter presses when it has the focus.
QPushButton* button(const char* name, const QString& caption, QWidget* parent);

// The commands of a window in a row, pushed to its right end.
QHBoxLayout* buttonsAtRight(std::initializer_list<QWidget*> buttons);

// A file's row: its label, the path box taking the free width, the browse button.
QHBoxLayout* fileRow(QLabel* label, QWidget* path, QPushButton* browse);

// An editable list box, not inserting, whose text stays as typed: no
// completion, and a typed text that names an entry never chooses it, when the
// box loses the focus or Enter is pressed in it. `activated` then comes only
// from the drop-down list (or the arrow keys), so that a typed name never
// loads what the entry holds over what the window shows.
QComboBox* typedTextStays(QComboBox* box);

// Characters as the operator counts them: a character outside the Basic
// Multilingual Plane ("𠮷") is one, not the two UTF-16 units of QString::size().
qsizetype characterCount(const QString& text);

// Refuses, as it is typed or pasted, a change after which the box's text no
// longer fits; a text set too long can still be shortened.
void limitTyping(QLineEdit* edit, std::function<bool(const QString&)> fits);
// limitTyping() to at most `count` characters (characterCount()).
void limitCharacters(QLineEdit* edit, int count);

} // namespace window_parts

// Enter in an input box hands the focus on along a fixed chain (the last box
// to the register button, never registering); the box that receives the
// focus has its whole text selected.
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

// Where a window of the given size goes on a screen (all in pixels): centred,
// except on a screen exactly 1024 pixels wide, where its top edge is at the
// top of the screen.
QRect Form_Center(const QSize& screen, const QSize& window);

// A length the windows were laid out in (twips, 15 to a pixel at 96 dpi) in
// pixels at the widget's logical dpi (96 without a widget).
int twipsToPixels(int twips, const QWidget* w);

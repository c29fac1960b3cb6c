#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Pieces the administration windows build alike.
namespace window_parts {

// The window's heading (`Label1`): centred, larger and bold.
QLabel* heading(const QString& text, QWidget* parent);

// A button named as its control. Enter on the focused button presses it;
// Enter elsewhere in the window presses no button (there is no default one).
QPushButton* button(const char* name, const QString& caption, QWidget* parent);

} // namespace window_parts

#pragma once

#include <QSize>

// Runs this process's windows on a private X server of `screen` pixels (Xvfb on a free display,
// Qt's xcb platform), for suites that need real focus changes; it stops with the process. Call it
// from the test class's static initMain(); a server that does not start ends the suite as skipped.
void useXvfb(const QSize& screen = QSize(1280, 1024));

class QWidget;

// Shows the window and gives it the focus, as the server has no window
// manager to do so; true once it is the active window.
bool showActive(QWidget* window);

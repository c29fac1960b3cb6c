#pragma once

#include <QSize>

// Runs this test process's windows on a private X server, for the suites whose
// behaviour needs real focus changes (a box that loses the focus to a click
// elsewhere). Starts Xvfb on a free display, points DISPLAY at it and chooses
// Qt's xcb platform; the server stops when the process ends, also when it
// dies. Call it from the test class's static initMain(), which QTest runs
// before the application is made. A server that does not start ends the
// process as a missing service does (services::endSuite). The screen is `screen` pixels large.
void useXvfb(const QSize& screen = QSize(1280, 1024));

class QWidget;

// Shows the window and gives it the focus, as the server has no window
// manager to do so; true once it is the active window.
bool showActive(QWidget* window);

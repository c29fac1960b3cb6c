#pragma once

#include <functional>

class QWidget;

// Runs `act` on the next modal window that opens above the current one (a
// window of the program run by exec()); gives up after five seconds.
void onNextModal(const std::function<void(QWidget*)>& act);

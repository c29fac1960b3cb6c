#pragma once

#include "base/dialogs.h"

#include <QString>

class QWidget;

namespace window_message {

// A window's message to the operator under the window's own title: OK only,
// with the exclamation mark for a warning and no icon otherwise.
inline void tell(Dialogs& dialogs, QWidget* window, const QString& title, const QString& text,
                 bool warning)
{
    dialogs.message(window, text, title, MsgButtons::Ok,
                    warning ? MsgIcon::Exclamation : MsgIcon::None);
}

} // namespace window_message

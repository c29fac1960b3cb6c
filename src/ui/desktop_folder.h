#pragma once

#include <QString>

// The desktop folder of the current user, where the file dialogs start; ""
// when there is none.
QString Desktop_Path();

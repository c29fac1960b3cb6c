// Linked into every suite of windows (an object library, so that it is always there): each
// TestApp gets the program's wait window on its connection and the program's exit path, as
// main() wires them.
#include "app/connect_progress.h"
#include "app/program_exit.h"
#include "support/test_db.h"

namespace {

void addWindows(TestApp& app)
{
    app.db.setConnectView(connectProgress(app.ctx.sw));
    app.ctx.end = [&app](QWidget* parent) { Program_End(app.ctx, app.program, parent); };
}

[[maybe_unused]] const bool windowsAdded = (setTestAppWindows(addWindows), true);

} // namespace

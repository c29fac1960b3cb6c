#pragma once

struct AppContext;
class QWidget;

// The program's one orderly exit: the database connection is closed, the
// database file compacted (a failure is reported and the file left intact;
// a server database is only disconnected) and the program ended.
void Program_End(AppContext& ctx, QWidget* parent);

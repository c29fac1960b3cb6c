#pragma once

struct AppContext;
struct ProgramDb;
class QWidget;

// The program's one orderly exit: the database connection is closed, the
// database file compacted when that reclaims something (damage or a failure
// is reported and the file left intact), the claim on it released and the
// program ended. A server database is only disconnected.
void Program_End(AppContext& ctx, ProgramDb& program, QWidget* parent);

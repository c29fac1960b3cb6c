#pragma once

#include "base/switches.h"
#include "db/server_connect.h"

struct AppContext;

// How the program shows that it waits for its server, connecting or for a
// statement that lasts: the busy pointer for the whole wait and, after half
// a second, a window (no cancel) that names the server; both go when the wait
// ends. Work that shows its own window (a search, a preservation) gets the
// pointer alone.
ConnectView connectProgress(const Switches& sw);
// The same; and what a connection finds that the operator should hear of
// (no standby server confirms the writes, a connection in plain text) is said
// once per program run: in the operation history as soon as the database is
// free, and in the main window's status line once it is there.
ConnectView connectProgress(AppContext& ctx);

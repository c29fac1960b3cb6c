#pragma once

#include "base/switches.h"
#include "db/server_connect.h"

// How the program shows that it connects to its server: after half a
// second, a progress window (no cancel) that names the server being tried,
// and the busy pointer for the whole attempt; both go when it ends.
ConnectView connectProgress(const Switches& sw);

#pragma once

#include "db/db_error.h"

#include <QString>

// What a window says of a failed database operation: `failed` (its own text,
// "%1" for the engine's message), except for a write whose outcome is not
// known (the server did not confirm a commit, or the connection was lost
// during it). Then the message alone, which says so in the view's language:
// such a write is never reported as failed, nor as done.
inline QString failureText(const DbError& e, const QString& failed)
{
    return e.fault() == DbFault::CommitUnknown ? e.message() : failed.arg(e.message());
}

#pragma once

#include "db/libpq_calls.h"

#include <QByteArray>
#include <libpq-fe.h>
#include <span>

struct ConnectView;

// One statement on a server connection, sent without blocking
// (PQsendQueryParams) and awaited in the event loop as ServerWait runs it.
// With a bound, the statement is cancelled once the bound has passed: the
// cancel request goes from a worker thread (PQcancel blocks until the server
// has it). A statement that does not answer even the cancel within the bound
// again has lost its server: its connection is closed.
namespace server_await {

struct Statement {
    QByteArray sql;
    std::span<const char* const> params; // null for a null value
    // 0: awaited however long it takes, as work with a window of its own;
    // otherwise the view is told the server it waits for, for a window.
    int boundMs = 0;
};

struct Answer {
    // The statement's result; null when the connection failed first.
    libpq_calls::Result result;
    bool cancelled = false; // the bound passed and the cancel was sent
    // A warning came after the cancel: a commit that no longer waits for its
    // standby server ("canceling wait for synchronous replication"). The
    // transaction was committed here but may be lost with this server.
    bool unconfirmed = false;
    bool cutOff = false; // no answer to the cancel either; the connection was closed
};

// Throws nothing: a failure is in the answer (or the connection's message).
Answer run(PGconn* conn, const Statement& statement, const ConnectView& view);

} // namespace server_await

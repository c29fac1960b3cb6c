#pragma once

#include <QString>
#include <functional>
#include <libpq-fe.h>
#include <memory>

struct ServerAddress;

// What the operator sees while the program waits for its server. The engine
// layer shows no window itself; the program gives it this.
struct ConnectView {
    bool english = false; // the language of the texts the program states itself
    // Told again and again (every 50 ms at least) while the program waits for
    // its server: what it waits for, and how long the wait has lasted. A
    // connection is told from its start, a statement once it has lasted
    // 50 ms; `what` is "" for the work of a transaction or a search, which
    // show their own windows. Meanwhile the window's events run, but for user
    // input, timers and sockets: nothing else of the program runs, so nothing
    // re-enters the code that waits.
    std::function<void(const QString& what, qint64 waitedMs)> waiting;
    // Told once such a wait has ended, however it ended.
    std::function<void()> waited;
    // Told what a new connection found that the operator should hear of (no
    // standby server confirms the writes, a connection in plain text), in
    // the view's language; at each connection that finds it.
    std::function<void(const QString& warning)> warn;
};

// One wait for the server as the operator sees it (see ConnectView): the
// view hears of it, and the window's events run, at each waiting(); the view
// hears that it ended when this ends.
class ServerWait {
public:
    static constexpr int kEventsEveryMs = 50;
    explicit ServerWait(const ConnectView& view) : view_(view) {}
    ~ServerWait();
    ServerWait(const ServerWait&) = delete;
    ServerWait& operator=(const ServerWait&) = delete;
    void waiting(const QString& what, qint64 waitedMs);

private:
    const ConnectView& view_;
    bool told_ = false;
};

struct ServerConnectionDeleter {
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
using ServerConnection = std::unique_ptr<PGconn, ServerConnectionDeleter>;

// Connects to the first host of the address that takes the connection (and
// suits target_session_attrs), waiting at most connect_timeout for each, in
// the event loop as ServerWait runs it, so windows paint. TCP keepalives and
// tcp_user_timeout (the address's wait) end a connection a dead network cut. Every
// attempt is a new libpq connection, which reads the password file anew.
// Throws DbError that says, for each host tried, why it failed: libpq's own
// text, and before it the reason the program found itself for a host that
// did not answer or refused the TLS connection (unknown certificate
// authority, wrong name, …), in the language the view asks for.
ServerConnection connectToServer(const ServerAddress& address, const ConnectView& view);

#pragma once

#include <QString>
#include <functional>
#include <libpq-fe.h>
#include <memory>

struct ServerAddress;

// What the operator sees while the program connects to its server. The
// engine layer shows no window itself; the program gives it this.
struct ConnectView {
    bool english = false; // the language of the reasons the program states itself
    // Told the server being tried ("host:port") each time the attempt moves
    // to another, and "" once the attempt ends, connected or not.
    std::function<void(const QString& server)> trying;
};

struct ServerConnectionDeleter {
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
using ServerConnection = std::unique_ptr<PGconn, ServerConnectionDeleter>;

// Connects to the first host of the address that takes the connection (and
// suits target_session_attrs), waiting at most connect_timeout for each. The
// event loop goes on meanwhile, without user input, so windows paint. Every
// attempt is a new libpq connection, which reads the password file anew.
// Throws DbError that says, for each host tried, why it failed: libpq's own
// text, and before it the reason the program found itself for a host that
// did not answer or refused the TLS connection (unknown certificate
// authority, wrong name, …), in the language the view asks for.
ServerConnection connectToServer(const ServerAddress& address, const ConnectView& view);

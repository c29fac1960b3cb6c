#pragma once

#include <QString>

// A server that libpq could not connect to over TCP, with the TLS options
// libpq used (after its defaults and the environment).
struct TlsTarget {
    QString host;
    QString port;
    QString sslmode;     // only require, verify-ca and verify-full are looked into
    QString sslrootcert; // "": libpq's default, ~/.postgresql/root.crt
    QString server;      // "host:port", for the message
};

// Why the server's TLS connection is refused, found out by a handshake of the
// program's own (PostgreSQL's SSLRequest, then TLS with libpq's checks), as
// one sentence in the window's language: the server offers no TLS, the
// trusted authority's file cannot be read, the certificate is not from that
// authority, it has expired or is not valid yet, or it is not for the host
// name. libpq's own text is in the system's language and changes between
// versions, so it is not read for this. "" when the handshake finds nothing
// wrong, or cannot tell (no event loop, no TLS library, a Unix socket).
// Waits at most timeoutMs, with the event loop running but for user input.
QString tlsRefusal(const TlsTarget& target, bool english, int timeoutMs);

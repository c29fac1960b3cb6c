#pragma once

#include "db/db_error.h"
#include "db/server_await.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <span>

struct ConnectView;
struct ServerAddress;

// The statements of one server session, each awaited in the event loop
// (server_await.h), one at a time, and their failures in the engine layer's
// terms, in the view's language where the program states them itself.
//
// A bounded statement (a commit, or a statement outside a transaction) is
// cancelled once the setting's wait has passed; the work of a transaction and
// a search's cursor are awaited however long they take. A statement asked for
// while another is awaited (by an event that runs meanwhile) is refused.
class ServerStatements {
public:
    explicit ServerStatements(const ConnectView& view) : view_(view) {}

    void setWait(int seconds) { boundMs_ = seconds * 1000; }
    int waitSeconds() const { return boundMs_ / 1000; }
    bool busy() const { return busy_; }

    // Runs a statement and gives its result. Throws DbError with the
    // server's message (and `shown`, the statement as the caller wrote it,
    // when given), or saying that it was cancelled at the bound. A statement
    // that committed without its standby server's word throws
    // DbFault::CommitUnknown.
    libpq_calls::Result run(PGconn* conn, const QString& sql, const QVariantList& values,
                            const QString& shown, bool bounded);
    // The same without throwing for the server's answer (busy and a closed
    // connection still throw).
    server_await::Answer send(PGconn* conn, const QString& sql, const QVariantList& values,
                              bool bounded);
    // A statement in the server's own form with its parameters as text ($1,
    // $2, …; null for null), unbounded, as run() runs it: the work of a
    // transaction.
    libpq_calls::Result runText(PGconn* conn, const QByteArray& sql,
                                std::span<const char* const> params);
    // Why a statement failed, as run() throws it.
    DbError failure(PGconn* conn, const server_await::Answer& answer, const QString& shown) const;
    // A commit whose standby server did not confirm it in time.
    DbError unconfirmed(PGconn* conn) const;
    // A commit whose connection was lost before the answer (`why`).
    DbError lostAtCommit(PGconn* conn, const DbError& why) const;

    // What the operator should hear of about a new connection: no standby
    // server confirms the writes (checked where the address lists several
    // hosts), or the connection to a server on another machine is not
    // encrypted.
    QStringList warningsOf(PGconn* conn, const ServerAddress& address);

private:
    server_await::Answer await(PGconn* conn, const QByteArray& sql,
                               std::span<const char* const> params, bool bounded);
    libpq_calls::Result checked(PGconn* conn, server_await::Answer answer,
                                const QString& shown) const;
    QString serverOf(PGconn* conn) const;

    const ConnectView& view_;
    int boundMs_ = 15000;
    bool busy_ = false;
};

#include "db/server_statements.h"

#include "base/texts/server.h"
#include "db/db_setting.h"
#include "db/server_connect.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QScopeGuard>

namespace {

// query_canceled: the cancel this program sent, or the server's own.
constexpr auto kCancelled = "57014";

bool succeeded(const server_await::Answer& answer)
{
    const ExecStatusType status =
        answer.result ? PQresultStatus(answer.result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// A server on this machine: a Unix socket, or an address of its own.
bool onThisMachine(PGconn* conn)
{
    const QString address = QString::fromUtf8(PQhostaddr(conn));
    if (address.isEmpty())
        return true;
    const QHostAddress host(address);
    return host.isLoopback() || QNetworkInterface::allAddresses().contains(host);
}

} // namespace

server_await::Answer ServerStatements::send(PGconn* conn, const QString& sql,
                                            const QVariantList& values, bool bounded)
{
    const libpq_calls::Parameters parameters(values);
    return await(conn, sql.toUtf8(), parameters.pointers(), bounded);
}

libpq_calls::Result ServerStatements::run(PGconn* conn, const QString& sql,
                                          const QVariantList& values, const QString& shown,
                                          bool bounded)
{
    return checked(conn, send(conn, sql, values, bounded), shown);
}

libpq_calls::Result ServerStatements::runText(PGconn* conn, const QByteArray& sql,
                                              std::span<const char* const> params)
{
    return checked(conn, await(conn, sql, params, false), {});
}

server_await::Answer ServerStatements::await(PGconn* conn, const QByteArray& sql,
                                             std::span<const char* const> params, bool bounded)
{
    if (busy_)
        throw DbError(texts::server::StillWaiting.pick(view_.english));
    if (!conn)
        throw DbError(QStringLiteral("The database is not open."));
    busy_ = true;
    const auto done = qScopeGuard([this] { busy_ = false; });
    return server_await::run(conn, {sql, params, bounded ? boundMs_ : 0}, view_);
}

libpq_calls::Result ServerStatements::checked(PGconn* conn, server_await::Answer answer,
                                              const QString& shown) const
{
    if (!succeeded(answer))
        throw failure(conn, answer, shown);
    // A statement outside a transaction commits by itself.
    if (answer.unconfirmed)
        throw unconfirmed(conn);
    return std::move(answer.result);
}

DbError ServerStatements::failure(PGconn* conn, const server_await::Answer& answer,
                                  const QString& shown) const
{
    namespace t = texts::server;
    if (answer.cutOff)
        return DbError(t::CutOff.pick(view_.english).arg(serverOf(conn)).arg(waitSeconds()));
    if (answer.cancelled && libpq_calls::sqlState(answer.result.get()) == kCancelled)
        return DbError(t::Cancelled.pick(view_.english).arg(serverOf(conn)).arg(waitSeconds()));
    return libpq_calls::failure(conn, answer.result.get(), shown);
}

DbError ServerStatements::unconfirmed(PGconn* conn) const
{
    return DbError(
        texts::server::Unconfirmed.pick(view_.english).arg(serverOf(conn)).arg(waitSeconds()),
        DbFault::CommitUnknown);
}

DbError ServerStatements::lostAtCommit(PGconn* conn, const DbError& why) const
{
    return DbError(
        texts::server::LostAtCommit.pick(view_.english).arg(serverOf(conn), why.message()),
        DbFault::CommitUnknown);
}

QStringList ServerStatements::warningsOf(PGconn* conn, const ServerAddress& address)
{
    namespace t = texts::server;
    QStringList warnings;
    if (address.hosts().size() > 1) {
        const auto r = run(conn,
                           QStringLiteral("SELECT current_setting('synchronous_commit'), "
                                          "current_setting('synchronous_standby_names')"),
                           {}, {}, true);
        const QString commit = QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
        const QString standbys = QString::fromUtf8(PQgetvalue(r.get(), 0, 1));
        if (standbys.trimmed().isEmpty() || commit == QLatin1String("off") ||
            commit == QLatin1String("local"))
            warnings << t::NoStandby.pick(view_.english).arg(serverOf(conn), commit, standbys);
    }
    if (!PQsslInUse(conn) && !onThisMachine(conn))
        warnings << t::PlainText.pick(view_.english).arg(serverOf(conn));
    return warnings;
}

QString ServerStatements::serverOf(PGconn* conn) const
{
    return QStringLiteral("%1:%2").arg(QString::fromUtf8(PQhost(conn)),
                                       QString::fromUtf8(PQport(conn)));
}

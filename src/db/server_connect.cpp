#include "db/server_connect.h"

#include "base/texts/server.h"
#include "db/db_error.h"
#include "db/db_setting.h"
#include "db/tls_probe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <poll.h>
#include <vector>

ServerWait::~ServerWait()
{
    if (told_ && view_.waited)
        view_.waited();
}

void ServerWait::waiting(const QString& what, qint64 waitedMs)
{
    told_ = true;
    if (view_.waiting)
        view_.waiting(what, waitedMs);
    // Paints and the window system's events; timers and sockets wait, or a
    // read's timer could store records while this connection is busy.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::X11ExcludeTimers);
}

namespace {

// libpq's value of a connection option, after its defaults and the environment.
QString optionOf(PGconn* conn, const char* keyword)
{
    const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconninfo(conn),
                                                                               &PQconninfoFree);
    for (const PQconninfoOption* o = options.get(); o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0)
            return QString::fromUtf8(o->val);
    }
    return {};
}

// Starts libpq's connection to one host of the address.
ServerConnection startHost(const ServerAddress& a, const ServerAddress::Host& host)
{
    const std::pair<const char*, QString> parts[] = {
        {"host", host.host},
        {"port", host.port},
        {"dbname", a.dbname},
        {"user", a.user},
        {"sslmode", a.sslmode},
        {"sslrootcert", a.sslrootcert},
        {"target_session_attrs", a.targetSessionAttrs},
        {"application_name", QStringLiteral("quarvenix")},
        // A dead network ends the connection within about twice the wait.
        {"keepalives", QStringLiteral("1")},
        {"keepalives_idle", QString::number(std::max(1, a.waitSeconds / 3))},
        {"keepalives_interval", QString::number(std::max(1, a.waitSeconds / 3))},
        {"keepalives_count", QStringLiteral("3")},
        {"tcp_user_timeout", QString::number(qint64(a.waitSeconds) * 1000)},
        {"client_encoding", QStringLiteral("UTF8")},
    };
    std::vector<QByteArray> texts;
    std::vector<const char*> keys, values;
    for (const auto& [key, value] : parts) {
        if (value.isEmpty())
            continue;
        texts.push_back(value.toUtf8());
        keys.push_back(key);
        values.push_back(texts.back().constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    ServerConnection conn(PQconnectStartParams(keys.data(), values.data(), 0));
    if (!conn)
        throw DbError(QStringLiteral("Out of memory while connecting to the server."));
    return conn;
}

// One host's connection, or why it failed.
struct HostAttempt {
    ServerConnection conn;
    QString failure;
};

HostAttempt tryHost(const ServerAddress& a, const ServerAddress::Host& host, ServerWait& wait,
                    const QElapsedTimer& sinceStart, bool english)
{
    ServerConnection conn = startHost(a, host);
    const QString server = QStringLiteral("%1:%2").arg(QString::fromUtf8(PQhost(conn.get())),
                                                       QString::fromUtf8(PQport(conn.get())));
    const QString connecting = texts::server::Connecting.pick(english).arg(server);
    wait.waiting(connecting, sinceStart.elapsed());
    const qint64 limitMs = qint64(a.connectTimeout) * 1000;
    QElapsedTimer clock, sinceEvents;
    clock.start();
    sinceEvents.start();
    PostgresPollingStatusType state =
        PQstatus(conn.get()) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
        const qint64 leftMs = limitMs - clock.elapsed();
        if (leftMs <= 0)
            return {nullptr,
                    texts::server::NoAnswer.pick(english).arg(server).arg(a.connectTimeout)};
        // Waits for the socket in slices, so that the window's events run in between.
        pollfd fd{PQsocket(conn.get()), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT),
                  0};
        if (fd.fd < 0 ||
            ::poll(&fd, 1, int(std::min<qint64>(leftMs, ServerWait::kEventsEveryMs))) != 0)
            state = PQconnectPoll(conn.get());
        if (sinceEvents.elapsed() >= ServerWait::kEventsEveryMs) {
            wait.waiting(connecting, sinceStart.elapsed());
            sinceEvents.restart();
        }
    }
    if (state == PGRES_POLLING_OK)
        return {std::move(conn), {}};
    const QString said = QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
    const QString why =
        tlsRefusal({QString::fromUtf8(PQhost(conn.get())), QString::fromUtf8(PQport(conn.get())),
                    optionOf(conn.get(), "sslmode"), optionOf(conn.get(), "sslrootcert"), server},
                   english, int(std::max<qint64>(limitMs - clock.elapsed(), 1000)));
    return {nullptr, why.isEmpty() ? said : why + QLatin1Char('\n') + said};
}

} // namespace

ServerConnection connectToServer(const ServerAddress& address, const ConnectView& view)
{
    ServerWait wait(view);
    QElapsedTimer sinceStart;
    sinceStart.start();
    QStringList failures;
    for (const ServerAddress::Host& host : address.hosts()) {
        HostAttempt attempt = tryHost(address, host, wait, sinceStart, view.english);
        if (attempt.conn)
            return std::move(attempt.conn);
        failures << attempt.failure;
    }
    throw DbError(failures.join(QLatin1Char('\n')));
}

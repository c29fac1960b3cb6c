#include "db/server_await.h"

#include "base/texts/server.h"
#include "db/server_connect.h"

#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace server_await {

namespace {

// The cancel request of one statement, sent from a worker thread. The thread
// is joined when it has finished and let go otherwise: a server the network
// no longer reaches can hold PQcancel for minutes.
class Canceller {
public:
    Canceller() = default;
    ~Canceller()
    {
        if (!worker_.joinable())
            return;
        if (done_->load())
            worker_.join();
        else
            worker_.detach();
    }
    Canceller(const Canceller&) = delete;
    Canceller& operator=(const Canceller&) = delete;

    void send(PGconn* conn)
    {
        PGcancel* cancel = PQgetCancel(conn);
        if (!cancel)
            return;
        done_ = std::make_shared<std::atomic<bool>>(false);
        worker_ = std::thread([cancel, done = done_] {
            char error[256];
            PQcancel(cancel, error, int(sizeof error));
            PQfreeCancel(cancel);
            done->store(true);
        });
    }

private:
    std::shared_ptr<std::atomic<bool>> done_;
    std::thread worker_;
};

// Watches the notices of one statement for the warning of a commit whose
// wait for its standby server was cancelled. Every notice goes on to the
// receiver in place before (libpq's own, which takes no argument).
class NoticeWatch {
public:
    NoticeWatch(PGconn* conn, Answer& answer) : conn_(conn), answer_(answer)
    {
        previous_ = PQsetNoticeReceiver(conn_, &NoticeWatch::receive, this);
    }
    ~NoticeWatch() { PQsetNoticeReceiver(conn_, previous_, nullptr); }
    NoticeWatch(const NoticeWatch&) = delete;
    NoticeWatch& operator=(const NoticeWatch&) = delete;

private:
    static void receive(void* arg, const PGresult* notice)
    {
        auto* watch = static_cast<NoticeWatch*>(arg);
        // The server words it in its own language; only a warning answers a cancel.
        if (watch->answer_.cancelled &&
            qstrcmp(PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED), "WARNING") == 0)
            watch->answer_.unconfirmed = true;
        if (watch->previous_)
            watch->previous_(nullptr, notice);
    }

    PGconn* conn_;
    Answer& answer_;
    PQnoticeReceiver previous_ = nullptr;
};

// Waits for the socket in slices; in between, the view hears of the wait
// (once it has lasted), the window's events run, and the bound is kept.
class Awaiter {
public:
    Awaiter(PGconn* conn, const Statement& statement, const ConnectView& view, Answer& answer)
        : conn_(conn), statement_(statement), view_(view), answer_(answer)
    {
        clock_.start();
    }

    // Until the statement is sent and a whole result is in (or no more is
    // coming); false when the connection failed or was cut off.
    bool untilReady()
    {
        for (;;) {
            const int flushed = PQflush(conn_);
            if (flushed < 0)
                return false;
            if (flushed == 0 && !PQisBusy(conn_))
                return true;
            pollfd fd{PQsocket(conn_), short(POLLIN | (flushed > 0 ? POLLOUT : 0)), 0};
            if (fd.fd < 0)
                return false;
            const int ready = ::poll(&fd, 1, ServerWait::kEventsEveryMs);
            if (ready < 0 && errno != EINTR)
                return false;
            if (ready > 0 && (fd.revents & (POLLIN | POLLERR | POLLHUP)) != 0 &&
                PQconsumeInput(conn_) == 0)
                return false;
            if (!keepWaiting())
                return false;
        }
    }

private:
    bool keepWaiting()
    {
        const qint64 ms = clock_.elapsed();
        if (ms - eventsAtMs_ >= ServerWait::kEventsEveryMs) {
            eventsAtMs_ = ms;
            if (!wait_)
                wait_.emplace(view_);
            wait_->waiting(whatIsWaited(), ms);
        }
        if (statement_.boundMs <= 0)
            return true;
        if (!answer_.cancelled && ms >= statement_.boundMs) {
            answer_.cancelled = true;
            canceller_.send(conn_);
        } else if (answer_.cancelled && ms >= 2 * qint64(statement_.boundMs)) {
            // Not even the cancel was answered: the server or the network is gone.
            answer_.cutOff = true;
            ::shutdown(PQsocket(conn_), SHUT_RDWR);
            PQconsumeInput(conn_); // finds the connection closed
            return false;
        }
        return true;
    }

    // A statement that may take long belongs to work with a window of its own.
    QString whatIsWaited()
    {
        if (statement_.boundMs <= 0)
            return {};
        if (what_.isEmpty())
            what_ = texts::server::Waiting.pick(view_.english)
                        .arg(QStringLiteral("%1:%2").arg(QString::fromUtf8(PQhost(conn_)),
                                                         QString::fromUtf8(PQport(conn_))));
        return what_;
    }

    PGconn* conn_;
    const Statement& statement_;
    const ConnectView& view_;
    Answer& answer_;
    QElapsedTimer clock_;
    qint64 eventsAtMs_ = 0;
    QString what_;
    Canceller canceller_;
    std::optional<ServerWait> wait_; // ends (and tells the view) before the canceller lets go
};

} // namespace

Answer run(PGconn* conn, const Statement& statement, const ConnectView& view)
{
    Answer answer;
    const NoticeWatch watch(conn, answer);
    if (PQsendQueryParams(conn, statement.sql.constData(), int(statement.params.size()), nullptr,
                          statement.params.data(), nullptr, nullptr, 0) == 0)
        return answer;
    Awaiter awaiter(conn, statement, view, answer);
    for (;;) {
        // A connection that failed gives its error at once; one that only
        // stopped answering is closed first, so the result is not awaited blocking.
        if (!awaiter.untilReady() && PQstatus(conn) == CONNECTION_OK) {
            ::shutdown(PQsocket(conn), SHUT_RDWR);
            PQconsumeInput(conn);
        }
        PGresult* r = PQgetResult(conn);
        if (!r)
            break;
        // The first failure is the statement's; otherwise the last result.
        const ExecStatusType kept =
            answer.result ? PQresultStatus(answer.result.get()) : PGRES_COMMAND_OK;
        if (kept == PGRES_COMMAND_OK || kept == PGRES_TUPLES_OK)
            answer.result.reset(r);
        else
            PQclear(r);
    }
    return answer;
}

} // namespace server_await

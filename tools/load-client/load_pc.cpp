#include "load_pc.h"

#include "comm/log_store.h"
#include "db/database.h"
#include "db/db_setting.h"
#include "db/sql_text.h"
#include "grid/log_grid_model.h"
#include "search/log_search.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <libpq-fe.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace load_pc {

namespace {

const QDateTime kFirstLog(QDate(2023, 1, 1), QTime(0, 0));
const QDateTime kStoredAt(QDate(2024, 5, 15), QTime(10, 30));
constexpr int kChunk = kLogStoreChunk;

QString unitOf(int pc)
{
    return QString::number(1000 + pc);
}

QString dataNumberOf(int i)
{
    return QStringLiteral("%1").arg(i % 10000, 4, 10, QLatin1Char('0'));
}

// Waits for the line that starts the work; false when the input ended.
bool waitForStart()
{
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

bool inputEnded()
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    char c = 0;
    return ::poll(&in, 1, 0) > 0 && ::read(STDIN_FILENO, &c, 1) <= 0;
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

int failed(const QString& why)
{
    std::printf("error %s\n",
                qPrintable(QString(why).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    return 1;
}

// The floor: every row through one prepared statement, a commit per chunk.
int storeBare(PGconn* c, int pc, int records)
{
    const auto ok = [c](PGresult* r) {
        const bool good = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        return good;
    };
    if (!ok(PQprepare(c, "bare_insert",
                      "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                      "VALUES ($1, $2, $3, 21, '', NULL, $4) ON CONFLICT (Unit_SN, Date, Data_No) "
                      "DO NOTHING",
                      4, nullptr)))
        return -1;
    const QByteArray unit = unitOf(pc).toUtf8(), wdate = storedDateTime(kStoredAt).toUtf8();
    int stored = 0;
    for (int first = 0; first < records; first += kChunk) {
        if (!ok(PQexec(c, "BEGIN")))
            return -1;
        for (int i = first; i < std::min(records, first + kChunk); ++i) {
            const QByteArray date = storedDateTime(kFirstLog.addSecs(60 * i)).toUtf8(),
                             number = dataNumberOf(i).toUtf8();
            const char* values[] = {unit.constData(), date.constData(), number.constData(),
                                    wdate.constData()};
            PGresult* r = PQexecPrepared(c, "bare_insert", 4, values, nullptr, nullptr, 0);
            stored += qstrcmp(PQcmdTuples(r), "1") == 0;
            if (!ok(r))
                return -1;
        }
        if (!ok(PQexec(c, "COMMIT")))
            return -1;
    }
    return stored;
}

} // namespace

QString handsetStream(int pc, int records)
{
    QString text = QStringLiteral("0A") + unitOf(pc) + QStringLiteral("0A");
    for (int i = 0; i < records; ++i) {
        const QDateTime at = kFirstLog.addSecs(60 * i);
        text += dataNumberOf(i) + QStringLiteral("0A") + at.toString(QStringLiteral("yyMMdd")) +
                QStringLiteral("0A") + at.toString(QStringLiteral("HHmmss")) +
                QStringLiteral("0A210A");
    }
    return text;
}

int store(const ServerAddress& server, int pc, int records, bool bare)
{
    if (bare) {
        const std::unique_ptr<PGconn, decltype(&PQfinish)> c(
            PQconnectdb(server.describe().toUtf8().constData()), &PQfinish);
        if (PQstatus(c.get()) != CONNECTION_OK)
            return failed(QString::fromUtf8(PQerrorMessage(c.get())));
        if (!waitForStart())
            return failed(QStringLiteral("no start"));
        const qint64 start = nowMs();
        const int stored = storeBare(c.get(), pc, records);
        if (stored < 0)
            return failed(QString::fromUtf8(PQerrorMessage(c.get())));
        std::printf("stored %d %lld %lld\n", stored, start, nowMs());
        return 0;
    }
    Database db;
    try {
        db.open(server);
    } catch (const DbError& e) {
        return failed(e.message());
    }
    const QString stream = handsetStream(pc, records);
    if (!waitForStart())
        return failed(QStringLiteral("no start"));
    const qint64 start = nowMs();
    const DecodeOutcome o = Log_Decode(db, stream, [] { return kStoredAt; });
    if (!o.ok())
        return failed(o.error);
    std::printf("stored %d %lld %lld\n", o.stored, start, nowMs());
    return 0;
}

int search(const ServerAddress& server, const QString& month)
{
    Database db;
    try {
        db.open(server);
    } catch (const DbError& e) {
        return failed(e.message());
    }
    const QDate first =
        QDate::fromString(month + QStringLiteral("/01"), QStringLiteral("yyyy/MM/dd"));
    SearchCriteria c;
    c.oneContent = false;
    for (int i = 0; i < 2; ++i) {
        const QDate d = i == 0 ? first : first.addMonths(1).addDays(-1);
        // As the main window's boxes show them.
        c.year[i] = d.toString(QStringLiteral("yyyy"));
        c.month[i] = d.toString(QStringLiteral("MM"));
        c.day[i] = d.toString(QStringLiteral("dd"));
    }
    if (!first.isValid() || !waitForStart())
        return failed(QStringLiteral("no month, or no start"));
    LogGridModel model;
    QStringList times;
    QElapsedTimer total, one;
    total.start();
    while (!inputEnded() && total.elapsed() < 10 * 60 * 1000) {
        one.start();
        const SearchOutcome o = runSearch(db, Switches{}, c, model);
        if (!o.ok())
            return failed(o.message);
        times << QString::number(one.nsecsElapsed() / 1e6, 'f', 2);
    }
    std::printf("searched %s\n", qPrintable(times.join(QLatin1Char(' '))));
    return 0;
}

} // namespace load_pc

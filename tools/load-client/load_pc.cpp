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
#include <cstdlib>
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

bool commandOk(PGresult* r)
{
    const bool good = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    return good;
}

// The rows stored by one command, or -1 when it failed.
int rowsOf(PGresult* r)
{
    const int rows = PQresultStatus(r) == PGRES_COMMAND_OK ? std::atoi(PQcmdTuples(r)) : -1;
    PQclear(r);
    return rows;
}

// The rows of PC p as a bare client sends them, made before the work starts
// (as the program's handset stream is): the fields of each row, and the
// lines of each chunk for COPY.
struct BareRows {
    QByteArray unit, wdate;
    std::vector<QByteArray> dates, numbers;
    std::vector<QByteArray> copyChunks;

    BareRows(int pc, int records)
        : unit(unitOf(pc).toUtf8()), wdate(storedDateTime(kStoredAt).toUtf8())
    {
        for (int i = 0; i < records; ++i) {
            dates.push_back(storedDateTime(kFirstLog.addSecs(60 * i)).toUtf8());
            numbers.push_back(dataNumberOf(i).toUtf8());
            if (i % kChunk == 0)
                copyChunks.emplace_back();
            copyChunks.back() +=
                unit + '\t' + dates.back() + '\t' + numbers.back() + "\t21\t\t\\N\t" + wdate + '\n';
        }
    }
};

// The naive client: every row through one prepared statement, a commit per chunk.
int storeNaive(PGconn* c, const BareRows& rows)
{
    if (!commandOk(
            PQprepare(c, "bare_insert",
                      "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                      "VALUES ($1, $2, $3, 21, '', NULL, $4) ON CONFLICT (Unit_SN, Date, Data_No) "
                      "DO NOTHING",
                      4, nullptr)))
        return -1;
    int stored = 0;
    const int records = static_cast<int>(rows.dates.size());
    for (int first = 0; first < records; first += kChunk) {
        if (!commandOk(PQexec(c, "BEGIN")))
            return -1;
        for (int i = first; i < std::min(records, first + kChunk); ++i) {
            const char* values[] = {rows.unit.constData(), rows.dates[std::size_t(i)].constData(),
                                    rows.numbers[std::size_t(i)].constData(),
                                    rows.wdate.constData()};
            const int added =
                rowsOf(PQexecPrepared(c, "bare_insert", 4, values, nullptr, nullptr, 0));
            if (added < 0)
                return -1;
            stored += added;
        }
        if (!commandOk(PQexec(c, "COMMIT")))
            return -1;
    }
    return stored;
}

// The staging table of the fastest client, made before the work starts.
bool makeStaging(PGconn* c)
{
    return commandOk(PQexec(c, "CREATE TEMP TABLE Log_Staging (Unit_SN text, Date timestamp(0), "
                               "Data_No text, Log_No smallint, Alcohol text, Tani text, "
                               "WDate timestamp(0)) ON COMMIT DELETE ROWS"));
}

// The fastest client: a chunk's rows go to a staging table in one COPY, and
// one statement moves them into Log_Data, skipping the archived logs and the
// logs stored already.
int storeCopy(PGconn* c, const BareRows& rows)
{
    int stored = 0;
    for (const QByteArray& lines : rows.copyChunks) {
        if (!commandOk(PQexec(c, "BEGIN")))
            return -1;
        PGresult* copy = PQexec(c, "COPY Log_Staging FROM STDIN");
        const bool copying = PQresultStatus(copy) == PGRES_COPY_IN;
        PQclear(copy);
        if (!copying || PQputCopyData(c, lines.constData(), int(lines.size())) != 1 ||
            PQputCopyEnd(c, nullptr) != 1 || !commandOk(PQgetResult(c)))
            return -1;
        while (PGresult* rest = PQgetResult(c))
            PQclear(rest);
        const int added = rowsOf(
            PQexec(c, "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                      "SELECT s.Unit_SN, s.Date, s.Data_No, s.Log_No, s.Alcohol, s.Tani, s.WDate "
                      "FROM Log_Staging s WHERE NOT EXISTS (SELECT 1 FROM Log_Archive a WHERE "
                      "a.Unit_SN = s.Unit_SN AND a.Date = s.Date AND a.Data_No = s.Data_No) "
                      "ON CONFLICT (Unit_SN, Date, Data_No) DO NOTHING"));
        if (added < 0 || !commandOk(PQexec(c, "COMMIT")))
            return -1;
        stored += added;
    }
    return stored;
}

// The handset's stream of PC p, as a read receives it (hexadecimal text).
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

} // namespace

std::optional<Client> clientNamed(const QString& name)
{
    for (const Client c : {Client::Program, Client::Naive, Client::Copy}) {
        if (name == nameOf(c))
            return c;
    }
    return std::nullopt;
}

QString nameOf(Client client)
{
    switch (client) {
    case Client::Naive:
        return QStringLiteral("naive");
    case Client::Copy:
        return QStringLiteral("copy");
    case Client::Program:
        break;
    }
    return QStringLiteral("program");
}

int store(const ServerAddress& server, int pc, int records, Client client)
{
    if (client != Client::Program) {
        const std::unique_ptr<PGconn, decltype(&PQfinish)> c(
            PQconnectdb(server.describe().toUtf8().constData()), &PQfinish);
        if (PQstatus(c.get()) != CONNECTION_OK || (client == Client::Copy && !makeStaging(c.get())))
            return failed(QString::fromUtf8(PQerrorMessage(c.get())));
        const BareRows rows(pc, records);
        if (!waitForStart())
            return failed(QStringLiteral("no start"));
        const qint64 start = nowMs();
        const int stored =
            client == Client::Copy ? storeCopy(c.get(), rows) : storeNaive(c.get(), rows);
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

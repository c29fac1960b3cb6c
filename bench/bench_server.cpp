// The program's two heavy database tasks on a PostgreSQL server (a throwaway
// cluster started here, Unix socket only), each against bare libpq doing the
// same work:
// - decoding and storing the hidden test button's sample stream (30,003
//   records, 30,000 rows) with Log_Decode, against the same 30,000 rows
//   inserted by one prepared INSERT ... ON CONFLICT DO NOTHING, row by row,
//   in one transaction;
// - searching all of a million stored logs into the result grid, against the
//   same SELECT read by one bare PQexec touching every field.
// Without PostgreSQL the benchmark says so and ends successfully.
#include "comm/log_decoder.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "db/database.h"
#include "db/sql_text.h"
#include "grid/log_grid_model.h"
#include "search/log_search.h"
#include "support.h"
#include "support/pg_cluster.h"
#include "support/test_db.h"

#include <QApplication>
#include <cstdio>
#include <libpq-fe.h>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kSearchLogs = 1'000'000;
const QDateTime kNow(QDate(2024, 5, 15), QTime(10, 30, 0));

void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "bench_server: unexpected result: %s\n", what);
        std::exit(1);
    }
}

// The sample's rows as parameter texts, in the order of the stream; a null
// Tani is an empty std::string with `hasTani` false.
struct Row {
    std::string unitSn, date, dataNo, logNo, alcohol, tani;
    bool hasTani;
};

std::vector<Row> sampleRows()
{
    std::vector<Row> rows;
    const std::string wdate = storedDateTime(kNow).toStdString();
    for (const LogRecord& r : decodeRecords(sampleStream())) {
        if (!r.valid)
            continue;
        rows.push_back({r.unitSn.toStdString(), storedRecordDate(r).toStdString(),
                        r.dataNo.toStdString(), std::to_string(logNumberValue(r.logNo).value_or(0)),
                        r.alcohol.toStdString(), r.unitCode.toStdString(), r.hasAlcohol()});
    }
    return rows;
}

void mustSucceed(PGresult* r, PGconn* c)
{
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "bench_server: libpq: %s\n", PQerrorMessage(c));
        std::exit(1);
    }
    PQclear(r);
}

// The floor of the store: every row through one prepared statement.
int insertBare(PGconn* c, const std::vector<Row>& rows, const std::string& wdate)
{
    mustSucceed(PQexec(c, "BEGIN"), c);
    mustSucceed(PQprepare(c, "bare_insert",
                          "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                          "WDate) VALUES ($1, $2, $3, $4, $5, $6, $7) ON CONFLICT (Unit_SN, Date, "
                          "Data_No) DO NOTHING",
                          7, nullptr),
                c);
    int stored = 0;
    for (const Row& r : rows) {
        const char* v[] = {r.unitSn.c_str(),  r.date.c_str(),
                           r.dataNo.c_str(),  r.logNo.c_str(),
                           r.alcohol.c_str(), r.hasTani ? r.tani.c_str() : nullptr,
                           wdate.c_str()};
        PGresult* res = PQexecPrepared(c, "bare_insert", 7, v, nullptr, nullptr, 0);
        stored += std::string(PQcmdTuples(res)) == "1";
        mustSucceed(res, c);
    }
    mustSucceed(PQexec(c, "DEALLOCATE bare_insert"), c);
    mustSucceed(PQexec(c, "COMMIT"), c);
    return stored;
}

// The floor of the search: the whole result in one PQexec, every field touched.
long long readBare(PGconn* c, const QByteArray& sql)
{
    PGresult* r = PQexec(c, sql.constData());
    long long bytes = 0;
    for (int row = 0; row < PQntuples(r); ++row) {
        for (int col = 0; col < PQnfields(r); ++col) {
            if (!PQgetisnull(r, row, col) && PQgetvalue(r, row, col))
                bytes += PQgetlength(r, row, col);
        }
    }
    expect(PQntuples(r) == kSearchLogs, "the bare read returns every log");
    PQclear(r);
    return bytes;
}

void benchStore(Database& db)
{
    const QString sample = sampleStream();
    const std::vector<Row> rows = sampleRows();
    const std::string wdate = storedDateTime(kNow).toStdString();
    const Clock clock = fixedClock(kNow);
    const auto empty = [&] { db.execute(QStringLiteral("DELETE FROM Log_Data")); };

    const bench::Timing floor = bench::measure(
        kRuns, [&] { expect(insertBare(db.serverHandle(), rows, wdate) == 30000, "bare 30,000"); },
        empty);
    const bench::Timing ours = bench::measure(
        kRuns,
        [&] {
            const DecodeOutcome outcome = Log_Decode(db, sample, clock);
            expect(outcome.ok() && outcome.stored == 30000, "30,000 rows stored");
        },
        empty);
    const bench::Timing again = bench::measure(kRuns, [&] {
        const DecodeOutcome outcome = Log_Decode(db, sample, clock);
        expect(outcome.ok() && outcome.stored == 0, "all duplicates");
    });
    std::printf(
        "decode+store of the sample stream (%zu valid records; floor: bare libpq prepared INSERT "
        "... ON CONFLICT DO NOTHING in one transaction; target: ratio at most 2)\n",
        rows.size());
    bench::report("  Log_Decode sample into an empty table", ours, floor);
    bench::report("  Log_Decode sample again (all duplicates)", again, floor);
}

void benchSearch(Database& db)
{
    db.execute(bench::fillLogsStatement(DbEngine::Postgresql, kSearchLogs));
    db.execute(QStringLiteral("VACUUM ANALYZE Log_Data"));
    SearchCriteria all;
    all.dateRange = false;
    all.oneContent = false;
    const Switches sw{};
    const QByteArray sql = db.translate(buildSearchStatement(db, all, sw)).toUtf8();

    LogGridModel model;
    int rows = 0;
    const bench::Timing ours = bench::measure(
        kRuns, [&] { rows = runSearch(db, sw, all, model).rows; }, [&] { model.clearRows(); });
    expect(rows == kSearchLogs, "the search finds every log");
    model.clearRows();
    const bench::Timing floor = bench::measure(kRuns, [&] { readBare(db.serverHandle(), sql); });
    std::printf("search of all %d logs into the grid (floor: the same SELECT read by one bare "
                "libpq PQexec; target: ratio at most 2)\n",
                kSearchLogs);
    bench::report("  runSearch, all logs", ours, floor);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString why;
    if (!PgCluster::instance(&why)) {
        std::printf("PostgreSQL: skipped (%s)\n", qPrintable(why));
        return 0;
    }
    {
        TestApp server(DbEngine::Postgresql, Switches{});
        benchStore(server.db);
    }
    TestApp server(DbEngine::Postgresql, Switches{});
    benchSearch(server.db);
    return 0;
}

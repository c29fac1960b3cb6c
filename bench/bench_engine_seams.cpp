// The engine layer's two hot-path seams on both engines, each against the
// simplest bare use of the engine's own library doing the same work:
// - RowStream reading every field of a million V_Log_Data rows, against the
//   same SELECT read by bare sqlite3 stepping, and by one bare libpq PQexec
//   (which holds the whole result in memory; the stream does not);
// - LogRowWriter storing 30,000 rows (a tenth of them twice) in one
//   transaction through storeAll(), as the program stores a read, against a
//   bare prepared INSERT OR IGNORE (SQLite) and a bare prepared INSERT ... ON
//   CONFLICT DO NOTHING (libpq), row by row.
// The server is a throwaway PostgreSQL cluster started here (Unix socket only).
#include "db/database.h"
#include "db/log_row_writer.h"
#include "db/row_stream.h"
#include "support.h"
#include "support/pg_cluster.h"
#include "support/test_db.h"

#include <QCoreApplication>
#include <cstdio>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kReadRows = 1'000'000;
constexpr int kWriteRows = 30'000;
constexpr int kRuns = 5;
const QString kSearch = QStringLiteral("SELECT * From V_Log_Data  ;");

[[noreturn]] void die(const QString& why)
{
    std::fprintf(stderr, "bench_engine_seams: %s\n", qPrintable(why));
    std::exit(1);
}

std::vector<LogRow> rowsToWrite()
{
    std::vector<LogRow> rows;
    for (int i = 0; i < kWriteRows; ++i) {
        const int k = i % 10 == 9 ? i - 9 : i; // every tenth row repeats an earlier one
        LogRow r;
        r.unitSn = QStringLiteral("%1").arg(k % 20 + 1, 4, 10, QLatin1Char('0'));
        r.date = QDateTime(QDate(2024, 1, 1), QTime(0, 0))
                     .addSecs(k * 61)
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        r.dataNo = QString::number(k);
        r.logNo = k % 30 + 1;
        r.alcohol = k % 3 == 0 ? QStringLiteral("0.150") : QString(QLatin1String(""));
        r.tani = k % 3 == 0 ? QStringLiteral("01") : QString();
        r.wdate = QStringLiteral("2024-05-15 10:30:00");
        rows.push_back(r);
    }
    return rows;
}

std::size_t readWithStream(Database& db)
{
    std::size_t bytes = 0;
    RowStream rows(db, kSearch);
    while (rows.next()) {
        for (int c = 0; c < rows.columnCount(); ++c)
            bytes += rows.isNull(c) ? 0 : rows.text(c).size();
    }
    return bytes;
}

std::size_t readBareSqlite(Database& db)
{
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = db.translate(kSearch).toUtf8();
    sqlite3_prepare_v2(db.sqliteHandle(), sql.constData(), -1, &st, nullptr);
    std::size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            sqlite3_column_text(st, c);
            bytes += std::size_t(sqlite3_column_bytes(st, c));
        }
    }
    sqlite3_finalize(st);
    return bytes;
}

std::size_t readBareLibpq(Database& db)
{
    const QByteArray sql = db.translate(kSearch).toUtf8();
    PGresult* r = PQexec(db.serverHandle(), sql.constData());
    std::size_t bytes = 0;
    for (int row = 0; row < PQntuples(r); ++row) {
        for (int c = 0; c < PQnfields(r); ++c) {
            if (!PQgetisnull(r, row, c) && PQgetvalue(r, row, c))
                bytes += std::size_t(PQgetlength(r, row, c));
        }
    }
    PQclear(r);
    return bytes;
}

int writeWithWriter(Database& db, const std::vector<LogRow>& rows)
{
    Transaction tx(db);
    const int stored = LogRowWriter(db).storeAll(rows);
    tx.commit();
    return stored;
}

int writeBareSqlite(Database& db, const std::vector<LogRow>& rows)
{
    sqlite3* h = db.sqliteHandle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT OR IGNORE INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                       "Tani, WDate) VALUES (?, ?, ?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    int stored = 0;
    for (const LogRow& r : rows) {
        const QString* texts[] = {&r.unitSn, &r.date, &r.dataNo};
        for (int i = 0; i < 3; ++i)
            sqlite3_bind_text16(st, i + 1, texts[i]->utf16(), int(texts[i]->size() * 2),
                                SQLITE_STATIC);
        sqlite3_bind_int(st, 4, r.logNo);
        sqlite3_bind_text16(st, 5, r.alcohol.utf16(), int(r.alcohol.size() * 2), SQLITE_STATIC);
        if (r.tani.isNull())
            sqlite3_bind_null(st, 6);
        else
            sqlite3_bind_text16(st, 6, r.tani.utf16(), int(r.tani.size() * 2), SQLITE_STATIC);
        sqlite3_bind_text16(st, 7, r.wdate.utf16(), int(r.wdate.size() * 2), SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
        stored += sqlite3_changes(h);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    return stored;
}

int writeBareLibpq(Database& db, const std::vector<LogRow>& rows)
{
    PGconn* c = db.serverHandle();
    PQclear(PQexec(c, "BEGIN"));
    PQclear(PQprepare(c, "bare_insert",
                      "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                      "VALUES ($1, $2, $3, $4, $5, $6, $7) ON CONFLICT (Unit_SN, Date, Data_No) "
                      "DO NOTHING",
                      7, nullptr));
    int stored = 0;
    for (const LogRow& r : rows) {
        const QByteArray t[] = {
            r.unitSn.toUtf8(),  r.date.toUtf8(), r.dataNo.toUtf8(), QByteArray::number(r.logNo),
            r.alcohol.toUtf8(), r.tani.toUtf8(), r.wdate.toUtf8()};
        const char* v[7];
        for (int i = 0; i < 7; ++i)
            v[i] = t[i].constData();
        if (r.tani.isNull())
            v[5] = nullptr;
        PGresult* res = PQexecPrepared(c, "bare_insert", 7, v, nullptr, nullptr, 0);
        stored += QByteArray(PQcmdTuples(res)) == "1";
        PQclear(res);
    }
    PQclear(PQexec(c, "DEALLOCATE bare_insert"));
    PQclear(PQexec(c, "COMMIT"));
    return stored;
}

void run(const char* engineName, Database& readDb, Database& writeDb,
         const std::function<std::size_t(Database&)>& bareRead,
         const std::function<int(Database&, const std::vector<LogRow>&)>& bareWrite)
{
    std::size_t streamBytes = 0, bareBytes = 0;
    const double streamMs = bench::bestMs(kRuns, [&] { streamBytes = readWithStream(readDb); });
    const double bareReadMs = bench::bestMs(kRuns, [&] { bareBytes = bareRead(readDb); });
    if (streamBytes != bareBytes)
        die(QStringLiteral("the stream read %1 bytes, the bare read %2")
                .arg(streamBytes)
                .arg(bareBytes));
    std::printf("%s: RowStream reads every field of %d rows (%zu bytes)\n", engineName, kReadRows,
                streamBytes);
    bench::report("  RowStream, search of a million logs", streamMs, bareReadMs);

    const std::vector<LogRow> rows = rowsToWrite();
    const auto empty = [&] { writeDb.execute(QStringLiteral("DELETE FROM Log_Data")); };
    int stored = 0, bareStored = 0;
    const double writeMs = bench::bestMs(
        kRuns, [&] { stored = writeWithWriter(writeDb, rows); }, empty);
    const double bareWriteMs = bench::bestMs(
        kRuns, [&] { bareStored = bareWrite(writeDb, rows); }, empty);
    if (stored != bareStored || stored != kWriteRows - kWriteRows / 10)
        die(QStringLiteral("stored %1 rows, the bare insert %2").arg(stored).arg(bareStored));
    std::printf("%s: LogRowWriter stores %d of %d rows in one transaction\n", engineName, stored,
                kWriteRows);
    bench::report("  LogRowWriter, 30,000 rows", writeMs, bareWriteMs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    TestApp file(DbEngine::Sqlite, Switches{});
    file.db.execute(bench::fillLogsStatement(DbEngine::Sqlite, kReadRows));
    TestApp fileWrites(DbEngine::Sqlite, Switches{});
    run("SQLite", file.db, fileWrites.db, readBareSqlite, writeBareSqlite);

    QString why;
    if (!PgCluster::instance(&why)) {
        std::printf("PostgreSQL: skipped (%s)\n", qPrintable(why));
        return 0;
    }
    TestApp server(DbEngine::Postgresql, Switches{});
    server.db.execute(bench::fillLogsStatement(DbEngine::Postgresql, kReadRows));
    server.db.execute(QStringLiteral("VACUUM ANALYZE Log_Data"));
    TestApp serverWrites(DbEngine::Postgresql, Switches{});
    run("PostgreSQL", server.db, serverWrites.db, readBareLibpq, writeBareLibpq);
    return 0;
}

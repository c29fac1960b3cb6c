// The start and the exit of the program over a large database. The start's
// connection (claim, open, checks, upgrade) on a current file and on one an
// earlier version made, against a bare open that reads the schema. The
// compaction step of the exit: once with nothing to reclaim (the file is left
// alone) against a bare open and the two page counts read by sqlite3, and
// once after the older half of the logs was deleted (copy, full check,
// rename) against a bare VACUUM INTO of the same file by sqlite3, and against
// that VACUUM INTO followed by the same check.
//
//   bench_exit [--logs N] [--runs R]     (default 1,000,000 logs, 3 runs)
#include "base/app_context.h"
#include "db/compaction.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "db/schema.h"
#include "start/program_db.h"
#include "support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <string>

using bench::measure;
using bench::report;
using bench::Timing;

namespace {

constexpr double kTargetMs = 5000.0;

// Runs statements on a file through the bare sqlite3 API; a failure ends
// the benchmark.
void runSql(const QString& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    char* error = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error ? error : sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_close(db);
}

// A delivered Japanese database holding `logs` logs of 100 handsets, one
// every 15 seconds from 2020 on, stored in time order as reads store them.
void buildDatabase(const QString& path, long logs)
{
    bench::createDeliveredDb(path);
    runSql(path, "PRAGMA synchronous = OFF; "
                 "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                     std::to_string(logs - 1) +
                     "), "
                     "l(i, no, at) AS (SELECT i, json_extract('[21,41,8,21,41,8,9,10,17,1,55]', "
                     "printf('$[%d]', i % 11)), datetime(1577836800 + i * 15, 'unixepoch') FROM n) "
                     "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                     "SELECT printf('%04d', i % 100 + 1), at, printf('%04d', (i / 100) % 10000), "
                     "no, CASE WHEN no IN (8, 9, 10) THEN printf('0.%03d', i % 1000) ELSE '' END, "
                     "CASE WHEN no IN (8, 9, 10) THEN '01' END, at FROM l");
}

void copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(from));
        std::exit(1);
    }
}

// What the first release made: no version kept, plain indexes where the
// unique keys are now.
std::string oldStyleSql()
{
    std::string sql = "DROP TABLE Db_Version;";
    for (const schema::UniqueKey& key : schema::uniqueKeys()) {
        sql += ("DROP INDEX " + key.index + ";").toStdString();
        if (!key.trimmedIndex.isEmpty())
            sql += ("DROP INDEX " + key.trimmedIndex + ";").toStdString();
        sql += QStringLiteral("CREATE INDEX %1 ON %2 (%3);")
                   .arg(key.replaces, key.table, key.fields.join(QLatin1Char(',')))
                   .toStdString();
    }
    return sql;
}

const char* kindName(CompactOutcome::Kind kind)
{
    switch (kind) {
    case CompactOutcome::Kind::Compacted:
        return "compacted";
    case CompactOutcome::Kind::Skipped:
        return "skipped";
    case CompactOutcome::Kind::Damaged:
        return "damaged";
    case CompactOutcome::Kind::Failed:
        return "failed";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    long logs = 1'000'000;
    int runs = 3;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--logs"))
            logs = args[i + 1].toLong();
        else if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
    }
    if (logs < 2 || runs < 1) {
        std::fprintf(stderr, "usage: bench_exit [--logs N] [--runs R]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full.db"));
    const QString half = dir.filePath(QStringLiteral("half.db"));
    const QString appDir = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(appDir);
    const QString path = QDir(appDir).filePath(QString::fromLatin1(kDbFileJapanese));
    const QString bareCopy = dir.filePath(QStringLiteral("bare-copy.db"));

    std::printf("Building a database of %ld logs...\n", logs);
    std::fflush(stdout);
    const double buildMs = bench::bestMs(1, [&] { buildDatabase(full, logs); });
    copyFile(full, half);
    // The older half goes, as the preservation window deletes what lies before a date.
    runSql(half, "DELETE FROM Log_Data WHERE rowid <= " + std::to_string(logs / 2));
    std::printf("built in %.1f s: %.0f MB; with the older half deleted %.0f MB (its free pages "
                "stay in the file)\n\n",
                buildMs / 1000.0, double(QFileInfo(full).size()) / 1e6,
                double(QFileInfo(half).size()) / 1e6);

    const Switches sw;
    const QString old = dir.filePath(QStringLiteral("old.db"));
    copyFile(full, old);
    runSql(old, oldStyleSql());
    Database db;
    AppContext ctx;
    ctx.sw = sw;
    ctx.appDir = appDir;
    ctx.db = &db;
    const auto connect = [&] {
        ProgramDb program; // its claim goes with it
        if (!DB_Connect(ctx, program)) {
            std::fprintf(stderr, "the start-up's connection failed\n");
            std::exit(1);
        }
        db.close();
    };
    const auto bareOpen = [&] { runSql(path, "SELECT count(*) FROM sqlite_master"); };
    std::printf("start-up connection (floor: a bare open reading the schema)\n");
    report("start, current file", measure(runs, connect, [&] { copyFile(full, path); }),
           measure(runs, bareOpen));
    report("start, file of an earlier version (upgraded)",
           measure(runs, connect, [&] { copyFile(old, path); }), measure(runs, bareOpen));
    std::printf("\n");

    CompactOutcome outcome;
    const auto compact = [&] { outcome = DB_Compact(appDir, sw); };

    std::printf("exit with nothing to reclaim (floor: bare open, page_count and freelist_count)\n");
    const Timing skip = measure(runs, compact, [&] { copyFile(full, path); });
    report("compaction step, nothing to reclaim", skip,
           measure(runs, [&] { runSql(path, "PRAGMA page_count; PRAGMA freelist_count"); }));
    const std::string vacuum = "VACUUM INTO '" + bareCopy.toStdString() + "'";
    const auto bareVacuum = [&](bool checkCopy) {
        QFile::remove(bareCopy);
        runSql(path, vacuum);
        if (checkCopy)
            runSql(bareCopy, "PRAGMA integrity_check(1)");
    };
    const Timing fullVacuum = measure(runs, [&] { bareVacuum(false); });
    std::printf("    %s; a bare VACUUM INTO of this file takes %.1f ms (processor %.1f ms), the "
                "copy skipped\n",
                kindName(outcome.kind), fullVacuum.wallMs, fullVacuum.cpuMs);

    std::printf("\nexit after deleting the older half of the logs (floors: a bare VACUUM INTO of "
                "the same file by sqlite3, and that copy's integrity_check; target under "
                "%.0f ms at 1,000,000 logs)\n",
                kTargetMs);
    const Timing compacted = measure(runs, compact, [&] { copyFile(half, path); });
    const CompactOutcome halfOutcome = outcome;
    copyFile(half, path);
    report("compaction step, half deleted", compacted, measure(runs, [&] { bareVacuum(false); }));
    report("  against VACUUM INTO + integrity_check", compacted,
           measure(runs, [&] { bareVacuum(true); }));
    std::printf("    %s%s%s: %.0f MB -> %.0f MB\n", kindName(halfOutcome.kind),
                halfOutcome.detail.isEmpty() ? "" : " ", qPrintable(halfOutcome.detail),
                double(QFileInfo(half).size()) / 1e6, double(QFileInfo(bareCopy).size()) / 1e6);
    return outcome.ok() && halfOutcome.kind == CompactOutcome::Kind::Compacted ? 0 : 1;
}

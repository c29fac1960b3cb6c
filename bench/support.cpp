#include "support.h"

#include "db/delivered_db.h"
#include "db/log_master_file.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

double bestMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

void createDeliveredDb(const QString& path)
{
    QFile masterFile(QStringLiteral(QVX_LOG_MASTER_FILE));
    if (!masterFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", QVX_LOG_MASTER_FILE);
        std::exit(1);
    }
    const QString error =
        delivered_db::create(path, false, log_master_file::parse(masterFile.readAll()).entries,
                             QDateTime(QDate(2025, 1, 10), QTime(9, 0)));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
}

QString fillLogsStatement(DbEngine engine, int rows)
{
    if (engine == DbEngine::Postgresql)
        return QStringLiteral(
                   "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
                   "SELECT lpad((i % 50 + 1)::text, 4, '0'), timestamp '2020-01-01' + i * "
                   "interval '37 seconds', (i / 50)::text, i % 30 + 1, CASE WHEN i % 3 = 0 THEN "
                   "'0.150' ELSE '' END, CASE WHEN i % 3 = 0 THEN '01' END, "
                   "timestamp '2024-05-15 10:30:00' FROM generate_series(0, %1) i")
            .arg(rows - 1);
    return QStringLiteral(
               "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
               "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
               "SELECT substr('000' || (i % 50 + 1), -4), datetime('2020-01-01', '+' || (i * "
               "37) || ' seconds'), i / 50, i % 30 + 1, CASE WHEN i % 3 = 0 THEN '0.150' ELSE "
               "'' END, CASE WHEN i % 3 = 0 THEN '01' END, '2024-05-15 10:30:00' FROM n")
        .arg(rows - 1);
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void report(const char* name, double ms, double floorMs)
{
    std::printf("%-48s %10.1f ms   floor %10.1f ms   ratio %5.2f\n", name, ms, floorMs,
                floorMs > 0 ? ms / floorMs : 0.0);
    std::fflush(stdout);
}

namespace {

double cpuNowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

Timing measure(int runs, const std::function<void()>& work, const std::function<void()>& prepare)
{
    Timing best;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const double cpu0 = cpuNowMs();
        best.wallMs = std::min(best.wallMs, bestMs(1, work));
        best.cpuMs = std::min(best.cpuMs, cpuNowMs() - cpu0);
    }
    return best;
}

std::pair<Timing, Timing> measureInTurns(int runs, const std::function<void()>& a,
                                         const std::function<void()>& b,
                                         const std::function<void()>& prepareA)
{
    std::pair<Timing, Timing> best;
    for (int i = 0; i < runs; ++i) {
        const Timing ta = measure(1, a, prepareA), tb = measure(1, b);
        best.first = {std::min(best.first.wallMs, ta.wallMs), std::min(best.first.cpuMs, ta.cpuMs)};
        best.second = {std::min(best.second.wallMs, tb.wallMs),
                       std::min(best.second.cpuMs, tb.cpuMs)};
    }
    return best;
}

void report(const char* name, const Timing& ours, const Timing& floor)
{
    report(name, ours.wallMs, floor.wallMs);
    std::printf("    processor time %10.1f ms   floor %10.1f ms   ratio %5.2f\n", ours.cpuMs,
                floor.cpuMs, floor.cpuMs > 0 ? ours.cpuMs / floor.cpuMs : 0.0);
    std::fflush(stdout);
}

} // namespace bench

// Many PCs on one PostgreSQL server at once (a throwaway cluster started
// here, Unix socket): K PCs, each a process of its own (qvx-load-client),
// store a read of N records with the program's storage step while M PCs
// search one month of 200,000 stored logs again and again, for K = 1, 8 and
// 32. Against the same K bare libpq clients storing the same rows the
// fastest way without duplicates (each chunk of 5,000 by COPY into a staging
// table, then one INSERT … SELECT … ON CONFLICT DO NOTHING that skips the
// archived logs): the floor. Beside it the naive bare client (one prepared
// INSERT per row, a commit per 5,000 rows). It prints the store rates, the
// month search's p50 and p95 under the program's load against those of the
// same searchers on the idle server, and the logs lost and stored twice
// (counted by key; all must be 0). Then the same on a primary whose commits
// wait for a synchronous standby, for what that costs.
//
//   bench_server_load [--records N] [--pcs 1,8,32] [--searchers M] [--no-standby]
//
// Without PostgreSQL the benchmark says so and ends successfully.
#include "db/database.h"
#include "support.h"
#include "support/pg_cluster.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>
#include <cstdio>

namespace {

constexpr int kSearchedLogs = 200'000; // 2020-01-01 to 2020-03-27; February holds 67,700

struct Figures {
    QHash<QString, QString> values;
    double number(const char* key) const { return values.value(QLatin1String(key)).toDouble(); }
};

// One run of qvx-load-client (pcs 0: the searchers on the idle server);
// ends the benchmark when it fails.
Figures loadRun(const ServerAddress& server, int pcs, int records, int searchers,
                const char* client)
{
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList args{"run",
                           server.describe(),
                           "--pcs",
                           QString::number(pcs),
                           "--records",
                           QString::number(records),
                           "--searchers",
                           QString::number(searchers),
                           "--client",
                           client,
                           "--idle-seconds",
                           "20"};
    run.start(QCoreApplication::applicationDirPath() + "/qvx-load-client", args);
    if (!run.waitForFinished(-1) || run.exitCode() != 0) {
        std::fprintf(stderr, "bench_server_load: the load run failed: %s\n",
                     run.readAll().constData());
        std::exit(1);
    }
    Figures f;
    for (const QString& pair : QString::fromUtf8(run.readAll()).trimmed().split(' '))
        f.values.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return f;
}

// The table for one server; the program's store rates by K.
QList<double> measure(PgCluster& cluster, const QList<int>& pcsList, int records, int searchers)
{
    const QString name = cluster.seededDatabase(delivered_db::DeliveredFile::Japanese);
    const ServerAddress server = cluster.address(name);
    cluster.exec(bench::fillLogsStatement(DbEngine::Postgresql, kSearchedLogs), name);
    cluster.exec("VACUUM ANALYZE Log_Data", name);
    const Figures idle = loadRun(server, 0, records, searchers, "program");
    std::printf("month search on the idle server: p50 %.0f ms, p95 %.0f ms (%s searches)\n",
                idle.number("search_p50"), idle.number("search_p95"),
                qPrintable(idle.values.value("searches")));
    std::printf("%5s %11s %11s %6s %11s %6s %22s %11s %6s %11s\n", "PCs", "ours rec/s",
                "COPY rec/s", "ratio", "naive rec/s", "ratio", "month search p50/p95", "/ idle",
                "lost", "duplicated");
    QList<double> rates;
    for (const int pcs : pcsList) {
        const Figures ours = loadRun(server, pcs, records, searchers, "program");
        cluster.exec("VACUUM Log_Data", name);
        const Figures copy = loadRun(server, pcs, records, searchers, "copy");
        cluster.exec("VACUUM Log_Data", name);
        const Figures naive = loadRun(server, pcs, records, searchers, "naive");
        cluster.exec("VACUUM Log_Data", name);
        rates << ours.number("rate");
        const double rate = std::max(ours.number("rate"), 1.0);
        std::printf("%5d %11.0f %11.0f %6.2f %11.0f %6.2f %11.0f / %6.0f ms %5.2f/%5.2f %6.0f "
                    "%11.0f\n",
                    pcs, ours.number("rate"), copy.number("rate"), copy.number("rate") / rate,
                    naive.number("rate"), naive.number("rate") / rate, ours.number("search_p50"),
                    ours.number("search_p95"),
                    ours.number("search_p50") / std::max(idle.number("search_p50"), 0.001),
                    ours.number("search_p95") / std::max(idle.number("search_p95"), 0.001),
                    ours.number("lost") + copy.number("lost") + naive.number("lost"),
                    ours.number("duplicated") + copy.number("duplicated") +
                        naive.number("duplicated"));
        std::fflush(stdout);
    }
    return rates;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int records = 20'000, searchers = 4;
    QList<int> pcsList{1, 8, 32};
    bool standby = true;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--records" && i + 1 < args.size())
            records = args[++i].toInt();
        else if (args[i] == "--searchers" && i + 1 < args.size())
            searchers = args[++i].toInt();
        else if (args[i] == "--pcs" && i + 1 < args.size()) {
            pcsList.clear();
            for (const QString& k : args[++i].split(','))
                pcsList << k.toInt();
        } else if (args[i] == "--no-standby")
            standby = false;
    }
    const int connections = *std::max_element(pcsList.begin(), pcsList.end()) + searchers + 10;
    QString why;
    const auto single =
        PgCluster::create({.synchronousCommit = true, .maxConnections = connections}, &why);
    if (!single) {
        std::printf("PostgreSQL: skipped (%s)\n", qPrintable(why));
        return 0;
    }
    std::printf("store of %d records per PC while %d PCs search a month (ratio: the bare "
                "client's rate / ours; goal: at most 2 against COPY)\none server, "
                "synchronous_commit on:\n",
                records, searchers);
    const QList<double> alone = measure(*single, pcsList, records, searchers);
    single->stop();
    if (!standby)
        return 0;
    const auto primary =
        PgCluster::create({.replication = true, .maxConnections = connections}, &why);
    const auto follower = primary ? primary->startStandby(&why) : nullptr;
    if (!follower) {
        std::printf("synchronous standby: skipped (%s)\n", qPrintable(why));
        return 0;
    }
    std::printf("a primary whose commits wait for a synchronous standby:\n");
    const QList<double> replicated = measure(*primary, pcsList, records, searchers);
    for (qsizetype i = 0; i < pcsList.size(); ++i)
        std::printf("synchronous standby, %d PCs: the program stores %.0f%% of the rate alone\n",
                    pcsList[i], 100.0 * replicated[i] / std::max(alone[i], 1.0));
    return 0;
}

#include "load_run.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "load_pc.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kReadyMs = 120'000;     // to connect
constexpr int kStoreMs = 3'600'000;   // to store one read
constexpr int kSearchEndMs = 120'000; // to finish the search under way

using Pc = std::unique_ptr<QProcess>;

Pc startPc(const QStringList& args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(), args);
    return p;
}

// The PC's next line of output; "" when it ended or took too long.
QByteArray lineOf(QProcess& p, int waitMs)
{
    while (!p.canReadLine() && p.waitForReadyRead(waitMs)) {
    }
    return p.canReadLine() ? p.readLine().trimmed() : p.readAll().trimmed();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = std::size_t(std::ceil(p * double(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

int refused(const QByteArray& what)
{
    std::fprintf(stderr, "qvx-load-client: %s\n", what.constData());
    return 1;
}

} // namespace

int runLoad(const ServerAddress& server, const QString& conninfo, const LoadRun& r)
{
    Database db;
    const QVariantList units{QString::fromLatin1(load_pc::kFirstUnit),
                             QString::fromLatin1(load_pc::kLastUnit)};
    try {
        db.open(server);
        db.execute(QStringLiteral("DELETE FROM Log_Data WHERE Unit_SN BETWEEN ? AND ?"), units);
    } catch (const DbError& e) {
        return refused(e.message().toUtf8());
    }
    std::vector<Pc> stores, searches;
    for (int pc = 1; pc <= r.pcs; ++pc) {
        QStringList args{QStringLiteral("store"),     conninfo,
                         QStringLiteral("--pc"),      QString::number(pc),
                         QStringLiteral("--records"), QString::number(r.records)};
        args << QStringLiteral("--client") << load_pc::nameOf(r.client);
        stores.push_back(startPc(args));
    }
    for (int s = 0; s < r.searchers; ++s)
        searches.push_back(
            startPc({QStringLiteral("search"), conninfo, QStringLiteral("--month"), r.month}));
    // All start at one moment, once every one is connected.
    for (auto* group : {&stores, &searches}) {
        for (const Pc& p : *group) {
            const QByteArray said = lineOf(*p, kReadyMs);
            if (said != "ready")
                return refused("a PC did not start: " + said);
        }
    }
    for (auto* group : {&stores, &searches}) {
        for (const Pc& p : *group)
            p->write("go\n");
    }
    // Written now: a process's input goes out only while the caller waits on that process.
    for (auto* group : {&stores, &searches}) {
        for (const Pc& p : *group) {
            while (p->bytesToWrite() > 0 && p->waitForBytesWritten(kReadyMs)) {
            }
        }
    }
    // An idle server: the searchers alone, for a while.
    if (stores.empty())
        QThread::sleep(static_cast<unsigned long>(std::max(r.idleSeconds, 0)));
    qint64 first = 0, last = 0;
    long long stored = 0;
    for (const Pc& p : stores) {
        const QList<QByteArray> said = lineOf(*p, kStoreMs).split(' ');
        if (said.size() != 4 || said[0] != "stored" || !p->waitForFinished(kReadyMs))
            return refused("a PC did not store: " + said.join(' '));
        stored += said[1].toLongLong();
        first = first == 0 ? said[2].toLongLong() : std::min(first, said[2].toLongLong());
        last = std::max(last, said[3].toLongLong());
    }
    std::vector<double> times;
    for (const Pc& p : searches) {
        p->closeWriteChannel();
        const QList<QByteArray> said = lineOf(*p, kSearchEndMs).split(' ');
        if (said.value(0) != "searched" || !p->waitForFinished(kReadyMs))
            return refused("a PC did not search: " + said.join(' '));
        for (qsizetype i = 1; i < said.size(); ++i)
            times.push_back(said[i].toDouble());
    }
    long long rows = 0, keys = 0;
    try {
        RowStream count(db,
                        QStringLiteral("SELECT count(*), count(DISTINCT (RTRIM(Unit_SN), Date, "
                                       "Data_No)) FROM Log_Data WHERE Unit_SN BETWEEN ? AND ?"),
                        units, RowStream::kWhole);
        count.next();
        rows = count.integer(0);
        keys = count.integer(1);
    } catch (const DbError& e) {
        return refused(e.message().toUtf8());
    }
    const double seconds = stores.empty() ? 0.0 : std::max<qint64>(last - first, 1) / 1000.0;
    const long long lost = qint64(r.pcs) * r.records - keys, duplicated = rows - keys;
    std::printf("pcs=%d records=%d searchers=%d store=%s stored=%lld seconds=%.3f rate=%.0f "
                "searches=%zu search_p50=%.1f search_p95=%.1f lost=%lld duplicated=%lld\n",
                r.pcs, r.records, r.searchers, qPrintable(load_pc::nameOf(r.client)), stored,
                seconds, seconds > 0 ? double(stored) / seconds : 0.0, times.size(),
                percentile(times, 0.5), percentile(times, 0.95), lost, duplicated);
    return lost == 0 && duplicated == 0 ? 0 : 1;
}

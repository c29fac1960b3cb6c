#include "timing.h"

#include <QFile>
#include <cstdio>

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

} // namespace bench

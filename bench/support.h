#pragma once

#include "db/db_engine.h"

#include <QString>
#include <chrono>
#include <functional>
#include <utility>

// Small helpers shared by the benchmarks.
namespace bench {

// Best wall-clock time of `runs` runs, in milliseconds. `prepare` runs before
// each run and is not timed.
double bestMs(int runs, const std::function<void()>& work,
              const std::function<void()>& prepare = {});

// Creates a delivered Japanese database at path, with the project's log
// master; ends the benchmark on failure.
void createDeliveredDb(const QString& path);

// One statement that stores `rows` logs of 50 units, one every 37 seconds
// from 2020, a third with a measured value: the same rows on both engines.
QString fillLogsStatement(DbEngine engine, int rows);

// Resident memory of this process in kilobytes (from /proc/self/status).
long residentKb();

// Prints "name  value ms   floor ms   ratio".
void report(const char* name, double ms, double floorMs);

// Best wall-clock and best processor time of some runs, in milliseconds: the
// processor time shows the work itself while other programs share the machine.
struct Timing {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};
Timing measure(int runs, const std::function<void()>& work,
               const std::function<void()>& prepare = {});
// The same for two pieces of work run in turns (a, b, a, b, ...), so that a load on the
// machine that comes and goes weighs on both alike; the best times of each.
std::pair<Timing, Timing> measureInTurns(int runs, const std::function<void()>& a,
                                         const std::function<void()>& b,
                                         const std::function<void()>& prepareA = {});
// Prints the wall-clock line and, under it, the processor times and their ratio.
void report(const char* name, const Timing& ours, const Timing& floor);

} // namespace bench

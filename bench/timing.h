#pragma once

#include <QString>
#include <chrono>
#include <functional>

// Small helpers shared by the benchmarks.
namespace bench {

// Best wall-clock time of `runs` runs, in milliseconds. `prepare` runs before
// each run and is not timed.
double bestMs(int runs, const std::function<void()>& work,
              const std::function<void()>& prepare = {});

// Resident memory of this process in kilobytes (from /proc/self/status).
long residentKb();

// Prints "name  value ms   floor ms   ratio".
void report(const char* name, double ms, double floorMs);

// Best wall-clock and best processor time (user and system) of `runs` runs,
// in milliseconds. The processor time shows the work itself while other
// programs share the machine.
struct Times {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};
Times bestTimes(int runs, const std::function<void()>& work);

// Prints both times of the work and of its floor, with their ratios.
void report(const char* name, const Times& ours, const Times& floor);

} // namespace bench

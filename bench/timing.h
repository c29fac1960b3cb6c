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

} // namespace bench

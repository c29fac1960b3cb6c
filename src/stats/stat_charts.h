#pragma once

#include "stats/log_statistics.h"

#include <memory>

class QChart;

// The two charts of the statistics, built by Qt Charts from the binned
// figures: one item per bar or point of the figures, never one per log.
namespace stat_charts {

// Units beyond this many have no legend entry of their own.
inline constexpr int kUnitsInLegend = 12;

// Logs per bar, one stacked set per content text, with a legend.
std::unique_ptr<QChart> logChart(const log_statistics::Figures& figures, bool english,
                                 int fontPixels);

// The measured values over time: the points of each unit as a series of its
// own, the values at or above the limit in one red series, and the limit as
// a horizontal line.
std::unique_ptr<QChart> valueChart(const log_statistics::Figures& figures, bool english,
                                   int fontPixels);

} // namespace stat_charts

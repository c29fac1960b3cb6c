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

// The measured values of the figures' unit code over time: each unit's
// points in a colour of its own, as dots below the limit and as triangles at
// or above it, and the limit as a dashed red line.
std::unique_ptr<QChart> valueChart(const log_statistics::Figures& figures, bool english,
                                   int fontPixels);

// Lays the chart out at its geometry now, labels included, as a view does
// before it paints: for a chart painted without one.
void layOut(QChart& chart);

} // namespace stat_charts

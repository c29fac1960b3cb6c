#pragma once

#include <QColor>
#include <QImage>
#include <cstddef>
#include <vector>

// The colours and markers of the statistics charts.
namespace stat_colours {

// Red, kept for the limit line.
QColor limitRed();

// `count` colours, no two alike and none of them red. The first 18 are
// strong colours chosen to read apart on white and from each other; any
// further ones walk round the colour wheel.
std::vector<QColor> distinct(std::size_t count);

// The marker of a value at or above the limit: a triangle outlined in the
// unit's colour, filled white, so that it stands out from the unit's dots
// and still shows whose value it is. `size` pixels square.
QImage overMarker(const QColor& colour, int size);

} // namespace stat_colours

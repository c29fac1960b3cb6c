#include "stats_window/stat_colours.h"

#include <QPainter>
#include <QPolygonF>
#include <QSet>
#include <cmath>

namespace stat_colours {

namespace {

// Kelly's colours of greatest contrast without white and the reds, and a
// teal; those that read best as small dots on white first, each one far
// from the ones before it.
const QRgb kStrong[] = {0x0067A5, 0xF38400, 0x008856, 0x875692, 0x654522, 0x848482,
                        0xE68FAC, 0x009E9E, 0x8DB600, 0x222222, 0xA1CAF1, 0xF6A600,
                        0x604E97, 0xC2B280, 0x2B3D26, 0xF99379, 0xDCD300, 0xF3C300};
// Walks round the wheel no longer than this: past it colours may repeat.
constexpr int kTries = 20000;

// Hues near red are left to the limit line.
bool reddish(const QColor& c)
{
    const int hue = c.hsvHue();
    return c.hsvSaturation() > 120 && (hue < 20 || hue > 340);
}

} // namespace

QColor limitRed()
{
    return QColor(220, 0, 0);
}

std::vector<QColor> distinct(std::size_t count)
{
    std::vector<QColor> colours;
    colours.reserve(count);
    QSet<QRgb> used;
    for (std::size_t i = 0; i < count && i < std::size(kStrong); ++i) {
        colours.emplace_back(kStrong[i]);
        used.insert(colours.back().rgb());
    }
    // Then the golden angle round the wheel, in three shades.
    for (int step = 0; colours.size() < count; ++step) {
        const int hue = int(std::lround(step * 137.508)) % 360;
        const QColor c = QColor::fromHsv(hue, 150 + 50 * (step % 3), 230 - 45 * (step / 3 % 3));
        if ((reddish(c) || used.contains(c.rgb())) && step < kTries)
            continue;
        used.insert(c.rgb());
        colours.push_back(c);
    }
    return colours;
}

QImage overMarker(const QColor& colour, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max(1.5, size / 6.0);
    painter.setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    const qreal in = pen / 2 + 0.5;
    painter.drawPolygon(QPolygonF{{size / 2.0, in}, {size - in, size - in}, {in, size - in}});
    return image;
}

} // namespace stat_colours

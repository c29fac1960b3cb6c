#include "stats_window/stat_charts.h"

#include "base/texts/stats.h"
#include "stats_window/stat_colours.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace t = texts::stats;
using namespace log_statistics;

namespace {

QFont pixelFont(int pixels, bool bold = false)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

std::unique_ptr<QChart> newChart(const QString& title, int fontPixels)
{
    auto chart = std::make_unique<QChart>();
    chart->setTitle(title);
    chart->setTitleFont(pixelFont(fontPixels + 2, true));
    chart->legend()->setFont(pixelFont(fontPixels));
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

void styleAxis(QAbstractAxis* axis, const QString& title, int fontPixels)
{
    axis->setTitleText(title);
    axis->setTitleFont(pixelFont(fontPixels));
    axis->setLabelsFont(pixelFont(fontPixels - 1));
}

QString barLabel(std::int64_t start, BarWidth width, bool oneYear)
{
    const QDate d = QDate::fromJulianDay(start);
    switch (width) {
    case BarWidth::Year:
        return d.toString(QStringLiteral("yyyy"));
    case BarWidth::Month:
        return d.toString(QStringLiteral("yyyy/MM"));
    case BarWidth::Day:
    case BarWidth::Week:
        break;
    }
    return d.toString(oneYear ? QStringLiteral("MM/dd") : QStringLiteral("yyyy/MM/dd"));
}

const BiText& barTitle(BarWidth width)
{
    switch (width) {
    case BarWidth::Week:
        return t::PerWeek;
    case BarWidth::Month:
        return t::PerMonth;
    case BarWidth::Year:
        return t::PerYear;
    case BarWidth::Day:
        break;
    }
    return t::PerDay;
}

// Milliseconds since 1970 in local time, as the date-time axis shows them.
qreal axisTime(std::int64_t time)
{
    const QDate date = QDate::fromJulianDay(time / kSecondsPerDay);
    return qreal(
        QDateTime(date, QTime(0, 0).addSecs(int(time % kSecondsPerDay))).toMSecsSinceEpoch());
}

// The room a label needs on a horizontal axis: the axis gives each of its n
// labels a width/n share, less its padding on either side, and cuts a label
// that is wider; a blank's room more keeps neighbours apart.
qreal labelRoom(const QFont& font, const QString& widest)
{
    constexpr qreal kPadding = 5;
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(widest) + metrics.averageCharWidth() + 2 * kPadding;
}

// Labels every step-th bar, the step leaving each label the room it needs.
void labelBars(QCategoryAxis& axis, const QStringList& labels, qreal width)
{
    if (labels.isEmpty() || width <= 0)
        return;
    const QFontMetricsF metrics(axis.labelsFont());
    QString widest;
    for (const QString& label : labels)
        if (metrics.horizontalAdvance(label) > metrics.horizontalAdvance(widest))
            widest = label;
    const qreal room = labelRoom(axis.labelsFont(), widest);
    const qsizetype bars = labels.size();
    // Labelled bars and the start share the width.
    qsizetype step = 1;
    while (step < bars && width / qreal((bars + step - 1) / step + 1) < room)
        ++step;
    if (axis.property("step").toLongLong() == step)
        return;
    axis.setProperty("step", qlonglong(step));
    for (const QString& old : axis.categoriesLabels())
        axis.remove(old);
    // A label has the room from the one before it; the first as much as the others.
    axis.setStartValue(-qreal(step));
    for (qsizetype b = 0; b < bars; b += step)
        axis.append(labels[b], qreal(b));
}

// A series that shows its points only, without lines between them. A line
// series paints its points itself; a scatter series makes an item of each.
QLineSeries* markers(const QColor& colour, qreal size)
{
    auto* series = new QLineSeries;
    QPen pen(colour);
    pen.setStyle(Qt::NoPen);
    series->setPen(pen);
    series->setColor(colour);
    series->setPointsVisible(true);
    series->setMarkerSize(size);
    return series;
}

// The value chart's two axes; a series added to the chart goes on both,
// with the shape of its legend marker and whether the legend shows it.
struct ValueAxes {
    QChart& chart;
    QDateTimeAxis* x;
    QValueAxis* y;
    void attach(QXYSeries* series, QLegend::MarkerShape shape, bool inLegend) const
    {
        chart.addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
        QLegendMarker* marker = chart.legend()->markers(series).constFirst();
        marker->setShape(shape);
        marker->setPen(QPen(series->color()));
        marker->setVisible(inLegend);
    }
};

// The times and the highest value the points span.
struct ValueSpan {
    std::int64_t first = kNoTime, last = kNoTime;
    double highest = 0;
};

// Each unit's values below the limit as dots of its colour; those at or
// above it as that colour's triangles, drawn over every unit's dots.
ValueSpan addUnitPoints(const ValueAxes& axes, const Figures& figures, bool english, int fontPixels)
{
    ValueSpan span;
    span.highest = figures.limit;
    const std::vector<QColor> colours = stat_colours::distinct(figures.units.size());
    const int overSize = std::max(11, fontPixels - 1) | 1; // odd: centred on its point
    std::vector<QLineSeries*> overs;
    std::size_t shown = 0;
    for (std::size_t k = 0; k < figures.units.size(); ++k) {
        const UnitFigures& u = figures.units[k];
        if (u.points.empty())
            continue;
        const QString name = u.name.isEmpty() ? u.unit : u.unit + QLatin1Char(' ') + u.name;
        QLineSeries* below = markers(colours[k], 4);
        below->setName(name);
        QList<QPointF> under, over;
        for (const ValuePoint& p : u.points) {
            (p.value >= figures.limit ? over : under) << QPointF(axisTime(p.time), p.value);
            span.first = span.first == kNoTime ? p.time : std::min(span.first, p.time);
            span.last = std::max(span.last, p.time);
            span.highest = std::max(span.highest, p.value);
        }
        below->append(under);
        axes.attach(below, QLegend::MarkerShapeCircle,
                    ++shown <= std::size_t(stat_charts::kUnitsInLegend));
        if (!over.isEmpty()) {
            QLineSeries* above = markers(colours[k], overSize);
            above->setPointsVisible(false);
            above->setLightMarker(stat_colours::overMarker(colours[k], overSize));
            above->setName(name);
            above->append(over);
            overs.push_back(above);
        }
    }
    for (QLineSeries* above : overs)
        axes.attach(above, QLegend::MarkerShapeFromSeries, false);
    // The legend's triangle: a series of no points with the marker in black.
    QLineSeries* sample = markers(Qt::black, overSize);
    sample->setPointsVisible(false);
    sample->setLightMarker(stat_colours::overMarker(Qt::black, overSize));
    sample->setName(t::AtOrAbove.pick(english));
    axes.attach(sample, QLegend::MarkerShapeFromSeries, figures.atOrAboveLimit > 0);
    return span;
}

// The limit's dashed line across the times from `first` to `last`, with a
// little room on either side, and the time axis over them.
void addLimitLine(const ValueAxes& axes, const Figures& figures, bool english, std::int64_t first,
                  std::int64_t last)
{
    // A little room on either side, so the first and last points are not cut.
    const std::int64_t room = std::max<std::int64_t>(60, (last - first) / 40);
    auto* line = new QLineSeries;
    line->setName(t::LimitLine.pick(english).arg(stat_limit::text(figures.limit)));
    QPen pen(stat_colours::limitRed());
    pen.setWidth(2);
    pen.setStyle(Qt::DashLine);
    line->setPen(pen);
    line->append(axisTime(first - room), figures.limit);
    line->append(axisTime(last + room), figures.limit);
    axes.attach(line, QLegend::MarkerShapeFromSeries, true); // a line in the legend too

    QDateTimeAxis* x = axes.x;
    x->setRange(QDateTime::fromMSecsSinceEpoch(qint64(axisTime(first - room))),
                QDateTime::fromMSecsSinceEpoch(qint64(axisTime(last + room))));
    const bool oneYear = QDate::fromJulianDay(first / kSecondsPerDay).year() ==
                         QDate::fromJulianDay(last / kSecondsPerDay).year();
    x->setFormat(last - first < 2 * kSecondsPerDay ? QStringLiteral("MM/dd HH:mm")
                 : oneYear                         ? QStringLiteral("MM/dd")
                                                   : QStringLiteral("yyyy/MM"));
    // As many ticks as their labels have room for.
    QObject::connect(&axes.chart, &QChart::plotAreaChanged, x, [x](const QRectF& area) {
        const QString widest = QDateTime(QDate(2000, 12, 28), QTime(20, 58)).toString(x->format());
        x->setTickCount(std::clamp(int(area.width() / labelRoom(x->labelsFont(), widest)), 2, 12));
    });
}

// Round steps: the top is a whole number of a step of 1, 2 or 5 times a power of ten.
void setValueRange(QValueAxis* y, double highest)
{
    const double top = std::max(highest, 0.01) * 1.1;
    const double rough = top / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough <= power       ? power
                        : rough <= 2 * power ? 2 * power
                        : rough <= 5 * power ? 5 * power
                                             : 10 * power;
    const int steps = int(std::ceil(top / step));
    y->setRange(0, steps * step);
    y->setTickCount(steps + 1);
    y->setLabelFormat(QStringLiteral("%.3f"));
}

} // namespace

namespace stat_charts {

std::unique_ptr<QChart> logChart(const Figures& figures, bool english, int fontPixels)
{
    auto chart = newChart(t::LogChart.pick(english), fontPixels);
    auto* series = new QStackedBarSeries;
    std::int64_t highest = 0;
    const std::vector<QColor> colours =
        stat_colours::distinct(std::size_t(figures.contents.size()));
    for (std::size_t b = 0; b < figures.barStarts.size(); ++b) {
        std::int64_t sum = 0;
        for (qsizetype c = 0; c < figures.contents.size(); ++c)
            sum += figures.count(b, c);
        highest = std::max(highest, sum);
    }
    for (qsizetype c = 0; c < figures.contents.size(); ++c) {
        auto* set = new QBarSet(figures.contents[c]);
        set->setColor(colours[std::size_t(c)]);
        set->setBorderColor(colours[std::size_t(c)]);
        QList<qreal> values;
        values.reserve(qsizetype(figures.barStarts.size()));
        for (std::size_t b = 0; b < figures.barStarts.size(); ++b)
            values << qreal(figures.count(b, c));
        set->append(values);
        series->append(set);
    }
    series->setBarWidth(0.8);
    chart->addSeries(series);

    // Bars stand at 0, 1, 2, …; as many of them are labelled with their first
    // day as the labels have room for, again whenever the chart's size changes.
    const bool oneYear =
        !figures.barStarts.empty() && QDate::fromJulianDay(figures.barStarts.front()).year() ==
                                          QDate::fromJulianDay(figures.barStarts.back()).year();
    QStringList labels;
    for (const std::int64_t start : figures.barStarts)
        labels << barLabel(start, figures.width, oneYear);
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, qreal(labels.size()) - 0.5);
    x->setGridLineVisible(false);
    styleAxis(x, barTitle(figures.width).pick(english), fontPixels);
    QObject::connect(chart.get(), &QChart::plotAreaChanged, x,
                     [x, labels](const QRectF& area) { labelBars(*x, labels, area.width()); });
    auto* y = new QValueAxis;
    styleAxis(y, t::Logs.pick(english), fontPixels);
    // Up to 10 at least: the axis gives its title the room its labels take
    // beyond that of a "...", which one-digit labels do not have.
    y->setRange(0, qreal(std::max<std::int64_t>(highest, 10)));
    y->setLabelFormat(QStringLiteral("%d"));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

std::unique_ptr<QChart> valueChart(const Figures& figures, bool english, int fontPixels)
{
    auto chart = newChart(t::ValueChart.pick(english), fontPixels);
    auto* x = new QDateTimeAxis;
    auto* y = new QValueAxis;
    styleAxis(x, t::TimeAxis.pick(english), fontPixels);
    styleAxis(y, t::ValueAxis.pick(english).arg(codeText(figures.code, english)), fontPixels);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    const ValueAxes axes{*chart, x, y};
    ValueSpan span = addUnitPoints(axes, figures, english, fontPixels);
    if (span.first == kNoTime) { // no measurement with a time: the range of the logs
        if (figures.firstTime == kNoTime)
            return chart;
        span.first = figures.firstTime;
        span.last = figures.lastTime;
    }
    addLimitLine(axes, figures, english, span.first, span.last);
    setValueRange(y, span.highest);
    return chart;
}

void layOut(QChart& chart)
{
    // A chart lays itself out on posted layout requests, and lays out again
    // once its labels have changed for the new size: twice over.
    for (int pass = 0; pass < 2; ++pass) {
        QCoreApplication::sendPostedEvents(&chart, QEvent::LayoutRequest);
        if (chart.layout())
            chart.layout()->activate();
    }
}

} // namespace stat_charts

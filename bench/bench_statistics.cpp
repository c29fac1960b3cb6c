// The statistics window's figures over a grid of N rows (--logs N, default a million) against a
// bare loop over the same records computing the same figures: two plain passes with arrays
// indexed by unit, bar and content text. Then the time to open the window over that grid and to
// render the charts and the table into a PNG (--png PATH keeps the picture).
#include "base/app_context.h"
#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"
#include "stats_window/frm_stat.h"
#include "stats_window/stat_report.h"
#include "support.h"

#include <QApplication>
#include <QHash>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>

using namespace log_statistics;

namespace {

constexpr int kUnits = 50;
constexpr long kDefaultLogs = 1'000'000;
constexpr int kRuns = 3;
constexpr double kLimit = 0.150;

// A grid as a Japanese search over five years of 50 handsets shows it, in the order read: by
// time. Half the rows are measurements, a quarter of the values at or above the limit; one value
// in twenty has the unit code 02, the others 01.
void fillGrid(LogGridModel& model, long rows)
{
    LogGridTexts texts;
    for (int u = 0; u < kUnits; ++u) {
        texts.units << QStringLiteral("X00 %1").arg(u + 1, 4, 10, QLatin1Char('0'));
        texts.names << (u % 3 == 0 ? QStringLiteral("トラック %1").arg(u + 1) : QString());
    }
    const auto add = [&](const QString& text, std::int32_t logNo, double value,
                         const QString& code) {
        const QString prefix = log_row_format::contentPrefix(text, false);
        texts.contentTexts << prefix;
        texts.contents << (std::isnan(value) ? prefix
                                             : prefix + QString::number(value, 'f', 3) + code);
        texts.logNos.push_back(logNo);
        texts.measured.push_back(value);
        texts.taniCodes << code;
    };
    for (const char* content : {"測定開始", "測定終了", "電源オン", "電源オフ", "センサー交換"})
        add(QString::fromUtf8(content), 21, std::nan(""), {});
    const int plain = int(texts.contents.size());
    for (const char* code : {"01", "02"})
        for (int v = 0; v < 200; ++v)
            add(QStringLiteral("アルコール測定"), 8, v / 1000.0, QLatin1String(code));

    std::mt19937 rng(20250101);
    std::uniform_int_distribution<int> unit(0, kUnits - 1), kind(0, 2 * plain - 1), value(0, 3999);
    LogGridRecords records;
    const double secondsPerRow = 5 * 365.0 * 86400 / double(rows);
    for (long i = 0; i < rows; ++i) {
        const auto second = std::int64_t(double(i) * secondsPerRow);
        const int k = kind(rng);
        LogGridRecord r;
        r.unit = std::uint32_t(unit(rng));
        r.dataNo = log_data_no::pack("0000", 4);
        r.when = log_grid_when::packed(std::uint32_t(1 + 7305 + second / 86400),
                                       std::uint32_t(second % 86400)); // from 2020-01-01
        const int v = value(rng);
        r.content = std::uint32_t(k < plain ? k : plain + v % 200 + (v < 200 ? 200 : 0));
        records.push_back(r);
    }
    model.setRecords(std::move(texts), std::move(records));
}

// The same figures by a bare loop: the content texts, per bar and text the number of logs, per
// unit the logs, measurements of the most frequent unit code and of others, values at or above
// the limit, first and last time, and per unit and slot the lowest and highest value.
struct Bare {
    std::vector<std::int64_t> counts, logs, measurements, atOrAbove, others, first, last;
    std::vector<double> low, high;
};

// An index per distinct text of `list`, and how many there are.
std::vector<std::uint32_t> indexes(const QStringList& list, std::size_t& distinct)
{
    QHash<QString, std::uint32_t> index;
    std::vector<std::uint32_t> of;
    for (const QString& text : list)
        of.push_back(*index.insert(text, index.value(text, std::uint32_t(index.size()))));
    distinct = std::size_t(index.size());
    return of;
}

Bare bareFigures(const LogGridTexts& texts, const LogGridRecords& records)
{
    QStringList trimmed;
    for (const QString& text : texts.contentTexts)
        trimmed << text.trimmed();
    std::size_t groups = 0, codes = 0;
    const std::vector<std::uint32_t> group = indexes(trimmed, groups);
    const std::vector<std::uint32_t> code = indexes(texts.taniCodes, codes);
    const std::size_t n = records.size(), units = kUnits;
    const auto timeOf = [](std::uint32_t when) {
        return (2451544 + std::int64_t(when >> 17)) * 86400 + (when & 0x1ffff);
    };
    std::int64_t first = INT64_MAX, last = INT64_MIN;
    std::vector<std::int64_t> codeCount(codes), firstValue(codes, INT64_MAX), lastValue(codes);
    for (std::size_t i = 0; i < n; ++i) {
        const std::int64_t t = timeOf(records[i].when);
        first = std::min(first, t);
        last = std::max(last, t);
        if (!std::isnan(texts.measured[records[i].content])) {
            const std::uint32_t c = code[records[i].content];
            ++codeCount[c];
            firstValue[c] = std::min(firstValue[c], t);
            lastValue[c] = std::max(lastValue[c], t);
        }
    }
    const auto shown =
        std::uint32_t(std::max_element(codeCount.begin(), codeCount.end()) - codeCount.begin());
    const std::int64_t firstDay = first / 86400, lastDay = last / 86400;
    const BarWidth width = barWidthFor(firstDay, lastDay);
    std::vector<std::uint32_t> barOf(std::size_t(lastDay - firstDay + 1));
    std::uint32_t bars = 0;
    for (std::int64_t d = firstDay, start = barStart(firstDay, width); d <= lastDay; ++d) {
        if (barStart(d, width) != start) {
            start = barStart(d, width);
            ++bars;
        }
        barOf[std::size_t(d - firstDay)] = bars;
    }
    const std::int64_t slotCount = std::min<std::int64_t>(kValueSlots, kValuePoints / kUnits);
    const std::int64_t slotSeconds = (lastValue[shown] - firstValue[shown]) / slotCount + 1;
    Bare b{std::vector<std::int64_t>((bars + 1) * groups),
           std::vector<std::int64_t>(units),
           std::vector<std::int64_t>(units),
           std::vector<std::int64_t>(units),
           std::vector<std::int64_t>(units),
           std::vector<std::int64_t>(units, INT64_MAX),
           std::vector<std::int64_t>(units, 0),
           std::vector<double>(units * std::size_t(slotCount), 1e300),
           std::vector<double>(units * std::size_t(slotCount), -1e300)};
    for (std::size_t i = 0; i < n; ++i) {
        const LogGridRecord& r = records[i];
        const std::int64_t t = timeOf(r.when);
        ++b.logs[r.unit];
        b.first[r.unit] = std::min(b.first[r.unit], t);
        b.last[r.unit] = std::max(b.last[r.unit], t);
        ++b.counts[barOf[std::size_t(t / 86400 - firstDay)] * groups + group[r.content]];
        const double v = texts.measured[r.content];
        if (std::isnan(v))
            continue;
        if (code[r.content] != shown) {
            ++b.others[r.unit];
            continue;
        }
        ++b.measurements[r.unit];
        b.atOrAbove[r.unit] += v >= kLimit;
        const std::size_t slot =
            r.unit * std::size_t(slotCount) + std::size_t((t - firstValue[shown]) / slotSeconds);
        b.low[slot] = std::min(b.low[slot], v);
        b.high[slot] = std::max(b.high[slot], v);
    }
    return b;
}

long parseLogs(const QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--logs"));
    if (at < 0)
        return kDefaultLogs;
    bool ok = false;
    const long n = args.value(at + 1).toLong(&ok);
    if (!ok || n < kUnits) {
        std::fprintf(stderr, "usage: bench_statistics [--logs N] [--png PATH]   (N at least %d)\n",
                     kUnits);
        std::exit(2);
    }
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const long rows = parseLogs(args);
    QTemporaryDir dir;
    const qsizetype pngAt = args.indexOf(QStringLiteral("--png"));
    const QString png = pngAt >= 0 ? args.value(pngAt + 1) : dir.filePath(QStringLiteral("s.png"));

    LogGridModel model;
    fillGrid(model, rows);
    model.sortColumn(0, false); // as shown after a click on the unit button
    std::printf("Statistics of a %ld-row grid (floor: a bare two-pass loop over the same records "
                "computing the same figures; target: ratio at most 2)\n",
                rows);
    Figures ours;
    Bare bare;
    // Ours and the floor take turns, so that both meet the same load of a shared machine.
    bench::Timing timed, floor;
    for (int run = 0; run < kRuns; ++run) {
        const bench::Timing t = bench::measure(1, [&] {
            ours = compute(model.texts(), model.records(), {kLimit, {}});
        });
        const bench::Timing f =
            bench::measure(1, [&] { bare = bareFigures(model.texts(), model.records()); });
        timed = {std::min(timed.wallMs, t.wallMs), std::min(timed.cpuMs, t.cpuMs)};
        floor = {std::min(floor.wallMs, f.wallMs), std::min(floor.cpuMs, f.cpuMs)};
    }
    bench::report("log_statistics::compute", timed, floor);

    // The same figures: per unit the counts and times, the bars' totals, the lowest and highest
    // value of each unit.
    std::int64_t bareBars = 0, oursBars = 0;
    for (const std::int64_t c : bare.counts)
        bareBars += c;
    for (const std::int64_t c : ours.counts)
        oursBars += c;
    bool same = bareBars == oursBars && ours.units.size() == std::size_t(kUnits);
    for (std::size_t u = 0; same && u < ours.units.size(); ++u) {
        const UnitFigures& f = ours.units[u];
        double low = 1e300, high = -1e300;
        for (std::size_t s = u * bare.low.size() / kUnits; s < (u + 1) * bare.low.size() / kUnits;
             ++s) {
            low = std::min(low, bare.low[s]);
            high = std::max(high, bare.high[s]);
        }
        double oursLow = 1e300, oursHigh = -1e300;
        for (const ValuePoint& p : f.points) {
            oursLow = std::min(oursLow, p.value);
            oursHigh = std::max(oursHigh, p.value);
        }
        same = f.logs == bare.logs[u] && f.measurements == bare.measurements[u] &&
               f.atOrAboveLimit == bare.atOrAbove[u] && f.otherCodes == bare.others[u] &&
               f.first == bare.first[u] && f.last == bare.last[u] && low == oursLow &&
               high == oursHigh;
    }
    std::printf("    %zu bars of %lld contents, %lld measurements of code %s (%lld at or above "
                "%.3f), %lld of other codes; figures %s\n\n",
                ours.barStarts.size(), qlonglong(ours.contents.size()),
                qlonglong(ours.measurements), qPrintable(ours.code), qlonglong(ours.atOrAboveLimit),
                kLimit, qlonglong(ours.otherCodes), same ? "equal" : "DIFFER");

    AppContext ctx;
    ctx.appDir = dir.path();
    const bench::Timing opened = bench::measure(1, [&] { Frm_Stat window(ctx, model); });
    std::printf("%-48s %10.1f ms   processor %10.1f ms\n",
                "open the window (figures, charts, table)", opened.wallMs, opened.cpuMs);
    QString error;
    const bench::Timing rendered =
        bench::measure(kRuns, [&] { error = saveReport(StatReport(ours, false), png, false); });
    std::printf("%-48s %10.1f ms   processor %10.1f ms   %s\n", "charts and table into a PNG",
                rendered.wallMs, rendered.cpuMs, error.isEmpty() ? "" : qPrintable(error));
    std::size_t points = 0;
    for (const UnitFigures& u : ours.units)
        points += u.points.size();
    std::printf("    %zu chart points for %lld measurements\n", points,
                qlonglong(ours.measurements));
    return same && error.isEmpty() ? 0 : 1;
}

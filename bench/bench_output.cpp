// Saving and printing the grid. The CSV export of a 1,000,000-row grid against
// a bare write of the same Shift_JIS bytes (one fwrite per line), and the
// printing of a 10,000-row grid into a PDF file against bare QPainter calls
// drawing the same ready-made lines.
#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"
#include "output/csv_export.h"
#include "output/grid_print.h"
#include "output/print_lines.h"
#include "support.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCsvRows = 1'000'000;
constexpr int kPrintRows = 10'000;
constexpr int kRuns = 3;

// A grid as a Japanese search over five years of 50 handsets shows it.
void fillGrid(LogGridModel& model, int rows)
{
    LogGridTexts texts;
    for (int u = 0; u < 50; ++u) {
        texts.units << QStringLiteral("X00 %1").arg(u + 1, 4, 10, QLatin1Char('0'));
        texts.names << (u % 3 == 0 ? QStringLiteral("トラック %1").arg(u + 1) : QString());
    }
    // Contents without a measured value, then the measurement with each value.
    for (const char* content :
         {"測定開始", "測定終了", "アルコール検知", "電源ON", "電源OFF", "センサー交換", "校正"}) {
        texts.contents << log_row_format::contentPrefix(QString::fromUtf8(content), false);
        texts.logNos.push_back(21);
    }
    texts.contents << log_row_format::contentPrefix(QString(), false);
    texts.logNos.push_back(kNoLogNo);
    const int plain = int(texts.contents.size());
    for (int v = 0; v < 1000; ++v) {
        texts.contents << QStringLiteral("アルコール測定 0.%1").arg(v, 3, 10, QLatin1Char('0')) +
                              "01";
        texts.logNos.push_back(8);
    }

    std::mt19937 rng(20241204);
    std::uniform_int_distribution<int> unit(0, 49), kind(0, plain), second(0, 86399), day(0, 1825),
        value(0, 999);
    std::vector<std::pair<qint64, LogGridRecord>> logs;
    logs.reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i) {
        LogGridRecord r;
        r.unit = std::uint32_t(unit(rng));
        const QByteArray no = QByteArray::number(i % 10000).rightJustified(4, '0');
        r.dataNo = log_data_no::pack(no.constData(), std::size_t(no.size()));
        const int k = kind(rng);
        r.content = std::uint32_t(k < plain ? k : plain + value(rng));
        const QDate d = QDate(2020, 1, 1).addDays(day(rng));
        const int s = second(rng);
        const log_grid_when::DateTime dt{
            std::uint32_t(d.year() * 10000 + d.month() * 100 + d.day()),
            std::uint32_t(s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60)};
        r.when = log_grid_when::pack(dt).value_or(log_grid_when::kNoDate);
        logs.emplace_back(qint64(dt.date) * 1000000 + dt.time, r);
    }
    // A search returns the logs about in the order they were read: by time.
    std::sort(logs.begin(), logs.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    LogGridRecords records;
    for (const auto& log : logs)
        records.push_back(log.second);
    model.setRecords(std::move(texts), std::move(records));
}

// The floor of the export: the file's lines written with one fwrite each;
// with `sync`, also forced to the disk before it is closed, as the export does.
void bareWrite(const std::vector<QByteArray>& lines, const QString& path, bool sync)
{
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f)
        std::exit(1);
    for (const QByteArray& line : lines)
        std::fwrite(line.constData(), 1, std::size_t(line.size()), f);
    if (sync) {
        std::fflush(f);
        ::fsync(fileno(f));
    }
    std::fclose(f);
}

// The floor of the printing: the same lines, ready-made, drawn with bare QPainter calls.
int barePrint(const QStringList& lines, const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(path);
    QPainter painter(&printer);
    QFont font = painter.font();
    font.setPointSizeF(12);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    qreal y = 0;
    int pages = 1;
    for (const QString& line : lines) {
        if (y > 0 && y + metrics.height() > printer.height()) {
            printer.newPage();
            ++pages;
            y = 0;
        }
        painter.drawText(QPointF(0, y + metrics.ascent()), line);
        y += metrics.lineSpacing();
    }
    return pages;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("grid.csv"));
    const QString bare = dir.filePath(QStringLiteral("bare.csv"));

    LogGridModel model;
    fillGrid(model, kCsvRows);
    model.sortColumn(3, true); // as shown after a click on the date button
    std::printf("CSV export of a %d-row grid (floor: the same Shift_JIS bytes written with one "
                "fwrite per line; target: at most 1.5 against fwrite + fsync)\n",
                kCsvRows);
    const auto exportCsv = [&] {
        if (!Write_Csv(model, csv).ok())
            std::exit(1);
    };
    exportCsv();
    QFile written(csv);
    if (!written.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = written.readAll();
    std::vector<QByteArray> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', at) + 1;
        lines.push_back(bytes.mid(at, end - at));
        at = end;
    }
    const auto [ours, floor] =
        bench::measureInTurns(kRuns, exportCsv, [&] { bareWrite(lines, bare, false); });
    bench::report("Write_Csv", ours, floor);
    // The export forces the file to the disk before it replaces the old one,
    // so that a power cut never leaves an empty file; the same floor doing so:
    const auto [oursSynced, synced] =
        bench::measureInTurns(kRuns, exportCsv, [&] { bareWrite(lines, bare, true); });
    bench::report("Write_Csv against fwrite + fsync", oursSynced, synced);
    std::printf("    %zu lines, %.1f MB\n\n", lines.size(), double(bytes.size()) / 1e6);

    LogGridModel small;
    fillGrid(small, kPrintRows);
    std::printf("printing a %d-row grid into a PDF file (floor: the same lines, ready-made, "
                "drawn with bare QPainter calls)\n",
                kPrintRows);
    int pages = 0;
    const bench::Timing print = bench::measure(1, [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(dir.filePath(QStringLiteral("grid.pdf")));
        pages = Print_Grid(small, printer).pages;
    });
    const QStringList listing = print_lines::all(small);
    int barePages = 0;
    const bench::Timing barePrinted = bench::measure(
        1, [&] { barePages = barePrint(listing, dir.filePath(QStringLiteral("bare.pdf"))); });
    bench::report("Print_Grid", print, barePrinted);
    std::printf("    %d pages (floor %d), %.1f pages per second\n", pages, barePages,
                pages / (print.wallMs / 1000.0));
    return 0;
}

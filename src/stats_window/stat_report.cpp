#include "stats_window/stat_report.h"

#include "base/texts/stats.h"
#include "output/printing.h"
#include "stats_window/stat_charts.h"

#include <QAbstractAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace {

constexpr int kMargin = 60;
constexpr int kInner = StatReport::kPageWidth - 2 * kMargin;
constexpr int kChartHeight = 585;
constexpr int kChartsTop = 170;
constexpr int kTableTop = kChartsTop + 2 * kChartHeight + 30;
constexpr int kRowHeight = 24;
constexpr int kFontPixels = 14;
// Column widths by what they hold, scaled to the page's width.
constexpr int kUnitWidth = 140, kNameWidth = 180, kCountWidth = 115, kTimeWidth = 215;
constexpr int kDpi = 150;

QFont pixelFont(int pixels, bool bold = false)
{
    QFont font = printFont(true);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The report's charts draw their texts in the print font too, so that the
// PDF's text is the text shown.
void usePrintFont(QChart& chart)
{
    const auto inPrintFont = [families = printFont(true).families()](QFont font) {
        font.setFamilies(families);
        return font;
    };
    chart.setTitleFont(inPrintFont(chart.titleFont()));
    chart.legend()->setFont(inPrintFont(chart.legend()->font()));
    for (QAbstractAxis* axis : chart.axes()) {
        axis->setTitleFont(inPrintFont(axis->titleFont()));
        axis->setLabelsFont(inPrintFont(axis->labelsFont()));
    }
}

// Paints every page scaled into the device's printable area; false when the
// device failed on a new page.
template <class NewPage>
bool paintPages(const StatReport& report, QPainter& painter, const QSizeF& area, NewPage newPage)
{
    const qreal scale =
        std::min(area.width() / StatReport::kPageWidth, area.height() / StatReport::kPageHeight);
    for (int page = 0; page < report.pages(); ++page) {
        if (page > 0 && !newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        report.paint(painter, page);
        painter.restore();
    }
    return true;
}

} // namespace

StatReport::StatReport(const log_statistics::Figures& figures, bool english)
    : title_(texts::stats::Caption.pick(english)),
      summary_(log_statistics::summary(figures, english)),
      headings_(log_statistics::tableHeadings(figures, english)),
      rows_(log_statistics::tableRows(figures, english)), scene_(std::make_unique<QGraphicsScene>())
{
    qreal total = 0;
    for (int c = 0; c < headings_.size(); ++c) {
        const bool count = log_statistics::isCountColumn(c, int(headings_.size()));
        columns_.push_back(c == 0   ? kUnitWidth
                           : c == 1 ? kNameWidth
                           : count  ? kCountWidth
                                    : kTimeWidth);
        total += columns_.back();
    }
    for (int& width : columns_)
        width = int(width * kInner / total);
    logChart_ = stat_charts::logChart(figures, english, kFontPixels).release();
    valueChart_ = stat_charts::valueChart(figures, english, kFontPixels).release();
    scene_->addItem(logChart_); // the scene owns them from here
    scene_->addItem(valueChart_);
    usePrintFont(*logChart_);
    usePrintFont(*valueChart_);
    logChart_->setGeometry(0, 0, kInner, kChartHeight);
    valueChart_->setGeometry(0, kChartHeight, kInner, kChartHeight);
    stat_charts::layOut(*logChart_);
    stat_charts::layOut(*valueChart_);
}

StatReport::~StatReport() = default;

int StatReport::rowsOnFirstPage() const
{
    return (kPageHeight - kMargin - kTableTop) / kRowHeight - 1;
}

int StatReport::rowsPerPage() const
{
    return (kPageHeight - 2 * kMargin) / kRowHeight - 1;
}

int StatReport::pages() const
{
    const int rest = std::max(0, int(rows_.size()) - rowsOnFirstPage());
    return 1 + (rest + rowsPerPage() - 1) / rowsPerPage();
}

void StatReport::paint(QPainter& painter, int page) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (page == 0) {
        painter.setPen(Qt::black);
        painter.setFont(pixelFont(32, true));
        painter.drawText(QRect(kMargin, kMargin, kInner, 44), Qt::AlignLeft | Qt::AlignVCenter,
                         title_);
        painter.setFont(pixelFont(kFontPixels + 1));
        painter.drawText(QRect(kMargin, kMargin + 48, kInner, kChartsTop - kMargin - 48),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, summary_);
        scene_->render(&painter, QRectF(kMargin, kChartsTop, kInner, kChartHeight),
                       logChart_->geometry());
        scene_->render(&painter, QRectF(kMargin, kChartsTop + kChartHeight, kInner, kChartHeight),
                       valueChart_->geometry());
        paintTable(painter, kTableTop, 0, rowsOnFirstPage());
        return;
    }
    paintTable(painter, kMargin, rowsOnFirstPage() + (page - 1) * rowsPerPage(), rowsPerPage());
}

void StatReport::paintTable(QPainter& painter, int top, int firstRow, int rows) const
{
    const int end = std::min(int(rows_.size()), firstRow + rows);
    const auto line = [&](const QStringList& cells, int y, bool heading) {
        painter.setFont(pixelFont(kFontPixels - 1, heading));
        const QFontMetrics metrics(painter.font(), painter.device());
        int x = kMargin;
        for (int c = 0; c < int(columns_.size()); ++c) {
            const QRect cell(x + 4, y, columns_[std::size_t(c)] - 8, kRowHeight);
            // Counts line up on the right; texts that do not fit are cut with "…".
            const bool number = log_statistics::isCountColumn(c, int(columns_.size()));
            painter.drawText(cell, (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             metrics.elidedText(cells.value(c), Qt::ElideRight, cell.width()));
            x += columns_[std::size_t(c)];
        }
        painter.setPen(QColor(190, 190, 190));
        painter.drawLine(kMargin, y + kRowHeight, kMargin + kInner, y + kRowHeight);
        painter.setPen(Qt::black);
    };
    painter.setPen(Qt::black);
    line(headings_, top, true);
    for (int r = firstRow; r < end; ++r)
        line(rows_[r], top + (r - firstRow + 1) * kRowHeight, false);
}

QString saveReport(const StatReport& report, const QString& path, bool english)
{
    const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    if (png && report.pages() > kPngPages)
        return texts::stats::PngTooLong.pick(english).arg(kPngPages);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (png) {
        QImage image(StatReport::kPageWidth, StatReport::kPageHeight * report.pages(),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(kDpi / 0.0254));
        image.setDotsPerMeterY(int(kDpi / 0.0254));
        {
            QPainter painter(&image);
            for (int page = 0; page < report.pages(); ++page) {
                painter.save();
                painter.translate(0, page * StatReport::kPageHeight);
                report.paint(painter, page);
                painter.restore();
            }
        }
        if (!image.save(&file, "PNG"))
            return file.errorString();
    } else {
        QPdfWriter writer(&file);
        writer.setResolution(kDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(texts::stats::Caption.ja_());
        writer.setCreator(QStringLiteral("Quarvenix"));
        QPainter painter;
        if (!painter.begin(&writer))
            return file.errorString();
        paintPages(report, painter, QSizeF(writer.width(), writer.height()),
                   [&writer] { return writer.newPage(); });
        painter.end();
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

PrintOutcome printReport(const StatReport& report, QPrinter& printer)
{
    PrintOutcome outcome = printOn(printer, [&](QPainter& painter) {
        return paintPages(report, painter, QSizeF(printer.width(), printer.height()),
                          [&printer] { return printer.newPage(); });
    });
    if (outcome.ok())
        outcome.pages = report.pages();
    return outcome;
}

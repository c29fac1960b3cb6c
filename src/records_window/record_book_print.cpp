#include "records_window/record_book_print.h"

#include "base/texts/records.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>
#include <QTextOption>
#include <numeric>

namespace t = texts::records;
using check_records::BookRow;

namespace {

constexpr qreal kRowPoints = 8;   // the lines, their heading and the seal box's label
constexpr qreal kHeadPoints = 10; // the period, the depot, the date and the page
constexpr qreal kTitlePoints = 16;
// The columns' shares of the width, in the order of check_records::heading():
// a date and time on one line.
constexpr int kWeights[] = {14, 8, 6, 7, 9, 8, 7, 8, 12, 12, 12, 14, 8};

// Long texts wrap between words, and a word wider than its column anywhere.
QTextOption wrapping()
{
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Where things go on a page, in the painter's units (the printer's pixels).
struct Geometry {
    qreal width = 0;
    qreal height = 0;
    qreal pad = 0;        // inside a cell
    QList<qreal> columns; // each column's left edge, then the right end
    QSizeF seal;          // the manager's seal box, at the top right
    qreal tableTop = 0;   // where the heading line starts on each page
    qreal headHeight = 0; // of the heading line
};

qreal millimetres(qreal mm, const QPrinter& printer)
{
    return mm / 25.4 * printer.resolution();
}

QFont sized(QFont font, qreal points, bool bold = false)
{
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The height of a text wrapped to the width, as drawText() lays it out.
qreal wrappedHeight(const QString& text, const QFont& font, const QPaintDevice* device, qreal width)
{
    QTextLayout layout(text, font, device);
    layout.setTextOption(wrapping());
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

// The height a line of cells takes with their texts wrapped in their columns.
qreal lineHeight(const QStringList& cells, const QFont& font, const QPaintDevice* device,
                 const Geometry& g)
{
    qreal tallest = QFontMetricsF(font, device).height();
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const qreal inner = g.columns[c + 1] - g.columns[c] - 2 * g.pad;
        tallest = qMax(tallest, wrappedHeight(cells[c], font, device, inner));
    }
    return tallest + 2 * g.pad;
}

void drawLine(QPainter& p, const QStringList& cells, const Geometry& g, qreal top, qreal height)
{
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const QRectF cell(g.columns[c], top, g.columns[c + 1] - g.columns[c], height);
        p.drawRect(cell);
        p.drawText(cell.adjusted(g.pad, g.pad, -g.pad, -g.pad), cells[c], wrapping());
    }
}

// The title, the period, the depot, the print date, the page number and the seal box.
void drawPageHead(QPainter& p, const RecordBookPrint& book, const Geometry& g, int page, int pages,
                  const QFont& base)
{
    const bool en = book.english;
    const QString dateFormat = t::BookDate.pick(en);
    p.setFont(sized(base, kTitlePoints, true));
    const qreal titleHeight = QFontMetricsF(p.font(), p.device()).height();
    p.drawText(QRectF(0, 0, g.width, titleHeight), Qt::AlignHCenter | Qt::AlignTop,
               t::BookTitle.pick(en));

    p.setFont(sized(base, kHeadPoints));
    const qreal line = QFontMetricsF(p.font(), p.device()).lineSpacing();
    const qreal infoRight = g.width - g.seal.width() - 2 * g.pad;
    QStringList left{t::BookPeriod.pick(en).arg(book.period.from.toString(dateFormat),
                                                book.period.to.toString(dateFormat))};
    if (!book.depot.isEmpty())
        left << t::BookDepot.pick(en).arg(book.depot);
    const QStringList right{t::BookPrinted.pick(en).arg(book.printed.toString(dateFormat)),
                            t::BookPage.pick(en).arg(page).arg(pages)};
    for (int i = 0; i < 2; ++i) {
        const QRectF band(0, titleHeight + i * line, infoRight, line);
        if (i < left.size())
            p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, left[i]);
        p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, right[i]);
    }

    const QRectF seal(g.width - g.seal.width(), 0, g.seal.width(), g.seal.height());
    p.drawRect(seal);
    p.setFont(sized(base, kRowPoints));
    const QRectF label(seal.left(), seal.top(), seal.width(),
                       QFontMetricsF(p.font(), p.device()).lineSpacing() + 2 * g.pad);
    p.drawLine(label.bottomLeft(), label.bottomRight());
    p.drawText(label, Qt::AlignCenter, t::BookSeal.pick(en));
}

Geometry geometryOf(const QPrinter& printer, const QFont& base, bool english)
{
    Geometry g;
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    g.width = area.width();
    g.height = area.height();
    g.pad = millimetres(0.8, printer);
    g.seal = QSizeF(millimetres(50, printer), millimetres(26, printer));
    const int total = std::accumulate(std::begin(kWeights), std::end(kWeights), 0);
    qreal x = 0;
    for (const int w : kWeights) {
        g.columns << x;
        x += g.width * w / total;
    }
    g.columns << g.width;
    g.tableTop = g.seal.height() + millimetres(4, printer);
    g.headHeight =
        lineHeight(check_records::heading(english), sized(base, kRowPoints, true), &printer, g);
    return g;
}

// Each page's first row and the end: rows as tall as their wrapped texts,
// as many as fit under the page's head.
QList<int> paginate(const QList<qreal>& heights, const Geometry& g)
{
    QList<int> starts{0};
    qreal y = g.tableTop + g.headHeight;
    for (qsizetype r = 0; r < heights.size(); ++r) {
        if (y + heights[r] > g.height && r > starts.last()) {
            starts << int(r);
            y = g.tableTop + g.headHeight;
        }
        y += heights[r];
    }
    starts << int(heights.size());
    return starts;
}

} // namespace

PrintOutcome printRecordBook(const RecordBookPrint& book, QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    const QFont base = printFont(true); // Japanese that text search finds as printed
    const Geometry g = geometryOf(printer, base, book.english);
    const QFont rowFont = sized(base, kRowPoints);
    QList<QStringList> lines;
    QList<qreal> heights;
    for (const BookRow& row : book.rows) {
        lines << check_records::fields(row, book.english, book.snHead);
        heights << lineHeight(lines.last(), rowFont, &printer, g);
    }
    const QList<int> starts = paginate(heights, g);
    const int pages = int(starts.size()) - 1;
    PrintOutcome outcome = printOn(printer, [&](QPainter& p) {
        for (int page = 0; page < pages; ++page) {
            if (page > 0 && !printer.newPage())
                return false;
            drawPageHead(p, book, g, page + 1, pages, base);
            p.setFont(sized(base, kRowPoints, true));
            drawLine(p, check_records::heading(book.english), g, g.tableTop, g.headHeight);
            p.setFont(rowFont);
            qreal y = g.tableTop + g.headHeight;
            for (int r = starts[page]; r < starts[page + 1]; ++r) {
                drawLine(p, lines[r], g, y, heights[r]);
                y += heights[r];
            }
            if (printer.printerState() == QPrinter::Error)
                return false;
        }
        return true;
    });
    if (outcome.ok())
        outcome.pages = pages;
    return outcome;
}

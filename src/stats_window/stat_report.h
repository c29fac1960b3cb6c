#pragma once

#include "stats/log_statistics.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QChart;
class QGraphicsScene;
class QPainter;
class QPrinter;
struct PrintOutcome;

// The statistics as pages to save or print: the title and the figures'
// summary, the two charts and the per-unit table, which goes on over as many
// pages as it needs. Pages are laid out in page units, an A4 page at 150
// dots per inch, and scaled to whatever they are painted on.
class StatReport {
public:
    static constexpr int kPageWidth = 1240;
    static constexpr int kPageHeight = 1754;

    StatReport(const log_statistics::Figures& figures, bool english);
    ~StatReport();
    StatReport(const StatReport&) = delete;
    StatReport& operator=(const StatReport&) = delete;

    int pages() const;
    // Paints page `page` (0 = the first) in page units from the painter's origin.
    void paint(QPainter& painter, int page) const;

private:
    // Table rows: on the first page under the charts, then a full page each.
    int rowsOnFirstPage() const;
    int rowsPerPage() const;
    void paintTable(QPainter& painter, int top, int firstRow, int rows) const;

    QString title_;
    QString summary_;
    QStringList headings_;
    std::vector<int> columns_; // widths in page units
    QList<QStringList> rows_;
    std::unique_ptr<QGraphicsScene> scene_; // holds the two charts
    QChart* logChart_ = nullptr;
    QChart* valueChart_ = nullptr;
};

// Writes the report to `path`: a PNG image of the pages one below the other
// for a name ending in ".png", otherwise a PDF file. The file appears only
// when it is complete; an existing one stays as it was on any failure. ""
// when written, otherwise the reason (without the path). A PNG image holds
// at most kPngPages pages.
inline constexpr int kPngPages = 20;
QString saveReport(const StatReport& report, const QString& path, bool english);

// Prints the report on a printer the operator has chosen.
PrintOutcome printReport(const StatReport& report, QPrinter& printer);

#include "grid_view/log_grid_view.h"

#include "grid/log_grid_model.h"
#include "grid/log_row_format.h"
#include "grid_view/log_grid_view_cells.h"
#include "ui/window_parts.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

LogGridView::LogGridView(QWidget* parent) : QTableView(parent), model_(new LogGridModel(this))
{
    setModel(model_);
    setItemDelegate(new LogGridCellDelegate(this));
    // The row colours are chosen to read on these, so the theme's do not apply.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, log_row_format::gridBackground());
    colours.setColor(QPalette::Text, log_row_format::gridText());
    colours.setColor(QPalette::Highlight, log_row_format::gridSelection());
    colours.setColor(QPalette::HighlightedText, log_row_format::gridText());
    setPalette(colours);
    setSortingEnabled(false);
    setWordWrap(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Tab and Shift+Tab move on to the window's other controls, not between cells.
    setTabKeyNavigation(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    verticalHeader()->hide();
    // One height for every row keeps a million rows cheap to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setStretchLastSection(false);
    applyColumnWidths();
    // New rows are shown from their first one; the columns stay where they were.
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { verticalScrollBar()->setValue(verticalScrollBar()->minimum()); });
    const auto changed = [this] { rowsChanged_ = true; };
    connect(model_, &QAbstractItemModel::modelReset, this, changed);
    connect(model_, &QAbstractItemModel::layoutChanged, this, changed);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model_, &QAbstractItemModel::rowsMoved, this, changed);
    // New or reordered rows are laid out at once, after the headings have
    // taken them in: a layout left for later would follow the next paint and
    // paint the grid a second time.
    const auto layOut = [this] { executeDelayedItemsLayout(); };
    connect(model_, &QAbstractItemModel::modelReset, this, layOut);
    connect(model_, &QAbstractItemModel::layoutChanged, this, layOut);
    connect(model_, &QAbstractItemModel::rowsInserted, this, layOut);
}

void LogGridView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    // The rows shown so far, before these are counted in.
    const int lastShown = rowAt(viewport()->height() - 1);
    if (lastShown >= 0 && start > lastShown)
        appendedOutOfSight_ = true;
    else
        rowsChanged_ = true;
}

void LogGridView::doItemsLayout()
{
    const bool onlyOutOfSight = appendedOutOfSight_ && !rowsChanged_;
    appendedOutOfSight_ = rowsChanged_ = false;
    if (onlyOutOfSight)
        updateGeometries();
    else
        QTableView::doItemsLayout();
}

void LogGridView::applyColumnWidths()
{
    for (int col = 0; col < LogGridModel::Cols; ++col) {
        const int width = twipsToPixels(LogGridModel::colWidthTwips(col), this);
        setColumnHidden(col, width == 0);
        setColumnWidth(col, width);
    }
    fitLastColumn();
}

void LogGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitLastColumn();
}

void LogGridView::fitLastColumn()
{
    int last = LogGridModel::Cols - 1;
    while (last > 0 && isColumnHidden(last))
        --last;
    int others = 0;
    for (int col = 0; col < last; ++col)
        others += isColumnHidden(col) ? 0 : columnWidth(col);
    const int designed = twipsToPixels(LogGridModel::colWidthTwips(last), this);
    setColumnWidth(last, qMax(designed, viewport()->width() - others));
}

void LogGridView::wheelEvent(QWheelEvent* event)
{
    // A sideways wheel or swipe scrolls the columns as usual.
    const QPoint delta = event->angleDelta();
    if (std::abs(delta.x()) > std::abs(delta.y())) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() <= bar->minimum())
        return;
    verticalScrollBar()->triggerAction(event->angleDelta().y() > 0
                                           ? QAbstractSlider::SliderSingleStepSub
                                           : QAbstractSlider::SliderSingleStepAdd);
}

#include "main/log_grid_view.h"

#include "main/log_grid_model.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>

namespace {

// Draws cells without selection highlight and without focus rectangle.
class PlainCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    }
};

} // namespace

LogGridView::LogGridView(QWidget* parent) : QTableView(parent), model_(new LogGridModel(this))
{
    setModel(model_);
    setItemDelegate(new PlainCellDelegate(this));
    setSortingEnabled(false);
    setWordWrap(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
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
}

int LogGridView::twipsToPixels(int twips, const QWidget* w)
{
    const double dpi = w ? w->logicalDpiX() : 96.0;
    return static_cast<int>(std::lround(twips / 15.0 * dpi / 96.0));
}

void LogGridView::applyColumnWidths()
{
    for (int col = 0; col < LogGridModel::Cols; ++col)
        setColumnWidth(col, twipsToPixels(LogGridModel::colWidthTwips(col), this));
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

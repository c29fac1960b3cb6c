#include "grid_view/log_grid_view_cells.h"

#include "grid/log_grid_model.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {
// Enough for every text of several screens; beyond it the lines start over.
constexpr qsizetype kRememberedLines = 4096;
} // namespace

void LogGridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const
{
    const bool selected = option->state & QStyle::State_Selected;
    QStyledItemDelegate::initStyleOption(option, index);
    if (selected) {
        const QVariant background = index.data(LogGridModel::SelectedBackgroundRole);
        if (background.isValid())
            option->backgroundBrush = background.value<QColor>();
    }
    option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
}

const LogGridCellDelegate::Line& LogGridCellDelegate::lineOf(const QString& text,
                                                             const QFont& font) const
{
    if (font != font_ || lines_.size() >= kRememberedLines) {
        lines_.clear();
        font_ = font;
    }
    const auto known = lines_.constFind(text);
    if (known != lines_.cend())
        return *known;
    // A text of several scripts takes the ascent and height of its tallest font.
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(int(text.size()));
    layout.endLayout();
    return *lines_.insert(
        text, Line{line.naturalTextWidth(), line.ascent(), qCeil(line.height()), line.glyphRuns()});
}

void LogGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    const auto* grid = qobject_cast<const LogGridModel*>(index.model());
    if (grid && paintOneLine(painter, option, index, *grid))
        return;
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

// A cell whose text fits on one line, read from the grid's model as the
// style option would give it (text, alignment, row colours), and drawn as
// the style draws it: its background, then the line in its box.
bool LogGridCellDelegate::paintOneLine(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index, const LogGridModel& grid) const
{
    const int row = index.row() + 1, col = index.column();
    const QString text = grid.TextMatrix(row, col);
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The style's own text margin, as it draws an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    const Line& line = lineOf(text, option.font);
    if (line.width > textRect.width() || line.height > textRect.height())
        return false; // wrapped and cut by the style
    const bool coloured = col < LogGridModel::ColouredCols;
    const QColor background =
        coloured ? grid.rowBackground(row, option.state & QStyle::State_Selected) : QColor();
    QColor foreground = coloured ? grid.rowColor(row) : QColor();
    if (!foreground.isValid()) {
        QPalette::ColorGroup group =
            option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
            group = QPalette::Inactive;
        foreground = option.palette.color(group, QPalette::Text);
    }
    painter->save();
    painter->setClipRect(option.rect);
    if (background.isValid())
        painter->fillRect(option.rect, background);
    painter->setPen(foreground);
    painter->setFont(option.font);
    // Where the style puts the line: its box aligned in the text rectangle,
    // the text within the box's width by the horizontal alignment.
    const Qt::Alignment alignment = LogGridModel::cellAlignment(col);
    const QRect box = QStyle::alignedRect(Qt::LayoutDirectionAuto, alignment,
                                          QSize(textRect.width(), line.height), textRect);
    const Qt::Alignment across = QStyle::visualAlignment(option.direction, alignment);
    const qreal spare = textRect.width() - line.width;
    const qreal shift = across & Qt::AlignRight ? spare : across & Qt::AlignHCenter ? spare / 2 : 0;
    for (const QGlyphRun& glyphs : line.glyphs)
        painter->drawGlyphRun(QPointF(box.left() + shift, box.top()), glyphs);
    painter->restore();
    return true;
}

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

const LogGridCellDelegate::Line&
LogGridCellDelegate::lineOf(const QStyleOptionViewItem& option) const
{
    if (option.font != font_ || lines_.size() >= kRememberedLines) {
        lines_.clear();
        font_ = option.font;
    }
    const auto known = lines_.constFind(option.text);
    if (known != lines_.cend())
        return *known;
    // A text of several scripts takes the ascent and height of its tallest font.
    QTextLayout layout(option.text, option.font);
    layout.beginLayout();
    QTextLine text = layout.createLine();
    text.setNumColumns(int(option.text.size()));
    layout.endLayout();
    return *lines_.insert(option.text, Line{text.naturalTextWidth(), text.ascent(),
                                            qCeil(text.height()), text.glyphRuns()});
}

void LogGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The style's own text margin, as it draws an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
    // Wrapping changes nothing for a text that fits.
    const bool plain =
        (cell.features & ~QStyleOptionViewItem::WrapText) == QStyleOptionViewItem::HasDisplay &&
        !(cell.state & QStyle::State_Editing);
    const Line none;
    const Line& line = plain ? lineOf(cell) : none;
    if (!plain || line.width > textRect.width() || line.height > textRect.height()) {
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        return;
    }
    painter->save();
    painter->setClipRect(cell.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
    QPalette::ColorGroup group =
        cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->setPen(cell.palette.color(group, QPalette::Text));
    painter->setFont(cell.font);
    // Where the style puts the line: its box aligned in the text rectangle,
    // the text within the box's width by the horizontal alignment.
    const QRect box = QStyle::alignedRect(Qt::LayoutDirectionAuto, cell.displayAlignment,
                                          QSize(textRect.width(), line.height), textRect);
    const Qt::Alignment across = QStyle::visualAlignment(cell.direction, cell.displayAlignment);
    const qreal spare = textRect.width() - line.width;
    const qreal shift = across & Qt::AlignRight ? spare : across & Qt::AlignHCenter ? spare / 2 : 0;
    for (const QGlyphRun& glyphs : line.glyphs)
        painter->drawGlyphRun(QPointF(box.left() + shift, box.top()), glyphs);
    painter->restore();
}

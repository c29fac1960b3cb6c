#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QStyledItemDelegate>

class LogGridModel;

// How the result grid draws a cell: its text in its row colour also when
// selected (the view puts the highlight under it), a selected cell with a
// background of its own in the model's selected variant of it, and no focus
// rectangle.
//
// A text that fits its cell on one line, as nearly every cell's does, is
// drawn where and as the style draws it, but in one step where the style
// lays it out three times, and read straight from the grid's model rather
// than through a style option filled role by role; a longer one is wrapped
// and cut by the style. The
// line of each text drawn is remembered with its glyphs, since the same
// dates, units and contents fill every screen: it is drawn again without
// being laid out again.
class LogGridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // A text laid out as one line in the cell's font.
    struct Line {
        qreal width = 0; // of the text, trailing blanks left out as for alignment
        qreal ascent = 0;
        int height = 0;
        QList<QGlyphRun> glyphs; // placed from the line's top left corner
    };
    const Line& lineOf(const QString& text, const QFont& font) const;
    // False, drawing nothing, when the cell's text does not fit on one line.
    bool paintOneLine(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index, const LogGridModel& grid) const;

    mutable QFont font_; // the font of the lines remembered
    mutable QHash<QString, Line> lines_;
};

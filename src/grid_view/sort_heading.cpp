#include "grid_view/sort_heading.h"

#include "ui/window_parts.h"

#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

SortHeading::SortHeading(QTableView* grid, const QStringList& captions, const QString& name)
    : QWidget(grid), grid_(grid)
{
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(i));
        window_parts::pressOnEnter(button);
        connect(button, &QPushButton::clicked, this, [this, i] { emit clicked(i); });
        buttons_ << button;
    }
    // The heading row is as tall as a button.
    QHeaderView* header = grid_->horizontalHeader();
    // The buttons cover the header whole, so it never needs to paint; left to
    // paint, it would repaint the buttons over it at every new search.
    header->setUpdatesEnabled(false);
    if (!buttons_.isEmpty())
        header->setMinimumHeight(buttons_.constFirst()->sizeHint().height());
    connect(header, &QHeaderView::sectionResized, this, &SortHeading::place);
    connect(header, &QHeaderView::sectionMoved, this, &SortHeading::place);
    connect(header, &QHeaderView::geometriesChanged, this, &SortHeading::place);
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this, &SortHeading::place);
    grid_->installEventFilter(this);
    raise();
    place();
}

void SortHeading::showSorted(int column, bool descending)
{
    // Every search takes the arrow away: unchanged, the buttons are left alone,
    // and the arrow is only drawn from the style when one is shown.
    if (column == shownColumn_ && (column < 0 || descending == shownDescending_))
        return;
    shownColumn_ = column;
    shownDescending_ = descending;
    const QIcon arrow =
        column < 0 ? QIcon()
                   : style()->standardIcon(descending ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp);
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setIcon(i == column ? arrow : QIcon());
        // A screen reader names the order, as the arrow shows it.
        buttons_[i]->setAccessibleDescription(i != column  ? QString()
                                              : descending ? QStringLiteral("▼")
                                                           : QStringLiteral("▲"));
    }
}

bool SortHeading::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QWidget::eventFilter(watched, event);
}

void SortHeading::place()
{
    // The strip covers exactly the header, so a button scrolled partly out of
    // the grid is clipped at the grid's edge.
    const QHeaderView* header = grid_->horizontalHeader();
    setGeometry(header->geometry());
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setGeometry(header->sectionViewportPosition(i), 0, header->sectionSize(i),
                                 header->height());
    }
}

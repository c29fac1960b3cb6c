#pragma once

#include <QList>
#include <QWidget>

class QHeaderView;
class QPushButton;
class QTableView;

// Heading buttons laid over a grid's heading row, one per column from the
// first: they serve as the grid's headings and follow its columns wherever
// they are resized, moved or scrolled. The button of the column sorted last
// shows an arrow in the direction of that sort.
class SortHeading : public QWidget {
    Q_OBJECT
public:
    // Makes one button per caption, named "<name>(i)".
    SortHeading(QTableView* grid, const QStringList& captions, const QString& name);

    QPushButton* button(int column) const { return buttons_[column]; }
    // The arrow on the column's button (none on the others); column -1 takes it away.
    void showSorted(int column, bool descending);

signals:
    void clicked(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QTableView* grid_;
    QList<QPushButton*> buttons_;
    int shownColumn_ = -1; // the column whose button shows the arrow
    bool shownDescending_ = false;
};

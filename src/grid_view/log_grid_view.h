#pragma once

#include <QTableView>

class LogGridModel;
class QWheelEvent;

// The result grid (MSFG): a table view on its own LogGridModel. The model's
// headings form the fixed heading row; rows have one fixed height, selected
// cells keep their row's text colour and no focus rectangle is drawn. The
// grid has colours of its own (log_row_format), not the desktop theme's.
// Whenever the model gets new rows the grid shows them from the first.
class LogGridView : public QTableView {
    Q_OBJECT
public:
    explicit LogGridView(QWidget* parent = nullptr);
    LogGridModel* gridModel() const { return model_; }

    // Sets the column widths of the model (twips) on the view; a column of
    // width 0 is hidden. The last visible column takes any width the grid has
    // beyond them.
    void applyColumnWidths();

    // Rows appended below the last row shown only change the scroll bar: the
    // rows shown are not painted again for them. A search appends its rows in
    // batches while the window shows its first ones.
    void doItemsLayout() override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void resizeEvent(QResizeEvent* event) override;
    // One wheel event scrolls exactly one line (up if angleDelta().y() > 0,
    // else down), only when the grid can scroll vertically. A mainly sideways
    // event scrolls the columns instead.
    void wheelEvent(QWheelEvent* event) override;

private:
    void fitLastColumn();

    LogGridModel* model_;
    // Since the last layout: rows were appended out of sight, and anything
    // else changed the rows or their order.
    bool appendedOutOfSight_ = false;
    bool rowsChanged_ = true;
};

#pragma once

#include <QElapsedTimer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

// A window that shows what long work is doing: a stage text and a bar, which
// moves where the amount is known and runs to and fro where it is not. It has
// no cancel button and no close box: it is used for work that must not stop
// halfway. It appears only when the work lasts more than half a second, so
// short work does not flash a window. Without a GUI application (a console
// tool) it does nothing.
class WorkProgress {
public:
    WorkProgress(QWidget* parent, const QString& title);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // A new stage of the work; total 0 when its amount is not known.
    void setStage(const QString& text, qint64 total = 0);
    // How much of the stage's total is done, and the stage text anew when
    // given. The window is repainted (without taking user input) at most a
    // few times a second.
    void setDone(qint64 done, const QString& text = {});
    // Repaints the window now, without taking user input.
    void refresh();

private:
    std::unique_ptr<QProgressDialog> dialog_; // its parent outlives this scoped object
    QElapsedTimer sinceRefresh_;
    qint64 total_ = 0;
};

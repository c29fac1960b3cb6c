#pragma once

#include "stats/log_statistics.h"

#include <QDialog>
#include <memory>

struct AppContext;
class LogGridModel;
class QChartView;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The statistics window ("統計"): the logs the grid shows, per day (or week,
// month, year) and content, the measured values over time against the
// company's limit for their unit code, which the operator can change, and a
// table per unit; saved as PDF or PNG and printed. Opened modally by the main
// window; the constructor runs Form_Load and fits the window to the screen.
class Frm_Stat : public QDialog {
    Q_OBJECT
public:
    // The window over the rows the grid shows, or nothing when it shows none:
    // the operator is then told so, as by the save command.
    static std::unique_ptr<Frm_Stat> forGrid(AppContext& ctx, const LogGridModel& grid,
                                             QWidget* parent);

    Frm_Stat(AppContext& ctx, const LogGridModel& grid, QWidget* parent = nullptr);
    ~Frm_Stat() override;

    void Form_Load();
    void Cmd_Limit_Click();
    void Cmd_Hozon_Click();
    void Cmd_Print_Click();
    void Cmd_Modoru_Click();

    const log_statistics::Figures& figures() const { return figures_; }

    QLabel* LB_Summary;
    QChartView* Chart_Log;
    QChartView* Chart_Value;
    QTableWidget* Grid_Unit;
    QLabel* LB_Limit;
    QLineEdit* Txt_Limit;
    QPushButton* Cmd_Limit;
    QPushButton* Cmd_Hozon;
    QPushButton* Cmd_Print;
    QPushButton* Cmd_Modoru;

private:
    // Opens within the screen's usable area, centred as the main window is.
    void fitScreen();
    // Counts the figures with the kept limits and shows them.
    void showFigures();
    void message(const QString& text, bool warning);

    AppContext& ctx_;
    const LogGridModel& grid_;
    const bool english_;
    stat_limit::Limits limits_;
    log_statistics::Figures figures_;
};

#include "stats_window/frm_stat.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "base/texts/output.h"
#include "base/texts/stats.h"
#include "grid/log_grid_model.h"
#include "history/op_history.h"
#include "output/print_target.h"
#include "output/save_dialog.h"
#include "stats/stat_limit.h"
#include "stats_window/stat_charts.h"
#include "stats_window/stat_report.h"
#include "ui/busy_cursor.h"
#include "ui/window_message.h"
#include "ui/window_parts.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace t = texts::stats;
using window_parts::named;

namespace {

QChartView* chartView(const char* name, QWidget* parent)
{
    auto* view = named(new QChartView(parent), name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 300);
    return view;
}

// The size the window opens at where the screen has room for it.
constexpr QSize kPreferredSize(1100, 800);

// The frame the window system puts round a window, as it has put it round `window`.
QMargins frameOf(const QWidget* window)
{
    if (!window || !window->isVisible())
        return {};
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

} // namespace

std::unique_ptr<Frm_Stat> Frm_Stat::forGrid(AppContext& ctx, const LogGridModel& grid,
                                            QWidget* parent)
{
    if (grid.Rows() <= 1) {
        ctx.dialogs->message(parent, texts::output::SaveNothing.in(ctx.sw), t::Caption.in(ctx.sw));
        return nullptr;
    }
    return std::make_unique<Frm_Stat>(ctx, grid, parent);
}

Frm_Stat::Frm_Stat(AppContext& ctx, const LogGridModel& grid, QWidget* parent)
    : QDialog(parent), ctx_(ctx), grid_(grid), english_(ctx.sw.english())
{
    setObjectName(QStringLiteral("Frm_Stat"));
    setWindowTitle(t::Caption.pick(english_));
    setModal(true);

    LB_Summary = named(new QLabel(this), "LB_Summary");
    LB_Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LB_Summary->setWordWrap(true);
    Chart_Log = chartView("Chart_Log", this);
    Chart_Value = chartView("Chart_Value", this);
    Grid_Unit = named(new QTableWidget(this), "Grid_Unit");
    Grid_Unit->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_Unit->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_Unit->verticalHeader()->setVisible(false);
    Grid_Unit->horizontalHeader()->setStretchLastSection(true);

    LB_Limit = named(new QLabel(this), "LB_Limit");
    Txt_Limit = named(new QLineEdit(this), "Txt_Limit");
    Txt_Limit->setToolTip(t::LimitTip.pick(english_));
    Txt_Limit->setMaxLength(8);
    Txt_Limit->setMaximumWidth(Txt_Limit->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                               10);
    LB_Limit->setBuddy(Txt_Limit);
    Cmd_Limit = window_parts::button("Cmd_Limit", t::Cmd_Limit.pick(english_), this);
    Cmd_Hozon = window_parts::button("Cmd_Hozon", t::Cmd_Hozon.pick(english_), this);
    Cmd_Print = window_parts::button("Cmd_Print", t::Cmd_Print.pick(english_), this);
    Cmd_Modoru = window_parts::button("Cmd_Modoru", t::Cmd_Modoru.pick(english_), this);

    auto* charts = new QSplitter(Qt::Horizontal, this);
    charts->addWidget(Chart_Log);
    charts->addWidget(Chart_Value);
    auto* body = new QSplitter(Qt::Vertical, this);
    body->addWidget(charts);
    body->addWidget(Grid_Unit);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 1);
    body->setChildrenCollapsible(false);
    charts->setChildrenCollapsible(false);

    auto* commands = new QHBoxLayout;
    commands->addWidget(LB_Limit);
    commands->addWidget(Txt_Limit);
    commands->addWidget(Cmd_Limit);
    commands->addStretch();
    for (QPushButton* b : {Cmd_Hozon, Cmd_Print, Cmd_Modoru})
        commands->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(LB_Summary);
    layout->addWidget(body, 1);
    layout->addLayout(commands);

    // Enter in the limit box sets the limit and never closes the window.
    connect(Txt_Limit, &QLineEdit::returnPressed, this, &Frm_Stat::Cmd_Limit_Click);
    connect(Cmd_Limit, &QPushButton::clicked, this, &Frm_Stat::Cmd_Limit_Click);
    connect(Cmd_Hozon, &QPushButton::clicked, this, &Frm_Stat::Cmd_Hozon_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &Frm_Stat::Cmd_Print_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Stat::Cmd_Modoru_Click);

    Form_Load();
    fitScreen();
}

Frm_Stat::~Frm_Stat() = default;

void Frm_Stat::fitScreen()
{
    const QWidget* opener = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* s = opener ? opener->screen() : screen();
    if (!s) {
        resize(kPreferredSize);
        return;
    }
    // The usable desktop without its panels, less the frame the window will get.
    const QRect area = s->availableGeometry();
    const QMargins frame = frameOf(opener);
    const QSize size =
        kPreferredSize.boundedTo(area.size().shrunkBy(frame)).expandedTo(minimumSizeHint());
    resize(size);
    const QRect placed = Form_Center(area.size(), size.grownBy(frame));
    move(area.topLeft() + QPoint(qMax(0, placed.left()), qMax(0, placed.top())));
}

void Frm_Stat::Form_Load()
{
    const BusyCursor busy;
    limits_ = stat_limit::read(ctx_.settings.read);
    showFigures();
}

void Frm_Stat::showFigures()
{
    figures_ = log_statistics::compute(grid_.texts(), grid_.records(), limits_);
    Txt_Limit->setText(stat_limit::text(figures_.limit));
    LB_Limit->setText(
        t::LB_Limit.pick(english_).arg(log_statistics::codeText(figures_.code, english_)));
    LB_Summary->setText(log_statistics::summary(figures_, english_));

    const int fontPixels = QFontInfo(font()).pixelSize();
    // A chart view owns the chart it shows and lets go of the one it replaces.
    const std::unique_ptr<QChart> oldLog(Chart_Log->chart()), oldValue(Chart_Value->chart());
    Chart_Log->setChart(stat_charts::logChart(figures_, english_, fontPixels).release());
    Chart_Value->setChart(stat_charts::valueChart(figures_, english_, fontPixels).release());

    const QStringList headings = log_statistics::tableHeadings(figures_, english_);
    const QList<QStringList> rows = log_statistics::tableRows(figures_, english_);
    Grid_Unit->clear();
    Grid_Unit->setColumnCount(int(headings.size()));
    Grid_Unit->setHorizontalHeaderLabels(headings);
    Grid_Unit->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(rows[r][c]);
            if (log_statistics::isCountColumn(c, int(headings.size())))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid_Unit->setItem(r, c, item);
        }
    }
    Grid_Unit->resizeColumnsToContents();
}

void Frm_Stat::message(const QString& text, bool warning)
{
    window_message::tell(*ctx_.dialogs, this, t::Caption.pick(english_), text, warning);
}

void Frm_Stat::Cmd_Limit_Click()
{
    const std::optional<double> limit = stat_limit::parse(Txt_Limit->text());
    if (!limit) {
        message(t::BadLimit.pick(english_), true);
        Txt_Limit->setText(stat_limit::text(figures_.limit));
        Txt_Limit->setFocus();
        Txt_Limit->selectAll();
        return;
    }
    QString error;
    {
        const BusyCursor busy;
        // The limit is the company's for the unit code the window shows.
        error = stat_limit::write(ctx_.settings.own, figures_.code, *limit);
        limits_.set(figures_.code, *limit);
        showFigures();
    }
    op_history::add(
        ctx_, this, op_history::Op::Limit,
        texts::history::LimitDetails.in(ctx_.sw).arg(
            stat_limit::text(*limit), log_statistics::codeText(figures_.code, english_)));
    // The limit still applies in this window when it cannot be kept.
    if (!error.isEmpty())
        message(t::LimitNotKept.pick(english_).arg(error), true);
}

void Frm_Stat::Cmd_Hozon_Click()
{
    const QString path = Get_SaveFileName(
        *ctx_.dialogs, this, SaveDialog::Statistics, t::ReportFilter.pick(english_),
        t::SaveBase.pick(english_), ctx_.now(), QStringLiteral(".pdf"));
    if (path.isEmpty())
        return;
    QString error;
    {
        const BusyCursor busy;
        error = saveReport(StatReport(figures_, english_), path, english_);
    }
    if (!error.isEmpty()) {
        message(t::SaveFailed.pick(english_).arg(QDir::toNativeSeparators(path), error), true);
        return;
    }
    message(t::Saved.pick(english_), false);
}

void Frm_Stat::Cmd_Print_Click()
{
    const std::optional<PrintDone> done =
        printWhereChosen(*ctx_.dialogs, this, english_, t::Caption.pick(english_),
                         t::SaveBase.pick(english_), ctx_.now(), [this](QPrinter& printer) {
                             return printReport(StatReport(figures_, english_), printer);
                         });
    if (!done)
        return;
    if (!done->outcome.ok()) {
        message(t::PrintFailed.pick(english_).arg(printFailureText(done->outcome, ctx_.sw)), true);
        return;
    }
    message(t::Printed.pick(english_), false);
}

void Frm_Stat::Cmd_Modoru_Click()
{
    accept();
}

#include "main/frm_main.h"

#include "admin/frm_kanri.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/admin.h"
#include "base/texts/main.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "comm_window/frm_com.h"
#include "db/database.h"
#include "db/login_rights.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "grid_view/sort_heading.h"
#include "main/frm_ver.h"
#include "main/read_adapter.h"
#include "main/search_session.h"
#include "output/log_output_commands.h"
#include "records_window/frm_kiroku.h"
#include "search/log_search.h"
#include "sets/frm_selection_set.h"
#include "stats_window/frm_stat.h"
#include "ui/busy_cursor.h"
#include "ui/window_parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace t = texts::main_window;

namespace {

// A count with thousands separators ("1,234"), in either language.
QString grouped(int count)
{
    return QLocale(QLocale::English).toString(count);
}

} // namespace

Frm_Main::Frm_Main(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(textOf(t::Caption));
    buildControls();
    search_ = std::make_unique<SearchSession>(this, Cmd_End, MSFG);
    search_->onProgress = [this](int rows) {
        // The rows come in batches; they can be sorted once all are in.
        sortHeading_->setEnabled(false);
        LB_Count->setText(textOf(texts::search_status::Reading).arg(grouped(rows)));
    };
    buildLayout();
    buildMenu();
    connectControls();
}

Frm_Main::~Frm_Main() = default;

void Frm_Main::connectControls()
{
    for (int i = 0; i < 2; ++i) {
        connect(Opt_Ngh[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_Ngh_Click(i);
        });
        connect(Opt_User[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_User_Click(i);
        });
        connect(Opt_Naiyou[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_Naiyou_Click(i);
        });
        connect(Cmd_Fuku[i], &QPushButton::clicked, this, [this, i] { Cmd_Fuku_Click(i); });
    }
    connect(sortHeading_, &SortHeading::clicked, this, &Frm_Main::Cmb_Sort_Click);
    // New rows come in the database's order: no heading shows a sort then
    // (a search into an empty grid only inserts them).
    const auto unsorted = [this] {
        sortHeading_->showSorted(-1, false);
        shownSort_.reset();
    };
    connect(MSFG->gridModel(), &QAbstractItemModel::modelReset, sortHeading_, unsorted);
    connect(MSFG->gridModel(), &QAbstractItemModel::rowsInserted, sortHeading_, unsorted);
    connect(Cmd_Find, &QPushButton::clicked, this, &Frm_Main::Cmd_Find_Click);
    connect(Cmd_Read, &QPushButton::clicked, this, &Frm_Main::Cmd_Read_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &Frm_Main::Cmd_Save_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &Frm_Main::Cmd_Print_Click);
    connect(Cmd_Setei, &QPushButton::clicked, this, &Frm_Main::Cmd_Setei_Click);
    connect(Cmd_kanri, &QPushButton::clicked, this, &Frm_Main::Cmd_kanri_Click);
    connect(Cmd_End, &QPushButton::clicked, this, &Frm_Main::Cmd_End_Click);
    connect(Cmd_Sousa, &QPushButton::clicked, this, &Frm_Main::Cmd_Sousa_Click);

    // A menu entry runs its button's procedure.
    connect(M_Read, &QAction::triggered, this, &Frm_Main::Cmd_Read_Click);
    connect(M_Save, &QAction::triggered, this, &Frm_Main::Cmd_Save_Click);
    connect(M_Print, &QAction::triggered, this, &Frm_Main::Cmd_Print_Click);
    connect(M_Stat, &QAction::triggered, this, &Frm_Main::M_Stat_Click);
    connect(M_Kiroku, &QAction::triggered, this, &Frm_Main::M_Kiroku_Click);
    connect(M_Setei, &QAction::triggered, this, &Frm_Main::Cmd_Setei_Click);
    connect(M_Kanri, &QAction::triggered, this, &Frm_Main::Cmd_kanri_Click);
    connect(M_End, &QAction::triggered, this, &Frm_Main::Cmd_End_Click);
    connect(M_Ver, &QAction::triggered, this, &Frm_Main::M_Ver_Click);

    read_ = new ReadAdapter(ctx_, {Cmd_Read, M_Read, Txt_Yomi, LB_Status}, this);
    // A read empties the grid, and the count of the search it showed goes with it.
    connect(read_, &ReadAdapter::gridToClear, this, [this] {
        MSFG->gridModel()->clearRows();
        LB_Count->clear();
        shownSearch_.reset();
    });
    connect(read_, &ReadAdapter::searchWanted, this, &Frm_Main::Cmd_Find_Click);
    connect(read_, &ReadAdapter::portWindowWanted, this, &Frm_Main::Cmd_Setei_Click);
}

void Frm_Main::Form_Load()
{
    Grid_Set();
    Master_Read();
    Unit_Read();
    Criteria_Set();
    // The grid itself scrolls one line per wheel event (LogGridView).
}

QString Frm_Main::textOf(const BiText& text) const
{
    return text.in(ctx_.sw);
}

void Frm_Main::Cmd_Find_Click()
{
    // Asked for while a search runs (the read's own search): the running one
    // stops and the search starts over with the criteria shown then.
    if (search_->running()) {
        search_->restart();
        return;
    }
    findLogs([this] { return criteria(); });
}

void Frm_Main::findLogs(const std::function<SearchCriteria()>& criteriaNow)
{
    shownSearch_.reset();
    SearchCriteria used;
    const SearchOutcome outcome = search_->run([&](const KeepSearching& keepGoing) {
        used = criteriaNow();
        return runSearch(*ctx_.db, ctx_.sw, used, *MSFG->gridModel(), keepGoing);
    });
    sortHeading_->setEnabled(true);
    namespace s = texts::search_status;
    LB_Count->setText(
        !outcome.ok() || outcome.cancelled ? QString()
        : outcome.withArchive
            ? textOf(s::FoundArchived).arg(grouped(outcome.rows), grouped(outcome.archived))
        : outcome.rows == 1 ? textOf(s::FoundOne)
        : outcome.rows > 0  ? textOf(s::Found).arg(grouped(outcome.rows))
                            : textOf(s::NoneFound));
    if (outcome.ok() && !outcome.cancelled)
        shownSearch_ = used;
    if (search_->takeEndRequest()) {
        Cmd_End_Click();
        return;
    }
    if (!outcome.ok()) {
        ctx_.dialogs->message(this, outcome.message, t::SearchTitle.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
    }
}

void Frm_Main::findShownAgain()
{
    if (!shownSearch_)
        return;
    const SearchCriteria shown = *shownSearch_;
    const std::optional<std::pair<int, bool>> sort = shownSort_;
    findLogs([shown] { return shown; });
    if (sort && shownSearch_) {
        const BusyCursor busy;
        MSFG->gridModel()->sortColumn(sort->first, sort->second);
        sortHeading_->showSorted(sort->first, sort->second);
        shownSort_ = sort;
    }
}

bool Frm_Main::refusedDuringSearch()
{
    if (!search_->running())
        return false;
    const NormalCursor normal; // over the search's busy pointer, while the box is answered
    ctx_.dialogs->message(this, textOf(t::SearchRunning), textOf(t::SearchTitle), MsgButtons::Ok,
                          MsgIcon::Exclamation);
    return true;
}

bool Frm_Main::mayAdminister()
{
    if (ctx_.loginId.isEmpty()) // a window opened without a sign-in has no ID to check
        return true;
    QString refusal;
    try {
        if (!login_rights::mayAdminister(*ctx_.db, ctx_.loginId))
            refusal = texts::login_id::NotAdministrator.in(ctx_.sw);
    } catch (const DbError& e) {
        refusal = t::ListReadError.in(ctx_.sw).arg(e.message());
    }
    if (refusal.isEmpty())
        return true;
    ctx_.dialogs->message(this, refusal, texts::kanri::Caption.in(ctx_.sw), MsgButtons::Ok,
                          MsgIcon::Exclamation);
    return false;
}

void Frm_Main::Cmb_Sort_Click(int index)
{
    if (refusedDuringSearch())
        return;
    const bool descending = !Sort_State[index];
    {
        const BusyCursor busy;
        MSFG->gridModel()->sortColumn(index, descending);
    }
    Sort_State[index] = descending;
    sortHeading_->showSorted(index, descending);
    shownSort_ = std::pair(index, descending);
}

void Frm_Main::Cmd_Fuku_Click(int index)
{
    if (refusedDuringSearch())
        return;
    // A set window closed by its close button may have changed the sets.
    if (index == 0) {
        Frm_Sentaku window(ctx_, this);
        if (runModal(window) == QDialog::Accepted)
            Master_Read();
    } else {
        Frm_USentaku window(ctx_, this);
        if (runModal(window) == QDialog::Accepted)
            Unit_Read();
    }
}

void Frm_Main::Cmd_Read_Click()
{
    if (refusedDuringSearch())
        return;
    read_->click();
}

void Frm_Main::Cmd_Save_Click()
{
    if (refusedDuringSearch())
        return;
    saveShownLog(ctx_, this, *MSFG->gridModel());
}

void Frm_Main::Cmd_Print_Click()
{
    if (refusedDuringSearch())
        return;
    printShownLog(ctx_, this, *MSFG->gridModel());
}

void Frm_Main::M_Stat_Click()
{
    if (refusedDuringSearch())
        return;
    if (const auto window = Frm_Stat::forGrid(ctx_, *MSFG->gridModel(), this))
        runModal(*window);
}

void Frm_Main::M_Kiroku_Click()
{
    if (refusedDuringSearch())
        return;
    Frm_Kiroku window(ctx_, this);
    runModal(window);
}

void Frm_Main::Cmd_Setei_Click()
{
    if (refusedDuringSearch())
        return;
    Frm_Com window(ctx_, this);
    runModal(window);
}

void Frm_Main::Cmd_kanri_Click()
{
    if (refusedDuringSearch())
        return;
    // Only an ID with 管理者 administers; the right is read when it is used.
    if (!mayAdminister())
        return;
    Frm_Kanri window(ctx_, this);
    const int result = runModal(window);
    if (result & Frm_Kanri::ClosedByButton)
        Unit_Read();
    // The grid never shows logs that are gone, nor texts that changed.
    if (result & Frm_Kanri::ShownLogsChanged)
        findShownAgain();
}

void Frm_Main::M_Ver_Click()
{
    if (refusedDuringSearch())
        return;
    Frm_Ver window(ctx_, this);
    runModal(window);
}

void Frm_Main::Cmd_End_Click()
{
    if (stopSearchForEnd()) // ends once the search has let go of the database
        return;
    // The program's exit path runs once, whichever way the window ends.
    if (ended_)
        return;
    ended_ = true;
    // A read in progress first stops the handset and stores every complete
    // record it received; a storage failure is shown before the exit.
    read_->endForExit();
    if (ctx_.end)
        ctx_.end(this);
}

bool Frm_Main::stopSearchForEnd()
{
    return search_->stopForEnd();
}

void Frm_Main::Cmd_Sousa_Click()
{
    if (refusedDuringSearch())
        return;
    DecodeOutcome outcome;
    {
        const BusyCursor busy;
        // Repaints go on while decoding; clicks wait until it has finished.
        outcome = Log_Decode(*ctx_.db, sampleStream(), ctx_.now, [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    if (!outcome.ok()) {
        ctx_.dialogs->message(this, outcome.error, t::SousaTitle.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
    }
}

void Frm_Main::Form_Activate()
{
    const QScreen* s = screen();
    // A maximised or minimised window keeps the place the window system gave it.
    if (!s || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    // The usable desktop: the screen without its panels.
    const QRect area = s->availableGeometry();
    const QRect placed = Form_Center(area.size(), frameGeometry().size());
    // A window taller than the screen keeps its title bar on it, so it can still be moved.
    move(area.topLeft() + QPoint(placed.left(), qMax(0, placed.top())));
}

void Frm_Main::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && placeOnActivation_) {
        placeOnActivation_ = false;
        Form_Activate();
    }
}

int Frm_Main::runModal(QDialog& window)
{
    const int result = window.exec();
    // Activation may already have come back while the window closed.
    if (isActiveWindow()) {
        placeOnActivation_ = false;
        Form_Activate();
    } else {
        placeOnActivation_ = true;
    }
    return result;
}

void Frm_Main::closeEvent(QCloseEvent* event)
{
    // Closing by the frame ends the program as the end command does, so
    // the database is closed and compacted.
    Cmd_End_Click();
    event->accept();
}

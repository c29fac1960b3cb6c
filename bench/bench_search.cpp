// The log search and the result grid of the main window on a database of
// N stored logs (--logs N, default a million): each search through the
// window's search command (all logs, one month, a unit set, a content set,
// one month with the preserved logs) against the same SELECT read by the
// bare sqlite3 API, how soon the first rows are painted, sorting every row
// on each column against a plain stable sort of the column's texts, the
// grid's bytes per row and the whole process's resident memory after
// searching all logs.
#include "base/app_context.h"
#include "db/database.h"
#include "db/sql_text.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "search/log_search.h"
#include "search_database.h"
#include "support.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <numeric>
#include <sqlite3.h>
#include <vector>

using bench::measure;
using bench::report;
using bench::Timing;
using search_db::bareRead;

namespace {

constexpr long kDefaultLogs = 1'000'000;
constexpr int kRuns = 3;
// Long searches take turns with their floor this often: a full scan's time
// varies with the machine's load more than a short search's.
constexpr int kLongRuns = 5;
constexpr int kShortRuns = 15;

// When the grid's rows are first painted, once that paint is done.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* viewport, const LogGridModel& model) : viewport_(viewport), model_(model)
    {
        viewport_->installEventFilter(this);
        clock_.start();
    }
    ~FirstPaint() override { viewport_->removeEventFilter(this); }
    FirstPaint(const FirstPaint&) = delete;
    FirstPaint& operator=(const FirstPaint&) = delete;
    double ms = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (painting_ || ms >= 0 || event->type() != QEvent::Paint || model_.rowCount() == 0)
            return false;
        painting_ = true;
        QCoreApplication::sendEvent(watched, event); // the paint itself, then the time
        painting_ = false;
        ms = double(clock_.nsecsElapsed()) / 1e6;
        return true;
    }

private:
    QWidget* viewport_;
    const LogGridModel& model_;
    QElapsedTimer clock_;
    bool painting_ = false;
};

SearchCriteria allDates()
{
    SearchCriteria c;
    c.dateRange = false;
    c.oneContent = false;
    return c;
}

SearchCriteria oneMonth()
{
    SearchCriteria c = allDates();
    c.dateRange = true;
    c.year[0] = c.year[1] = QStringLiteral("2023");
    c.month[0] = c.month[1] = QStringLiteral("06");
    c.day[0] = QStringLiteral("01");
    c.day[1] = QStringLiteral("30");
    return c;
}

SearchCriteria unitSet()
{
    SearchCriteria c = allDates();
    c.oneUnit = true;
    c.unitText = QStringLiteral("複数選択　　Ten");
    return c;
}

SearchCriteria contentSet()
{
    SearchCriteria c = allDates();
    c.oneContent = true;
    c.contentText = QStringLiteral("複数選択　　Three");
    return c;
}

// Puts the criteria into the window's boxes, as the operator would.
void showCriteria(Frm_Main& w, const SearchCriteria& c)
{
    w.Opt_Ngh[c.dateRange ? 1 : 0]->setChecked(true);
    for (int i = 0; c.dateRange && i < 2; ++i) {
        w.Cmb_Nen[i]->setCurrentText(c.year[i]);
        w.Cmb_Tuki[i]->setCurrentText(c.month[i]);
        w.Cmb_Hi[i]->setCurrentText(c.day[i]);
    }
    w.Opt_User[c.oneUnit ? 1 : 0]->setChecked(true);
    w.Cmb_User->setEditText(c.unitText);
    w.Opt_Naiyou[c.oneContent ? 1 : 0]->setChecked(true);
    w.Cmb_Naiyou->setEditText(c.contentText);
    w.Chk_Hozonzumi->setChecked(c.withArchive);
}

long parseLogs(const QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--logs"));
    if (at < 0)
        return kDefaultLogs;
    bool ok = false;
    const long n = args.value(at + 1).toLong(&ok);
    if (!ok || n < search_db::kUnits) {
        std::fprintf(stderr, "usage: bench_search [--logs N]   (N at least %d)\n",
                     search_db::kUnits);
        std::exit(2);
    }
    return n;
}

// The window on the database, and its search command as the operator gives it.
struct Bench {
    Database& db;
    Frm_Main& window;
    LogGridModel& model;
    const Switches& sw;
    sqlite3* handle() const { return db.sqliteHandle(); }
    QByteArray statement(const SearchCriteria& c) const
    {
        return translateSql(buildSearchStatement(db, c, sw)).toUtf8();
    }
    // The rows found.
    int search(const SearchCriteria& c) const
    {
        showCriteria(window, c);
        window.Cmd_Find_Click();
        QCoreApplication::processEvents();
        return model.Rows() - 1;
    }
};

// The kept database when it is current, else a new one.
void prepareDatabase(const QString& path, long logs)
{
    if (QFile::exists(path) && !search_db::keptIsCurrent(path)) {
        std::printf("database kept in %s is of an earlier version: rebuilt\n", qPrintable(path));
        QFile::remove(path);
    }
    if (QFile::exists(path)) {
        std::printf("database kept in %s, not rebuilt\n\n", qPrintable(path));
        return;
    }
    std::printf("Building a database of %ld logs...\n", logs);
    std::fflush(stdout);
    const double buildMs = bench::bestMs(1, [&] { search_db::build(path, logs); });
    std::printf("database of %ld logs built in %.1f s (%.0f MiB)\n\n", logs, buildMs / 1000.0,
                double(QFile(path).size()) / (1024.0 * 1024.0));
}

// Memory: the whole process with the window shown, before and after its
// first search of every log (freed heap is handed back to the system
// before each reading, so only what the window keeps counts).
void measureMemory(const Bench& b)
{
    bareRead(b.handle(), b.statement(allDates()));
    malloc_trim(0);
    const long before = bench::residentKb();
    const int all = b.search(allDates());
    malloc_trim(0);
    const long after = bench::residentKb();
    std::printf("grid: %d rows; a record is %zu bytes (%zu more per row once sorted)\n", all,
                sizeof(LogGridRecord), sizeof(std::uint32_t));
    std::printf("process resident memory: %.1f MiB with the window shown, %.1f MiB after "
                "searching all logs (target under 450 MiB at ten million logs)\n",
                double(before) / 1024.0, double(after) / 1024.0);
    std::printf("resident growth per row: %.1f bytes (records, the grid view's row table, "
                "interned texts; target at most 30)\n\n",
                all ? double(after - before) * 1024.0 / all : 0.0);
    std::fflush(stdout);
}

// How soon the grid paints its first screen of rows during a search of every log.
void measureFirstPaint(const Bench& b)
{
    for (int run = 0; run < kRuns; ++run) {
        b.model.clearRows();
        QCoreApplication::processEvents();
        const FirstPaint first(b.window.MSFG->viewport(), b.model);
        QElapsedTimer clock;
        clock.start();
        b.search(allDates());
        const double wholeMs = double(clock.nsecsElapsed()) / 1e6;
        std::printf("    first rows painted  %.0f ms  of a search of  %.0f ms  (%.1f %%)\n",
                    first.ms, wholeMs, 100.0 * first.ms / wholeMs);
    }
}

void measureSearches(const Bench& b)
{
    std::printf("search through the window's search command (floor: the same SELECT read by "
                "the bare sqlite3 API; target: processor-time ratio at most 1.25)\n");
    const struct {
        const char* name;
        SearchCriteria criteria;
    } searches[] = {{"search all", allDates()},
                    {"search one month (2023/06)", oneMonth()},
                    {"search unit set of 10", unitSet()},
                    {"search content set of 3", contentSet()}};
    for (const auto& s : searches) {
        const QByteArray sql = b.statement(s.criteria);
        b.model.clearRows();
        const int rows = b.search(s.criteria);
        // Short searches run more often: their best times come through the machine's load.
        const int runs = rows < 100'000 ? kShortRuns : kLongRuns;
        const auto [ours, floor] = bench::measureInTurns(
            runs, [&] { b.search(s.criteria); }, [&] { bareRead(b.handle(), sql); },
            [&] { b.model.clearRows(); });
        report(s.name, ours, floor);
        std::printf("    %d rows\n", rows);
        // The same into a grid model that no view shows: what the window adds is the difference.
        LogGridModel alone;
        const auto [loaded, bare] = bench::measureInTurns(
            runs, [&] { runSearch(b.db, b.sw, s.criteria, alone); },
            [&] { bareRead(b.handle(), sql); }, [&] { alone.clearRows(); });
        report("    the grid model alone", loaded, bare);
        if (&s == &searches[0])
            measureFirstPaint(b);
    }
}

void measureSorting(const Bench& b)
{
    std::printf("\nsorting the grid (floor: std::stable_sort of the column's ready-made texts, "
                "case-blind)\n");
    b.search(allDates());
    for (int col = 0; col < 6; ++col) {
        const Timing ours = measure(kRuns, [&] { b.window.Cmb_Sort_Click(col); });
        std::vector<QString> texts;
        texts.reserve(std::size_t(b.model.Rows() - 1));
        for (int r = 1; r < b.model.Rows(); ++r)
            texts.push_back(b.model.TextMatrix(r, col));
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        const Timing floor = measure(1, [&] {
            std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
                return QString::compare(texts[std::size_t(x)], texts[std::size_t(y)],
                                        Qt::CaseInsensitive) > 0;
            });
        });
        char name[64];
        std::snprintf(name, sizeof name, "sort %d rows on column %d (%s)", b.model.Rows() - 1, col,
                      qPrintable(LogGridModel::heading(col)));
        report(name, ours, floor);
    }
}

// The preserved logs too: as many again in the archive, at every size.
void measureArchiveSearch(const Bench& b, long logs)
{
    search_db::fillArchive(b.handle());
    SearchCriteria withArchive = oneMonth();
    withArchive.withArchive = true;
    // The floor: the month's rows of both tables with the views' joins and no
    // per-row check, read by a bare SELECT.
    QByteArray bothTables;
    for (const char* table : {"Log_Data", "Log_Archive"})
        bothTables += QByteArray(bothTables.isEmpty() ? "" : " UNION ALL ") +
                      "SELECT L.Unit_SN, L.Date, L.Data_No, L.Log_No, L.Alcohol, L.Tani, "
                      "M.Naiyou, M.Naiyou2, K.Name FROM " +
                      table +
                      " L LEFT JOIN Log_Master M ON M.Log_No = L.Log_No LEFT JOIN Kiki_Name K "
                      "ON K.Unit_SN = L.Unit_SN WHERE L.Date >= '2023-06-01 00:00:00' AND "
                      "L.Date <= '2023-06-30 23:59:59'";
    std::printf("\nsearch with the preserved logs, %ld logs in each table (floor: the month's "
                "rows of both tables with the views' joins by a bare SELECT; target: ratio at "
                "most 1.25)\n",
                logs);
    int rows = 0;
    const auto [ours, floor] = bench::measureInTurns(
        kShortRuns, [&] { rows = b.search(withArchive); },
        [&] { bareRead(b.handle(), bothTables); }, [&] { b.model.clearRows(); });
    report("search one month (2023/06) with the preserved logs", ours, floor);
    std::printf("    %d rows, %s\n", rows, qPrintable(b.window.LB_Count->text()));
    const QByteArray unionSql = b.statement(withArchive);
    const auto [again, sameStatement] = bench::measureInTurns(
        kShortRuns, [&] { b.search(withArchive); }, [&] { bareRead(b.handle(), unionSql); },
        [&] { b.model.clearRows(); });
    report("    the same against our own statement by bare sqlite3", again, sameStatement);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const long logs = parseLogs(app.arguments());
    // QVX_BENCH_SEARCH_DB names a file that keeps the database between runs;
    // by default it lives in a temporary folder for this run only.
    QTemporaryDir dir;
    const QString kept = qEnvironmentVariable("QVX_BENCH_SEARCH_DB");
    const QString path = kept.isEmpty() ? dir.filePath(QStringLiteral("QuarvenixDB.db")) : kept;
    prepareDatabase(path, logs);

    Database db;
    db.open(path);
    QtDialogs dialogs;
    AppContext ctx;
    ctx.appDir = QFileInfo(path).absolutePath();
    ctx.db = &db;
    ctx.dialogs = &dialogs;
    ctx.quit = [] {};
    Frm_Main window(ctx);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    const Bench b{db, window, *window.MSFG->gridModel(), ctx.sw};
    measureMemory(b);
    measureSearches(b);
    measureSorting(b);
    measureArchiveSearch(b, logs);
    window.hide();
    return 0;
}

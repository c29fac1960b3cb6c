#pragma once

#include "search/log_search.h"

#include <functional>

class QWidget;

// Runs the main window's searches so that the window never freezes: once a
// search has run for a moment, the event loop runs every so often while the
// rows are read, so the window repaints and its end command works, while
// every other input to the window is dropped. A search asked for while one
// runs starts it over with the criteria shown then; the end command stops it
// and is carried out once the search has let go of the database.
class SearchSession {
public:
    // keepGoing(rows read so far, show them): false when the search is to stop.
    using Search = std::function<SearchOutcome(const KeepSearching& keepGoing)>;

    // Input reaches only the end command and the grid (to look at the rows
    // shown so far) while a search runs.
    SearchSession(QWidget* window, QWidget* endCommand, QWidget* grid)
        : window_(window), endCommand_(endCommand), grid_(grid)
    {
    }
    // Told the rows read so far each time before the event loop runs: what
    // the window shows of a running search is set here, as a search that
    // ends before the first time never shows it.
    std::function<void(int rowsRead)> onProgress;

    bool running() const { return running_; }
    // Runs search under the busy pointer, again as long as a restart is asked
    // for meanwhile (and no end). The outcome of the last run.
    SearchOutcome run(const Search& search);
    // While a search runs: it stops and starts over.
    void restart() { stop_ = again_ = true; }
    // While a search runs: it stops, and run() returns with endRequested().
    // False when no search runs.
    bool stopForEnd();
    // True once after run() returned because of stopForEnd().
    bool takeEndRequest();

private:
    QWidget* window_;
    QWidget* endCommand_;
    QWidget* grid_;
    bool running_ = false;
    bool stop_ = false;       // the running search is to stop
    bool again_ = false;      // ... and to start over
    bool endPending_ = false; // the end command waits for it
};

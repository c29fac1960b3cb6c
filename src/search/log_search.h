#pragma once

#include <QString>
#include <functional>

#include "base/switches.h"

class Database;
class LogGridModel;

// The search criteria as the main window's controls hold them.
struct SearchCriteria {
    bool dateRange = true;             // Opt_Ngh(1) on
    QString year[2], month[2], day[2]; // texts of Cmb_Nen/Cmb_Tuki/Cmb_Hi (0) and (1)
    bool oneUnit = false;              // Opt_User(1) on
    QString unitText;                  // text of Cmb_User
    bool oneContent = true;            // Opt_Naiyou(1) on
    QString contentText;               // text of Cmb_Naiyou
    bool withArchive = false;          // Chk_Hozonzumi on: the preserved logs too
};

// The statement for the criteria and what, if anything, keeps it from running.
struct SearchPlan {
    enum class Problem { None, BadDate, EmptyUnitSet, EmptyContentSet };
    QString statement;
    Problem problem = Problem::None;
    QString detail; // the date that does not exist, or the name of the empty set
};
SearchPlan planSearch(Database& db, const SearchCriteria& c, const Switches& sw);

// The statement "SELECT * From V_Log_Data " + condition + " ;" for the criteria.
// With the preserved logs, one statement reads V_Log_Data and V_Log_Archive
// (every archived log: each log is in one place) with the same condition, each row with
// a column Archived (0 or 1).
QString buildSearchStatement(Database& db, const SearchCriteria& c, const Switches& sw);

struct SearchOutcome {
    QString message;
    int rows = 0;
    bool withArchive = false; // the search read the preserved logs too
    int archived = 0;         // of the rows, those read from the archive
    bool cancelled = false;   // stopped by keepGoing; no message
    bool ok() const { return message.isEmpty(); }
};

// Asked every so many rows while a search reads them, with the rows read so
// far and a function that shows them in the grid (see LogGridLoader); false
// stops the search.
using KeepSearching = std::function<bool(int rowsRead, const std::function<void()>& showRows)>;

// Runs the search into the model: the grid is emptied first and shows the
// rows once all are read. While the rows are read, keepGoing is asked every
// so many rows (it may show the rows read so far and let the event loop
// run); when it answers false the search stops and the grid is left empty,
// never half-filled. On a date that does not exist, a set without rows
// or an engine error the message is set in the window's language and the
// grid is left empty. Never throws.
SearchOutcome runSearch(Database& db, const Switches& sw, const SearchCriteria& c,
                        LogGridModel& model, const KeepSearching& keepGoing = {});

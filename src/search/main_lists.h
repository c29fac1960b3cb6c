#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Database;

// The choice lists of the main window and its default criteria, built
// without a window so that they can be checked on their own.
namespace main_lists {

// The prefix of a selection-set entry: "複数選択" or "SELECT" and two
// ideographic spaces.
QString setPrefix(bool english);

// Content list: every content set (prefix + name), then one entry per log
// number in log-number order: the English text in English; in Japanese the
// Japanese text, or the English one when the Japanese text is empty. An
// entry is added even when its text is empty.
QStringList contentEntries(Database& db, bool english);

// Unit list: every unit set (prefix + name), then one entry per stored unit
// in serial-number order: "Unit_SN (Name )".
QStringList unitEntries(Database& db, bool english);

// The years from 2006 up to the year of today + 10 days, plus 10.
QStringList yearList(const QDate& today);
QStringList monthList(); // "01" .. "12"
QStringList dayList();   // "01" .. "31", for every month alike

// The content entry chosen at start: the standard content set.
QString standardSetEntry(bool english);

} // namespace main_lists

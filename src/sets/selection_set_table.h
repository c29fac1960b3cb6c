#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;

// The table steps of the selection sets (Fukusu for contents, UFukusu for
// units): a set is the group of rows with one Name, its members numbered
// 1, 2, 3 ... by No. A typed name is the same name whatever blanks end it
// (db/unique_keys.h): exists(), write() and remove() match it so, and a set
// is written under the name without them; members() reads the set of a name
// picked from the list, exactly. Every value is bound; the functions throw
// DbError and the window decides what the operator sees.
namespace selection_set_table {

// Where the sets of one kind live.
struct SetTable {
    QString table;       // "Fukusu" / "UFukusu"
    QString memberField; // "Log_No" / "Unit_SN"
};

// The width of Name in Fukusu and UFukusu.
inline constexpr int kMaxNameLength = 50;

// One item of the window's list: its text and the member value it stands for.
struct ListItem {
    QString text;
    QVariant key;
};

// Every content of the log master in log-number order, keyed by Log_No; the
// text is the English one in English, in Japanese the Japanese one or, when
// that is empty, the English one.
QList<ListItem> contentItems(Database& db, bool english);
// Every stored unit in serial-number order, "Unit_SN (Name )", keyed by the
// whole serial number.
QList<ListItem> unitItems(Database& db);

// The set names, in the order the database returns them.
QStringList names(Database& db, const SetTable& t);
bool exists(Database& db, const SetTable& t, const QString& name);
// The set's members in No order.
QVariantList members(Database& db, const SetTable& t, const QString& name);

// Replaces the set by the given members, numbered from 1, in one
// transaction: on failure the old set is left whole. Rows of the name stored
// with trailing blanks by an older version go with the old set.
void write(Database& db, const SetTable& t, const QString& name, const QVariantList& members,
           const QDateTime& now);
// Removes every row of the set (none when there is no such set).
void remove(Database& db, const SetTable& t, const QString& name);

} // namespace selection_set_table

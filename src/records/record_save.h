#pragma once

#include "records/check_record.h"

#include <QDateTime>
#include <QString>

class Database;

// Saving a check record. Each save is one transaction of its own (on SQLite
// holding the file from its start; on a server the earlier record read FOR
// UPDATE), so that what the history keeps is what was actually replaced:
//
// - the log must be a stored measurement log (in Log_Data or Log_Archive);
// - a record is added by any ID, changed only by an ID with 管理者
//   (Login.Kanri; admin always); an empty driver or vehicle is refused, and
//   on a record that exists that is refused as clearing it — a record is
//   never removed;
// - each save that adds or changes a record adds an Op_History row
//   (CheckRecord) in the same transaction: the log, and for a change every
//   value the record held before. A save that changes nothing writes nothing.
//
// Two PCs saving the same record at once both succeed, one after the other:
// both are in the history, the second with the first one's values as its
// earlier ones, and the last save is the one kept.
namespace check_records {

// Who saves, when, and the language and serial-number head of the history's details.
struct Saver {
    QString loginId;
    QDateTime now;
    bool english = false;
    QString snHead;
};

struct SaveOutcome {
    enum Kind {
        Added,
        Changed,
        Unchanged,
        Refused, // the entry: see problem
        Cleared,
        NotAdministrator,
        NoMeasurement,
    };
    Kind kind = Refused;
    Problem problem; // for Refused
    Record stored;   // the record as it stands after the save
    bool saved() const { return kind == Added || kind == Changed || kind == Unchanged; }
};

// Stores the entry (trimmed) as the record of the log. Throws DbError when
// the database fails; nothing is then stored.
SaveOutcome save(Database& db, const LogKey& key, const Entry& entry, const Saver& saver);

// Why a save was refused, in the language asked for; "" for a save.
QString refusalText(const SaveOutcome& outcome, bool english);

} // namespace check_records

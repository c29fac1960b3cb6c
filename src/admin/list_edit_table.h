#pragma once

#include "admin/list_edit_spec.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// The table operations of the list-and-edit windows, for any ListEditSpec.
// Every typed value is bound as a parameter. A registration and a deletion
// match the rows whose key equals the typed key, trailing blanks not counting
// (db/unique_keys.h); a click on a row or a choice from the key's list
// matches the key exactly. Failures are thrown as DbError.
namespace list_edit {

// True when the text fits the limit: at most so many characters, or at most
// so many bytes in Shift_JIS with every character writable in it.
bool fits(const FieldLimit& limit, const QString& text);

// Every row in key order, one text per grid column; the first column, the
// running number, counts from 1; a check box's column shows its mark in the
// language asked for.
QList<QStringList> readRows(Database& db, const ListEditSpec& spec, bool english);

// The values of the key's list, in the list's order ("" for a null value).
QStringList readKeyList(Database& db, const ListEditSpec& spec);

// The row whose key is exactly `key`: the text of each field that a row
// fills (by field index; the digest fields are never read back), or nullopt.
std::optional<QHash<int, QString>> findRow(Database& db, const ListEditSpec& spec,
                                           const QString& key);

// Writes one text per field: updates the key's row (the one the views and the
// sign-in read, where an older database holds several), or adds one; either
// way its key is stored without trailing blanks. Digest fields are written
// as salted digests, check boxes as 1 or 0 (always 1 for the key they are on
// for); `Date` is `now`.
struct Saved {
    bool added = false;         // a new row
    bool digestChanged = false; // a row's digest field no longer fits what it held
};
Saved saveRow(Database& db, const ListEditSpec& spec, const QStringList& texts,
              const QDateTime& now);

// What a registration wrote, for the operation history: the key, then each
// other field's text (a check box by its caption, on or off), never a digest.
QString describe(const ListEditSpec& spec, const QStringList& values, bool english);

// Deletes the rows of the key. The row whose key is exactly the protected key
// is never deleted, whatever blanks the typed key carries.
void deleteRows(Database& db, const ListEditSpec& spec, const QString& key);

} // namespace list_edit

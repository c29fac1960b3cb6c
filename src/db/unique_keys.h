#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;
namespace schema {
struct UniqueKey;
}

// Keys that name one row: a login ID, a handset's unit serial number, a
// selection set's name. A key is the same key whatever U+0020 blanks end it
// ("0999" and "0999 "): a look-up compares RTRIM(key) with the key without
// its blanks, and a key is stored without them.
//
// Databases made before this rule may hold several rows of one key. Of those,
// the key's row is the one whose stored key sorts first (the key itself when
// it is stored without blanks): the views join on the stored key, sign-in
// reads that row, and a registration changes it.
namespace unique_keys {

// The text without the blanks (U+0020) at its end.
QString withoutTrailingBlanks(const QString& text);

// "RTRIM(column) = ?", bound to the key without its trailing blanks.
QString sameKey(const QString& column);

// Rows that share a key which must be unique.
struct SharedKey {
    QString table;
    QStringList fields;
    QStringList key;    // the shared key, one text per field (the first without its blanks)
    QStringList stored; // the first field of each row as stored, in key order
};

// The rows that keep a key's index from being added: those whose fields are
// equal, or (trimmed) equal but for the blanks that end the first field.
QList<SharedKey> shared(Database& db, const schema::UniqueKey& key, bool trimmed);

// "Kiki_Name: Unit_SN '0999' (2 rows: '0999', '0999 ')"
QString describe(const SharedKey& shared);

} // namespace unique_keys

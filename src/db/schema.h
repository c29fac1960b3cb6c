#pragma once

#include "db/db_engine.h"

#include <QStringList>

class Database;

// The tables, views and indexes of a Quarvenix database, on either engine.
//
// SQLite: date and time fields hold "YYYY-MM-DD HH:MM:SS" text (declared
// DATETIME); field-size limits are CHECK constraints.
// PostgreSQL: names are created unquoted, so the server folds them to lower
// case and the mixed-case names of the statements match; dates are
// timestamps without time zone; texts compare byte by byte (collation "C")
// as on SQLite; size limits are CHECK constraints on the character count
// (varchar(n) would silently cut trailing blanks instead of refusing).
namespace schema {

// Every statement that makes a new database: tables, indexes, views and
// the row that says it is of the current version (schema_upgrade.h).
QStringList statements(DbEngine engine = DbEngine::Sqlite);

// A key that the windows look up before they add a row, kept unique by an
// index: the login ID, the handset name's unit, the log master number and a
// set's (name, member number). A text key is the same key whatever U+0020
// blanks end its first field ("0999" and "0999 "): a second index on the
// field without them keeps that unique too.
struct UniqueKey {
    QString index; // "Login_Key", on the fields as stored
    QString table; // "Login"
    QStringList fields;
    QString replaces;     // the plain index on the same fields in databases made before
    QString trimmedIndex; // "Login_Trim_Key"; empty for a number key
};
const QList<UniqueKey>& uniqueKeys();
QString createIndex(const UniqueKey& key);
// The index on the key with its first field's trailing blanks not counting.
QString createTrimmedIndex(const UniqueKey& key);

// The CREATE TABLE statement of a table of the schema by name, "" for none.
QString createTable(const QString& name, DbEngine engine);

// The check record book (version 5): Check_Record, one record per
// measurement log, keyed like the log (Unit_SN, Date, Data_No) whether the
// log is in Log_Data or in Log_Archive, with its unique key and the indexes
// that find a handset's and a driver's last record.
QStringList checkRecordStatements(DbEngine engine);

// The table that holds the database's version, one row (schema_upgrade.h).
inline constexpr auto kVersionTable = "Db_Version";
QString createVersionTable(DbEngine engine);

// The names of the tables every Quarvenix database holds (the version
// table, which older databases lack, is not among them).
QStringList tableNames();

// A field or table name as the schema spells it ("unit_sn" -> "Unit_SN");
// a name the schema does not know comes back unchanged.
QString canonicalName(const QString& name);

// Creates every table, view and index in an empty database, of the current
// version.
void create(Database& db);

} // namespace schema

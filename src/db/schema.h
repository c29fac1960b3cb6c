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

QStringList statements(DbEngine engine = DbEngine::Sqlite);

// A key that the windows look up before they add a row, kept unique by an
// index: the login ID, the handset name's unit, the log master number and a
// set's (name, member number).
struct UniqueKey {
    QString index; // "Login_Key"
    QString table; // "Login"
    QStringList fields;
    QString replaces; // the plain index on the same fields in databases made before
};
const QList<UniqueKey>& uniqueKeys();
QString createIndex(const UniqueKey& key);

// The CREATE TABLE statement of a table of the schema by name, "" for none.
QString createTable(const QString& name, DbEngine engine);

// The names of the tables every Quarvenix database holds.
QStringList tableNames();

// A field or table name as the schema spells it ("unit_sn" -> "Unit_SN");
// a name the schema does not know comes back unchanged.
QString canonicalName(const QString& name);

// Creates every table, view and index in an empty database.
void create(Database& db);

} // namespace schema

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

// The names of the tables every Quarvenix database holds.
QStringList tableNames();

// A field or table name as the schema spells it ("unit_sn" -> "Unit_SN");
// a name the schema does not know comes back unchanged.
QString canonicalName(const QString& name);

// Creates every table, view and index in an empty database.
void create(Database& db);

} // namespace schema

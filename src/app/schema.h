#pragma once

#include <QStringList>

class Database;

// The tables, views and indexes of a Quarvenix database. Field-size limits
// are CHECK constraints, so a value that does not fit fails when written.
// Date and time fields hold "YYYY-MM-DD HH:MM:SS" text (declared DATETIME).
namespace schema {

QStringList statements();

// The names of the tables every Quarvenix database holds.
QStringList tableNames();

// Creates every table, view and index in an empty database.
void create(Database& db);

} // namespace schema

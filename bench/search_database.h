#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

// The database of the search benchmark, made and read by the bare sqlite3 API.
namespace search_db {

inline constexpr int kUnits = 50;

// Ends the benchmark with SQLite's message unless rc is a success.
void check(int rc, sqlite3* db);
void exec(sqlite3* db, const char* sql);

// A delivered Japanese database at path holding `count` logs of kUnits
// handsets over five years, a unit set "Ten" of ten units and a content set
// "Three".
void build(const QString& path, long count);
// The floor: the statement's rows read column by column into nothing; the bytes read.
long long bareRead(sqlite3* db, const QByteArray& sql);
// Fills the archive of preserved logs, once, with as many logs as Log_Data
// holds, over the same days under other data numbers: each log in one place,
// as the program keeps them.
void fillArchive(sqlite3* db);
// Whether a kept database is of the program's schema version and shape: an
// older one (with logs in both tables, or the archive view's per-row check)
// is rebuilt.
bool keptIsCurrent(const QString& path);

} // namespace search_db

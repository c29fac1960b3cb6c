#pragma once

#include "base/stored_date_time.h"
#include "db/db_engine.h"

#include <QString>

// Helpers for the SQL texts the program builds. (A date and time goes into
// a statement's values in its stored form: base/stored_date_time.h.)

// The value with every single quote doubled, ready to stand between single
// quotes in a statement. No typed or stored text can change a statement.
QString Sql_Quote(const QString& value);

// Turns every #YYYY/MM/DD HH:MM:SS# literal outside quoted texts into the
// stored form 'YYYY-MM-DD HH:MM:SS'. Throws DbError for a literal that is not
// a real date and time (it is never turned into another date).
QString translateSql(const QString& sql);

// The same for the given engine. On the server, the field name User (a
// reserved word there) outside quotes also becomes the quoted "user". On
// SQLite a closing FOR UPDATE is left out: a Writing transaction holds the
// whole file there (Database::Isolation). A statement already translated
// comes back unchanged.
QString translateSql(const QString& sql, DbEngine engine);

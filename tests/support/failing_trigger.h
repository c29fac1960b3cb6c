#pragma once

#include <QString>

class Database;

// Makes the engine refuse a change, to test how a caller copes with a
// statement that fails halfway: a trigger named `name` on `table` that fails
// every `event` ("INSERT", "UPDATE" or "DELETE") of a row for which
// `condition` holds (written with NEW. or OLD.; "" for every row), with
// `message` as the engine's error. The same on SQLite and on the server;
// there the failure has the SQLSTATE `sqlState`.
void addFailingTrigger(Database& db, const QString& name, const QString& table,
                       const QString& event, const QString& condition, const QString& message,
                       const QString& sqlState = QStringLiteral("P0001"));
void dropFailingTrigger(Database& db, const QString& name, const QString& table);

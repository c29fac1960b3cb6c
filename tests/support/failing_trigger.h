#pragma once

#include <QString>

class Database;

// A trigger `name` on `table`, on both engines, that fails each `event` (INSERT, UPDATE, DELETE) of
// a row where `condition` holds (NEW./OLD.; "" for all) with `message` and, on a server,
// `sqlState`: how a caller copes with a statement that fails halfway.
void addFailingTrigger(Database& db, const QString& name, const QString& table,
                       const QString& event, const QString& condition, const QString& message,
                       const QString& sqlState = QStringLiteral("P0001"));
void dropFailingTrigger(Database& db, const QString& name, const QString& table);

#pragma once

#include "db/db_engine.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <span>

class RowSource;
struct sqlite3;
struct pg_conn;
struct ConnectView;
struct ServerAddress;

// A row of a recordset to save: the fields set and their values; for a row
// read before, its identity and every field as read.
struct RowChange {
    QString table;
    QStringList columns;
    QVariantList values;
    bool adding = false;
    QVariant key;
    QStringList readNames;
    QVariantList readValues;
};

// One database engine's side of the program's connection: everything that
// Database does differently on an SQLite file and on a PostgreSQL server.
// Database chooses the engine once, when it opens, and holds the session
// until it closes; the session's connection ends with it.
//
// Statements come translated for the engine (Database::translate), with the
// caller's own text (`shown`) for the error messages. Every failure throws
// DbError.
class DbEngineSession {
public:
    virtual ~DbEngineSession() = default;
    DbEngineSession() = default;
    DbEngineSession(const DbEngineSession&) = delete;
    DbEngineSession& operator=(const DbEngineSession&) = delete;

    virtual DbEngine engine() const = 0;
    // Before a statement: a session lost outside a transaction connects again.
    // Throws when it cannot, and while a reconnection is under way.
    virtual void ready() {}

    // Runs a statement with values bound to its "?" placeholders; the number
    // of rows changed.
    virtual int execute(const QString& sql, const QVariantList& values, const QString& shown) = 0;
    // A server's statement in its own form with text parameters $1, $2, …
    // (null for null), run as it is: no savepoint, so a failure fails the
    // transaction. The number of rows changed. Only on a server.
    virtual int executeText(const char* sql, std::span<const char* const> params);
    // The rows of a SELECT. fetchRows <= 0 reads a server's result whole in
    // one answer; otherwise a server sends them through a cursor, fetchRows
    // at a time, in the caller's transaction or one of the source's own.
    virtual std::unique_ptr<RowSource> rows(const QString& sql, const QVariantList& values,
                                            const QString& shown, int fetchRows) = 0;

    bool inTransaction() const { return inTransaction_; }
    virtual void begin(DbIsolation isolation) = 0;
    // Ends the transaction either way; throws when it was not committed.
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void lockForChange(const QStringList& tables) = 0;

    // Column types of a table named in lower case ("TEXT", "INTEGER",
    // "DATETIME"); empty when it is not a table.
    virtual QHash<QString, QString> columnTypes(const QString& table) = 0;
    // The column that identifies a row of a table for saveRow().
    virtual QLatin1String rowKeyColumn() const = 0;
    // Saves a recordset's row and returns its identity afterwards. A row
    // changed or deleted since it was read is not saved: that throws.
    virtual QVariant saveRow(const RowChange& change) = 0;

    virtual sqlite3* sqliteHandle() const { return nullptr; }
    virtual pg_conn* serverHandle() const { return nullptr; }

protected:
    bool inTransaction_ = false;
};

// The sessions, one per engine (sqlite_session.cpp, server_session.cpp).
// Each opens its connection or throws DbError.
std::unique_ptr<DbEngineSession> openSqliteSession(const QString& path);
// The server session shows its connecting through `view`, which outlives it.
std::unique_ptr<DbEngineSession> openServerSession(const ServerAddress& server,
                                                   const ConnectView& view);

// What a save reports when the row changed meanwhile, on either engine.
QString rowChangedMeanwhile();

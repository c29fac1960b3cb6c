#pragma once

#include "db/db_engine.h"
#include "db/db_error.h"
#include "db/server_connect.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <span>

struct sqlite3;
struct pg_conn;
class DbEngineSession;
class Recordset;
struct ServerAddress;

// The program's one database connection (DB_Con): an SQLite file, or a
// database on a PostgreSQL server. The engine is chosen once, at open(): a
// session of that engine (DbEngineSession) does everything that differs
// between the two, and nothing outside the engine layer asks which it is.
//
// Threading rule: a Database, its recordsets, row streams and log writers
// are used only by the thread that opened it (the user-interface thread).
//
// Statements are accepted in the forms the windows build them, unchanged on
// both engines: mixed-case keywords and names, #YYYY/MM/DD HH:MM:SS# date
// literals, ")AND", the field name User, a SELECT ending in FOR UPDATE. Rows are read one way,
// through the row stream (RowStream); a recordset is the rows of a stream held at once. Both give
// the same values on either engine: dates as "YYYY-MM-DD HH:MM:SS" text, integers as qlonglong,
// field names as the schema spells them. Every failure is thrown as DbError with the engine's
// message; a statement that fails inside a transaction leaves the transaction as it was before the
// statement, on both engines.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file; never creates one. Refuses a file that
    // is missing, is not a database, is read-only (or in a read-only folder) or
    // is locked by another user; the DbError's fault says which.
    void open(const QString& path);
    // Connects to a database on a server: the first of its hosts that takes
    // the connection (see connectToServer). The password comes from libpq's
    // password file (~/.pgpass or PGPASSFILE). Refuses a server that cannot
    // be reached or refuses the sign-in, and a database not encoded in UTF-8.
    // A session the server lost (a restart, a failover, a network failure)
    // fails its statement and transaction; the next transaction or statement
    // outside one connects again, reading the setting file the address came
    // from and the password file anew.
    void open(const ServerAddress& server);
    // How connecting to a server shows itself (by default: reasons in
    // Japanese, nothing on the screen).
    void setConnectView(ConnectView view) { connectView_ = std::move(view); }
    bool isOpen() const { return session_ != nullptr; }
    void close();
    // The file, or the server and database ("host=… dbname=…").
    QString path() const { return path_; }
    // For the engine layer and the start-up only; windows never ask.
    DbEngine engine() const { return engine_; }

    // A static recordset: all rows of the SELECT are read at once.
    Recordset openRecordset(const QString& sql);
    // The same with values bound to the statement's "?" placeholders.
    Recordset openRecordset(const QString& sql, const QVariantList& values);

    // Executes a statement directly (DELETE, INSERT ... SELECT, ...).
    // Returns the number of rows changed.
    int execute(const QString& sql);
    int execute(const QString& sql, const QVariantList& values);
    // For the log writer on a server: a statement in the server's own form
    // with text parameters $1, $2, … (null for null), awaited as every
    // statement is (DbEngineSession::executeText).
    int executeOnServer(const char* sql, std::span<const char* const> params);

    // What a transaction sees of other connections' commits (db_engine.h).
    using Isolation = DbIsolation;

    // One transaction at a time: beginning a second one is refused.
    void begin(Isolation isolation = Isolation::PerStatement);
    void commit();
    void rollback();
    bool inTransaction() const;

    // Inside a transaction: holds other connections' changes to the tables
    // off until the transaction ends (readers go on), so that a look-up
    // followed by a write sees every change committed before it and a
    // concurrent registration of the same key updates the row instead of
    // adding a second. SQLite runs one writing transaction at a time
    // already; there it does nothing.
    void lockForChange(const QStringList& tables);

    // The statement in the form this engine runs (date literals, the field
    // name User).
    QString translate(const QString& sql) const;

    // The engines' own handles, for the log writer, and for the benchmarks'
    // baselines and tests that need the bare library on the program's
    // connection. Null on the other engine. A server's handle changes when
    // a lost connection is made again: hold it for one transaction at most.
    sqlite3* sqliteHandle() const;
    pg_conn* serverHandle() const;
    // For the seams that hold statements on the connection: close() first
    // runs every registered function (which lets the statements go), then
    // forgets them all. dropOnClose() takes one back.
    int onClose(std::function<void()> release);
    void dropOnClose(int id);

    // Column types of a table, by lower-case column name: "TEXT", "INTEGER"
    // or "DATETIME" on both engines; empty when the name is not a table.
    QHash<QString, QString> columnTypes(const QString& table);
    bool isTable(const QString& name);
    // Forgets the column types read so far, after tables were created or
    // changed (a schema upgrade).
    void forgetColumnTypes() { columnTypeCache_.clear(); }

private:
    friend class RowStream;
    friend class Recordset;

    // The open session, ready for a statement; throws when closed.
    DbEngineSession& session();

    ConnectView connectView_; // before session_, which refers to it
    std::unique_ptr<DbEngineSession> session_;
    QString path_;
    DbEngine engine_ = DbEngine::Sqlite;
    QHash<int, std::function<void()>> closeHooks_;
    int nextCloseHook_ = 0;
    QHash<QString, QHash<QString, QString>> columnTypeCache_;
};

// Begins a transaction and rolls it back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db,
                         Database::Isolation isolation = Database::Isolation::PerStatement)
        : db_(db)
    {
        db_.begin(isolation);
    }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

#include "db/recordset.h"

#pragma once

#include "db/db_engine.h"
#include "db/db_error.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QSqlQuery;
struct sqlite3;
struct pg_conn;
class Recordset;
struct ServerAddress;

// The program's one database connection (DB_Con): an SQLite file, or a
// database on a PostgreSQL server reached through Qt's QPSQL driver.
//
// Threading rule: a Database and its recordsets are used only by the thread
// that opened it (the user-interface thread).
//
// Statements are accepted in the forms the windows build them, unchanged on
// both engines: mixed-case keywords and names, #YYYY/MM/DD HH:MM:SS# date
// literals, ")AND", the field name User. Recordsets give the same values on
// both: dates as "YYYY-MM-DD HH:MM:SS" text, integers as qlonglong, field
// names as the schema spells them. Every failure is thrown as DbError with
// the engine's message; a statement that fails inside a transaction leaves
// the transaction as it was before the statement, on both engines.
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
    // Connects to a database on a server. The password comes from libpq's
    // password file (~/.pgpass or PGPASSFILE). Refuses a server that cannot
    // be reached or refuses the sign-in, and a database not encoded in UTF-8.
    // A session the server lost (a restart, a network failure) fails its
    // statement and transaction; the next transaction or statement outside
    // one connects again.
    void open(const ServerAddress& server);
    bool isOpen() const;
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

    // Reads the rows of a SELECT one by one (SQLite steps through them; a
    // server's rows are read whole first). The query gives the values a
    // recordset gives, and the callback may run statements of its own.
    void forEachRow(const QString& sql, const std::function<void(const QSqlQuery&)>& row);

    // What the statements of a transaction see of other connections'
    // commits. On a server, each statement of a PerStatement transaction sees
    // what was committed before that statement; every statement of a
    // OneSnapshot transaction sees what was committed before the first, and
    // changing a row that another connection changed meanwhile fails with
    // DbFault::Conflict. SQLite's transactions are one snapshot either way.
    enum class Isolation { PerStatement, OneSnapshot };

    // One transaction at a time: beginning a second one is refused.
    void begin(Isolation isolation = Isolation::PerStatement);
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }

    // Inside a transaction: holds other connections' changes to the tables
    // off until the transaction ends (readers go on), so that a look-up
    // followed by a write sees every change committed before it and a
    // concurrent registration of the same key updates the row instead of
    // adding a second. SQLite runs one writing transaction at a time
    // already; there it does nothing.
    void lockForChange(const QStringList& tables);

    // The statement in the form this engine runs (date literals, the field
    // name User); the engine layer's own seams use it.
    QString translate(const QString& sql) const;

    // The Qt connection and the engines' own handles, for the engine layer's
    // hot-path seams (RowStream, LogRowWriter). Null on the other engine.
    QSqlDatabase connection() const { return db_; }
    sqlite3* nativeHandle() const;
    pg_conn* serverHandle() const;
    // For the seams that hold prepared statements on the connection: close()
    // first runs every registered function (which lets the statements go),
    // then forgets them all. dropOnClose() takes one back.
    int onClose(std::function<void()> release);
    void dropOnClose(int id);

    // Column types of a table, by lower-case column name: "TEXT", "INTEGER"
    // or "DATETIME" on both engines; empty when the name is not a table.
    QHash<QString, QString> columnTypes(const QString& table);
    bool isTable(const QString& name);

private:
    friend class Recordset;
    friend class StatementScope;

    void sqliteOpen(const QString& path);
    void throwIfClosed() const;
    // Throws when closed; outside a transaction, first connects a server
    // session again that was lost.
    void ready();
    void setUpSession();
    // Runs a statement of the engine layer's own (savepoints, catalog).
    void run(const QString& sql);

    QSqlDatabase db_;
    QString connectionName_;
    QString path_;
    DbEngine engine_ = DbEngine::Sqlite;
    bool inTransaction_ = false;
    bool open_ = false;
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

// A static, updatable recordset: the rows of a SELECT read at open. A
// recordset on "SELECT * FROM <table> ..." can add rows and change the current
// row; set fields by name, then update() saves the row. Locking is optimistic:
// saving a row that someone else changed or deleted since it was read fails
// with DbError instead of overwriting the other change. (The server sees any
// write to the row; SQLite compares the values, so there a write that left
// every value as it was does not count.)
class Recordset {
public:
    bool eof() const { return pos_ >= rows_.size(); }
    void moveNext();
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const QStringList& fieldNames() const { return names_; }

    // The value of a field of the current row; a null QVariant for null.
    QVariant field(const QString& name) const;
    // The text of a field, "" for null.
    QString text(const QString& name) const;

    void addNew();
    void setField(const QString& name, const QVariant& value);
    void update();
    void close();

private:
    friend class Database;
    int column(const QString& name) const;
    void saveOnSqlite(const QStringList& columns, const QVector<QVariant>& values);
    void saveOnServer(const QStringList& columns, const QVector<QVariant>& values);

    Database* db_ = nullptr;
    QString table_; // empty when the recordset is read-only
    QStringList names_;
    QVector<QVector<QVariant>> rows_;
    // Each row's identity: its rowid on SQLite, its ctid on the server.
    QVector<QVariant> rowKeys_;
    qsizetype pos_ = 0;
    bool adding_ = false;
    QVector<QVariant> edit_;
    QVector<bool> dirty_;
};

#pragma once

#include "app/db_error.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class QSqlQuery;
struct sqlite3;
class Recordset;

// The program's one database connection (DB_Con) on an SQLite file.
//
// Threading rule: a Database and its recordsets are used only by the thread
// that opened it (the user-interface thread).
//
// Statements are accepted in the forms the windows build them: mixed-case
// keywords and names, #YYYY/MM/DD HH:MM:SS# date literals, ")AND". Every
// failure is thrown as DbError with the engine's message.
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
    bool isOpen() const;
    void close();
    QString path() const { return path_; }

    // A static recordset: all rows of the SELECT are read at once.
    Recordset openRecordset(const QString& sql);
    // The same with values bound to the statement's "?" placeholders.
    Recordset openRecordset(const QString& sql, const QVariantList& values);

    // Executes a statement directly (DELETE, INSERT ... SELECT, ...).
    // Returns the number of rows changed.
    int execute(const QString& sql);

    // Reads the rows of a SELECT one by one, forward only, without keeping them.
    void forEachRow(const QString& sql, const std::function<void(const QSqlQuery&)>& row);

    void begin();
    void commit();
    void rollback();

    // The Qt connection and the engine's own handle, for code that prepares
    // its own statements on a hot path (decoder storage, search).
    QSqlDatabase connection() const { return db_; }
    sqlite3* nativeHandle() const;

    // Declared column types of a table, by lower-case column name ("" when the
    // name is not a table).
    QHash<QString, QString> columnTypes(const QString& table);
    bool isTable(const QString& name);

private:
    QSqlDatabase db_;
    QString connectionName_;
    QString path_;
    QHash<QString, QHash<QString, QString>> columnTypeCache_;
};

// Begins a transaction and rolls it back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
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
// row; set fields by name, then update() saves the row.
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

    Database* db_ = nullptr;
    QString table_; // empty when the recordset is read-only
    QStringList names_;
    QVector<QVector<QVariant>> rows_;
    QVector<qint64> rowIds_;
    qsizetype pos_ = 0;
    bool adding_ = false;
    QVector<QVariant> edit_;
    QVector<bool> dirty_;
};

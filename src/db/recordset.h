#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Database;

// A static, updatable recordset: the rows of a SELECT read at open, through
// the row stream. A recordset on "SELECT * FROM <table> ..." can add rows and
// change the current row; set fields by name, then update() saves the row.
// Locking is optimistic: saving a row that someone else changed or deleted
// since it was read fails with DbError instead of overwriting the other
// change. (The server sees any write to the row; SQLite compares the values,
// so there a write that left every value as it was does not count.)
class Recordset {
public:
    bool eof() const { return pos_ >= rows_.size(); }
    void moveNext();

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
    Recordset(Database& db, const QString& sql, const QVariantList& values);
    int column(const QString& name) const;

    Database* db_ = nullptr;
    QString table_; // empty when the recordset is read-only
    QStringList names_;
    QVector<QVector<QVariant>> rows_;
    // Each row's identity (the session's row key).
    QVector<QVariant> rowKeys_;
    qsizetype pos_ = 0;
    bool adding_ = false;
    QVector<QVariant> edit_;
    QVector<bool> dirty_;
};

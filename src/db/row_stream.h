#pragma once

#include "db/row_source.h"

#include <QString>
#include <QVariantList>
#include <memory>
#include <string_view>
#include <vector>

class Database;

// The one way the engine layer reads rows: the rows of a SELECT forward only,
// each field as the UTF-8 bytes of its text and a null flag, without a
// QVariant or QString per field and without holding the whole result: SQLite
// steps its statement; a server sends the rows through a cursor, `fetchRows`
// at a time (or, with kWhole, the whole result in one answer).
//
// The bytes are the same on both engines: texts as stored, integers in
// decimal, dates as "YYYY-MM-DD HH:MM:SS". A view is valid until next().
//
//     RowStream rows(db, "SELECT * From V_Log_Data WHERE ... ;");
//     const int unit = rows.column("Unit_SN"), logNo = rows.column("Log_No");
//     while (rows.next()) {
//         std::string_view sn = rows.text(unit);
//         if (!rows.isNull(logNo)) use(rows.integer(logNo));
//     }
//
// The statement may use every form the windows send (date literals, User)
// and "?" placeholders for the values given. On a server the cursor lives in
// a transaction: the caller's when one is open, else one of the stream's own
// from the first row to the last (or to the stream's end), during which the
// caller cannot begin another. Other statements may run on the connection
// between rows. Failures throw DbError.
class RowStream {
public:
    static constexpr int kDefaultFetch = 20000;
    // On a server: the whole result in one answer, no cursor and no
    // transaction of the stream's own (a failure inside the caller's
    // transaction leaves it as it was), for short results read at once.
    static constexpr int kWhole = 0;

    RowStream(Database& db, const QString& sql, int fetchRows = kDefaultFetch);
    RowStream(Database& db, const QString& sql, const QVariantList& values,
              int fetchRows = kDefaultFetch);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // The index of a result column by name, letter case ignored; -1 when the
    // result has no such column (its text is then empty and it reads as null).
    int column(std::string_view name) const;
    int columnCount() const { return static_cast<int>(source_->names().size()); }
    // A column's name as the schema spells it.
    std::string_view name(int column) const { return source_->names()[std::size_t(column)]; }

    // Moves to the next row; false after the last. Throws DbError when the
    // connection was closed under the stream.
    bool next();

    std::string_view text(int column) const { return field(column).bytes; }
    bool isNull(int column) const { return field(column).null; }
    // The field's decimal integer (0 for null or for a text that is not one).
    long long integer(int column) const { return integerField(column).value; }
    // The same with whether the field is null; an integer column is read as
    // a number, without its text.
    RowSource::Integer integerField(int column) const
    {
        return column < 0 || !onRow_ || !db_ ? RowSource::Integer{} : source_->integer(column);
    }
    // The field as a recordset gives it (see RowSource::value); null off a row.
    QVariant value(int column) const;

private:
    friend class Recordset;
    // A statement already translated for the engine, and as the caller wrote it.
    struct Statement {
        QString translated;
        QString shown;
    };
    RowStream(Database& db, const Statement& statement, const QVariantList& values, int fetchRows);
    RowSource::Field field(int column) const
    {
        return column < 0 || !onRow_ || !db_ ? RowSource::Field{} : source_->field(column);
    }

    Database* db_; // null once the connection closed under the stream
    int closeHook_ = 0;
    bool onRow_ = false;
    std::unique_ptr<RowSource> source_;
};

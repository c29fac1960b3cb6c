#pragma once

#include <QString>
#include <memory>
#include <string_view>
#include <vector>

class Database;

// Reads the rows of a SELECT forward only, each field as the UTF-8 bytes of
// its text and a null flag, without a QVariant or QString per field and
// without holding the whole result: SQLite steps its statement; a server
// sends the rows through a cursor, `fetchRows` at a time.
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
// The statement may use every form the windows send (date literals, User).
// On a server the cursor lives in a transaction: the caller's when one is
// open, else one of the stream's own from the first row to the last (or to
// the stream's end), during which the caller cannot begin another. Other
// statements may run on the connection between rows. Failures throw DbError.
class RowStream {
public:
    RowStream(Database& db, const QString& sql, int fetchRows = 20000);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // The index of a result column by name, letter case ignored; -1 when the
    // result has no such column (its text is then empty and it reads as null).
    int column(std::string_view name) const;
    int columnCount() const { return static_cast<int>(names_.size()); }

    // Moves to the next row; false after the last. Throws DbError when the
    // connection was closed under the stream.
    bool next();

    std::string_view text(int column) const
    {
        return column < 0 ? std::string_view() : fields_[std::size_t(column)].bytes;
    }
    bool isNull(int column) const { return column < 0 || fields_[std::size_t(column)].null; }
    // The field's decimal integer (0 for null or for a text that is not one).
    long long integer(int column) const;

    class Source; // one engine's way of reading

private:
    struct Field {
        std::string_view bytes;
        bool null = true;
    };
    friend class SqliteRows;
    friend class ServerRows;

    Database* db_; // null once the connection closed under the stream
    int closeHook_ = 0;
    std::unique_ptr<Source> source_;
    std::vector<std::string> names_;
    std::vector<Field> fields_;
};

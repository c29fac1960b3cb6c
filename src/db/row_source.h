#pragma once

#include <QVariant>
#include <string>
#include <string_view>
#include <vector>

// One engine's way of reading the rows of a statement, made by the engine's
// session; RowStream and the recordsets read through it.
class RowSource {
public:
    struct Field {
        std::string_view bytes; // the field's text in UTF-8, valid until the next row
        bool null = true;
    };
    // A field read as an integer: its value (0 for a text that is not a
    // decimal number) and whether it is null.
    struct Integer {
        long long value = 0;
        bool null = true;
    };

    virtual ~RowSource() = default;
    RowSource() = default;
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;

    // The result's column names, as the schema spells them.
    const std::vector<std::string>& names() const { return names_; }

    // Moves to the next row; false after the last.
    virtual bool next() = 0;
    // A field of the current row, read only when asked for.
    virtual Field field(int column) const = 0;
    // The same field as an integer, read as the engine holds it: an engine
    // that stores integers as numbers builds no text for it. By default from
    // the field's decimal text.
    virtual Integer integer(int column) const;
    // The same as a recordset gives it: integers as qlonglong, texts and
    // dates as QString, null as a null QString.
    virtual QVariant value(int column) const = 0;
    // The connection is closing: let go of everything held on it.
    virtual void release() = 0;

protected:
    std::vector<std::string> names_;
};

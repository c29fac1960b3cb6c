#pragma once

#include "base/sjis_text.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class LogGridModel;

// How the grid's rows become the lines of the CSV file: every grid row, the
// heading row included, is one line of seven fields (the seventh, column 6,
// always empty) joined by ",", without quoting, ended by CR LF, in Shift_JIS.
namespace csv_lines {

// A cell as the file holds it: "," becomes the full-width "，" first, then a
// tab becomes ","; CR and LF are removed, so every row stays one line.
QString field(QString cell);

// The Shift_JIS bytes of a text; a character Shift_JIS cannot hold is written
// as "?" and sets `replaced`.
QByteArray encode(const QString& text, bool& replaced);
QByteArray encode(sjis::Encoder& encoder, const QString& text, bool& replaced);

// Appends the lines of grid rows to a byte buffer. Cells are read through the
// grid model's cell keys, so each distinct cell text of a column is converted
// once however many rows show it.
class RowEncoder {
public:
    explicit RowEncoder(const LogGridModel& grid);

    // Appends the line of grid row `row` (0 = heading row) and its CR LF.
    void append(int row, QByteArray& out);
    // True once a character had to be written as "?".
    bool replaced() const { return replaced_; }

private:
    // Where a converted cell's bytes are in bytes_.
    struct Span {
        std::uint32_t at = 0;
        std::uint32_t size = kNone;
        static constexpr std::uint32_t kNone = ~std::uint32_t(0);
    };
    // The converted texts of one column by key: small keys in a table,
    // others in a hash; the last key looked up is remembered.
    struct Column {
        std::vector<Span> byKey;
        QHash<std::uint64_t, Span> byLargeKey;
        std::uint64_t lastKey = ~std::uint64_t(0);
        Span last;
    };
    Span cell(int row, int col, std::uint64_t key);
    Span convert(const QString& text);

    const LogGridModel& grid_;
    sjis::Encoder encoder_;
    std::array<Column, 7> columns_;
    QByteArray bytes_; // every converted cell, one after another
    bool replaced_ = false;
};

} // namespace csv_lines

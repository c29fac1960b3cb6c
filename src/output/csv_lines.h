#pragma once

#include "base/sjis_text.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>
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

// Appends the lines of grid rows to a byte buffer, with the bytes of each
// distinct text converted once: a handset's unit and name cells, a content
// cell with the line's end, a data number that is not plain digits. Digits,
// dates and times are written as bytes straight from the grid's records, in
// the same form as the grid's cells.
class RowEncoder {
public:
    explicit RowEncoder(const LogGridModel& grid);

    // Appends the line of grid row `row` (0 = heading row) and its CR LF.
    void append(int row, QByteArray& out);
    // True once a character had to be written as "?".
    bool replaced() const { return replaced_; }

private:
    // Where converted bytes are in bytes_.
    struct Span {
        std::uint32_t at = 0;
        std::uint32_t size = kNone;
        static constexpr std::uint32_t kNone = ~std::uint32_t(0);
    };
    // The texts after the digit fields of a date or a time, converted.
    struct Marks {
        std::array<QByteArray, 3> after;
        int size = 0; // of the whole cell
    };
    // The cells joined by commas, and a comma after them if asked for.
    Span convert(std::initializer_list<QString> cells, bool commaAfter);
    static Span& slot(std::vector<Span>& spans, std::uint32_t index);
    Span head(std::uint32_t unit);
    Span tail(std::uint32_t content);
    Span dataNo(std::uint32_t index);
    // Writes a date or time cell (yyyymmdd / hhmmss) at `to`; the end.
    static char* dateCell(char* to, std::uint32_t date, const Marks& marks);
    static char* timeCell(char* to, std::uint32_t time, const Marks& marks);
    const QByteArray& dayCell(std::uint32_t day);

    const LogGridModel& grid_;
    sjis::Encoder encoder_;
    QByteArray bytes_; // every converted text, one after another
    std::vector<Span> heads_, tails_, dataNos_;
    Marks date_, time_;
    // The date cell of the packed day read last: rows of one day follow each other.
    std::uint32_t lastDay_ = ~std::uint32_t(0);
    QByteArray lastDayCell_;
    bool replaced_ = false;
};

} // namespace csv_lines

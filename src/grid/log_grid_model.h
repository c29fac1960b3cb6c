#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "base/switches.h"
#include "grid/log_grid_when.h"

// A record without a log number.
inline constexpr std::int32_t kNoLogNo = std::numeric_limits<std::int32_t>::min();

// One stored log as the grid keeps it: 16 bytes of indexes and codes. Texts
// shared by many rows are interned once per search (a handset with its name,
// a content with its measured value and log number); cell texts are
// formatted when they are shown.
struct LogGridRecord {
    std::uint32_t unit = 0;    // LogGridTexts::units / names
    std::uint32_t dataNo = 0;  // a packed digit text or an index, see log_data_no
    std::uint32_t when = 0;    // the packed date and time, see log_grid_when
    std::uint32_t content = 0; // LogGridTexts::contents / logNos
};
static_assert(sizeof(LogGridRecord) == 16);

// The records of one search, kept in fixed-size chunks: appending never moves
// the rows already stored, and a million rows waste at most one chunk.
class LogGridRecords {
public:
    static constexpr int kChunkBits = 16;
    static constexpr std::size_t kChunk = std::size_t(1) << kChunkBits;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const LogGridRecord& operator[](std::size_t i) const
    {
        return chunks_[i >> kChunkBits][i & (kChunk - 1)];
    }
    void push_back(const LogGridRecord& r)
    {
        if ((size_ & (kChunk - 1)) == 0)
            chunks_.push_back(std::make_unique_for_overwrite<LogGridRecord[]>(kChunk));
        chunks_.back()[size_ & (kChunk - 1)] = r;
        ++size_;
    }

private:
    std::vector<std::unique_ptr<LogGridRecord[]>> chunks_;
    std::size_t size_ = 0;
};

// What the records of a search point into. Texts are already cell-safe.
struct LogGridTexts {
    // One entry per distinct handset (User, Unit_SN and Name) of the search.
    QStringList units; // User + SN_Head + Unit_SN
    QStringList names;
    QStringList dataNos; // data numbers that are not short digit texts
    // One entry per distinct content (log number, content text, measured value).
    QStringList contents;             // the whole content cell
    std::vector<std::int32_t> logNos; // kNoLogNo for none
    // Also by content: the cell's start without the measured value (see
    // log_row_format::contentPrefix), the measured value the cell shows as a
    // number (NaN for none) and its unit code (Tani, "" for none). May be
    // empty when a caller builds texts by hand; readers then take the whole
    // cell, no value and no code.
    QStringList contentTexts;
    std::vector<double> measured;
    QStringList taniCodes;
    // Date-times that do not pack into a record (see log_grid_when).
    std::vector<log_grid_when::DateTime> oddWhens;
};

// Data numbers are digit texts ("0000"): up to 8 digits are packed into the
// code as value and length, anything else is an index into LogGridTexts::dataNos.
namespace log_data_no {
inline constexpr std::uint32_t kIndexFlag = 0x80000000u;
inline constexpr int kLengthShift = 27;
inline constexpr std::size_t kMaxPackedDigits = 8; // 99,999,999 fits in 27 bits
// The packed code of a digit text, or kIndexFlag when it does not fit.
inline std::uint32_t pack(const char* text, std::size_t length)
{
    if (length > kMaxPackedDigits)
        return kIndexFlag;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto digit = std::uint32_t(static_cast<unsigned char>(text[i])) - '0';
        if (digit > 9)
            return kIndexFlag;
        value = value * 10 + digit;
    }
    return (std::uint32_t(length) << kLengthShift) | value;
}
QString text(std::uint32_t code, const LogGridTexts& texts);
// The digits of a code without kIndexFlag: how many, and their value.
inline std::uint32_t digitCount(std::uint32_t code)
{
    return code >> kLengthShift;
}
inline std::uint32_t digitValue(std::uint32_t code)
{
    return code & ((1u << kLengthShift) - 1);
}
} // namespace log_data_no

// The grid's model: 7 columns (widths 1100,2000,1000,2000,2000,5900,0 twips;
// headings "ユニット","機器名称","No","年月日","時間","内容",""; the same in both
// languages), heading row = row 0.
class LogGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int Cols = 7;
    // The columns that take the row's colours (the last, hidden one does not).
    static constexpr int ColouredCols = 6;
    // data(): the cell background while the cell is selected (invalid = the
    // view's own highlight).
    static constexpr int SelectedBackgroundRole = Qt::UserRole + 1;
    static int colWidthTwips(int col);
    static QString heading(int col);
    // How a column's cells are aligned.
    static Qt::Alignment cellAlignment(int col)
    {
        return col <= 4 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    }

    explicit LogGridModel(QObject* parent = nullptr);

    // The language and edition the cells are formatted for.
    void setSwitches(const Switches& sw);
    const Switches& switches() const { return sw_; }

    // As the grid counts: heading row included (1 = empty).
    int Rows() const;
    // Row 0 = headings.
    QString TextMatrix(int row, int col) const;
    // Invalid QColor = normal colour.
    QColor rowColor(int row) const;
    // The background under a coloured text that needs one; invalid = normal.
    QColor rowBackground(int row, bool selected = false) const;
    // Back to the heading row only.
    void clearRows();
    // The heading buttons' sort: text, case-blind; column 4 followed by the
    // generic second pass. Colours travel with their rows; rows that compare
    // equal keep their order.
    void sortColumn(int col, bool descending);

    // Replaces every row at once. Rows are shown in the order of records.
    void setRecords(LogGridTexts texts, LogGridRecords records);
    // Filling in batches (a search): startFill() empties the grid, the rows
    // appended to fillRecords() stay hidden until showFilled() shows them
    // with texts that cover every one of them.
    void startFill();
    LogGridRecords& fillRecords() { return records_; }
    void showFilled(LogGridTexts texts);
    const LogGridTexts& texts() const { return texts_; }
    // Every record of the search, in the order read whatever the sort: for
    // figures over all rows shown, where the order does not matter.
    const LogGridRecords& records() const { return records_; }
    // The record shown in grid row `row` (1 = first data row).
    const LogGridRecord& record(int row) const
    {
        const auto shown = static_cast<std::size_t>(row - 1);
        return records_[order_.empty() ? shown : order_[shown]];
    }

    // QAbstractTableModel: the data rows only; the heading row is the header.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString cellText(const LogGridRecord& r, int col) const;

    Switches sw_;
    LogGridTexts texts_;
    LogGridRecords records_;
    // Shown position -> index into records_; empty while rows are shown in
    // the order read (until the first sort).
    std::vector<std::uint32_t> order_;
    // The rows shown: the first records, all of them but during a fill.
    std::size_t shown_ = 0;
};

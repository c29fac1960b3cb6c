#include "grid/log_grid_model.h"

#include "base/texts/grid.h"

#include "grid/log_grid_sort.h"
#include "grid/log_row_format.h"

#include <numeric>

namespace log_data_no {

QString text(std::uint32_t code, const LogGridTexts& texts)
{
    if (code & kIndexFlag)
        return texts.dataNos[static_cast<qsizetype>(code & ~kIndexFlag)];
    const int length = static_cast<int>(code >> kLengthShift);
    if (length == 0)
        return {};
    const std::uint32_t value = code & ((1u << kLengthShift) - 1);
    return QStringLiteral("%1").arg(value, length, 10, QLatin1Char('0'));
}

} // namespace log_data_no

namespace {

constexpr int kWidths[LogGridModel::Cols] = {1100, 2000, 1000, 2000, 2000, 5900, 0};

} // namespace

int LogGridModel::colWidthTwips(int col)
{
    return col >= 0 && col < Cols ? kWidths[col] : 0;
}

QString LogGridModel::heading(int col)
{
    return col >= 0 && col < Cols ? texts::grid::Headings[col].ja_() : QString();
}

LogGridModel::LogGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void LogGridModel::setSwitches(const Switches& sw)
{
    // The same switches format every cell as before: no view need read them again.
    if (sw == sw_)
        return;
    beginResetModel();
    sw_ = sw;
    endResetModel();
}

int LogGridModel::Rows() const
{
    return static_cast<int>(shown_) + 1;
}

QString LogGridModel::TextMatrix(int row, int col) const
{
    if (col < 0 || col >= Cols || row < 0 || row >= Rows())
        return {};
    if (row == 0)
        return heading(col);
    return cellText(record(row), col);
}

QColor LogGridModel::rowColor(int row) const
{
    if (row < 1 || row >= Rows())
        return {};
    const std::int32_t logNo = texts_.logNos[record(row).content];
    return log_row_format::rowColor(logNo != kNoLogNo, logNo);
}

QColor LogGridModel::rowBackground(int row, bool selected) const
{
    if (row < 1 || row >= Rows())
        return {};
    const std::int32_t logNo = texts_.logNos[record(row).content];
    return log_row_format::rowBackground(logNo != kNoLogNo, logNo, selected);
}

void LogGridModel::clearRows()
{
    setRecords({}, {});
}

void LogGridModel::setRecords(LogGridTexts texts, LogGridRecords records)
{
    // An empty grid emptied again changes nothing a view shows (a search
    // empties it before it plans and again as it starts to fill).
    if (records.empty() && records_.empty() && order_.empty()) {
        texts_ = std::move(texts);
        shown_ = 0;
        return;
    }
    beginResetModel();
    texts_ = std::move(texts);
    records_ = std::move(records);
    order_ = {};
    shown_ = records_.size();
    endResetModel();
}

void LogGridModel::startFill()
{
    setRecords({}, {});
}

void LogGridModel::showFilled(LogGridTexts texts)
{
    if (records_.size() == shown_) {
        texts_ = std::move(texts);
        return;
    }
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(records_.size()) - 1);
    // The texts only grow: the rows shown before keep theirs.
    texts_ = std::move(texts);
    shown_ = records_.size();
    endInsertRows();
}

void LogGridModel::sortColumn(int col, bool descending)
{
    if (col < 0 || col >= Cols || records_.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    if (order_.empty()) {
        order_.resize(records_.size());
        std::iota(order_.begin(), order_.end(), 0u);
    }
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> shownAt;
    if (!before.isEmpty()) {
        shownAt.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& i : before)
            shownAt.push_back(order_[static_cast<std::size_t>(i.row())]);
    }

    log_grid_sort::stableSort(order_, log_grid_sort::textKeys(texts_, records_, col, sw_),
                              descending);
    if (col == 4) {
        // The time column is sorted a second time, with the generic comparison.
        log_grid_sort::stableSort(order_, log_grid_sort::genericTimeKeys(texts_, records_, sw_),
                                  descending);
    }

    if (!before.isEmpty()) {
        std::vector<std::uint32_t> rowOf(records_.size());
        for (std::size_t k = 0; k < order_.size(); ++k)
            rowOf[order_[k]] = static_cast<std::uint32_t>(k);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype k = 0; k < before.size(); ++k)
            after.append(index(static_cast<int>(rowOf[shownAt[static_cast<std::size_t>(k)]]),
                               before[k].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int LogGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

int LogGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Cols;
}

QVariant LogGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(record(index.row() + 1), col);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case SelectedBackgroundRole: {
        if (col >= ColouredCols)
            return {};
        const int row = index.row() + 1;
        const QColor c = role == Qt::ForegroundRole
                             ? rowColor(row)
                             : rowBackground(row, role == SelectedBackgroundRole);
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return int(cellAlignment(col));
    default:
        return {};
    }
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return heading(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

QString LogGridModel::cellText(const LogGridRecord& r, int col) const
{
    const bool en = sw_.english();
    switch (col) {
    case 0:
        return texts_.units[r.unit];
    case 1:
        return texts_.names[r.unit];
    case 2:
        return log_data_no::text(r.dataNo, texts_);
    case 3:
    case 4: {
        if (r.when == log_grid_when::kNoDate)
            return {};
        const log_grid_when::DateTime dt = log_grid_when::unpack(r.when, texts_.oddWhens);
        if (col == 3)
            return log_row_format::dateCell(int(dt.date / 10000), int(dt.date / 100 % 100),
                                            int(dt.date % 100), en);
        return log_row_format::timeCell(int(dt.time / 10000), int(dt.time / 100 % 100),
                                        int(dt.time % 100), en);
    }
    case 5:
        return texts_.contents[r.content];
    default:
        return {};
    }
}

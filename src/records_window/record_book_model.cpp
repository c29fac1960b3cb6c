#include "records_window/record_book_model.h"

#include "base/texts/records.h"
#include "records/record_book.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>

namespace t = texts::records;
using check_records::BookRow;

namespace {

// The column of 酒気帯び among the book's columns, after the status column.
constexpr int kDetectedColumn = 1 + 3;

// Light backgrounds under black text: 17:1 and more.
const QColor kNoRecord(255, 243, 176);
const QColor kDetected(255, 205, 205);

} // namespace

RecordBookModel::RecordBookModel(bool english, QString snHead, double limit, QObject* parent)
    : QAbstractTableModel(parent), english_(english), snHead_(std::move(snHead)), limit_(limit),
      heading_(QStringList{t::HeadStatus.pick(english)} + check_records::heading(english))
{
}

void RecordBookModel::setRows(QList<BookRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    texts_.clear();
    for (const BookRow& row : rows_)
        texts_.append(check_records::fields(row, english_, snHead_));
    endResetModel();
}

void RecordBookModel::setRecord(int row, const check_records::Record& record)
{
    rows_[row].record = record;
    texts_[row] = check_records::fields(rows_[row], english_, snHead_);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool RecordBookModel::detected(int row) const
{
    const BookRow& r = rows_[row];
    return r.record ? r.record->entry.detected : check_records::aboveLimit(r.value, limit_);
}

QString RecordBookModel::status(int row) const
{
    QStringList marks;
    if (!hasRecord(row))
        marks << t::NoRecord.pick(english_);
    if (detected(row))
        marks << t::AlcoholFound.pick(english_);
    return marks.join(t::MarkJoin.pick(english_));
}

int RecordBookModel::withoutRecord() const
{
    return int(
        std::count_if(rows_.cbegin(), rows_.cend(), [](const BookRow& r) { return !r.record; }));
}

int RecordBookModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordBookModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(heading_.size());
}

QVariant RecordBookModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return status(row);
        // Without a record the value's reading against the limit, as a new record proposes it.
        if (index.column() == kDetectedColumn && !hasRecord(row))
            return check_records::detectedText(detected(row), english_);
        return texts_[row][index.column() - 1];
    case Qt::BackgroundRole:
        if (detected(row))
            return QBrush(kDetected);
        return hasRecord(row) ? QVariant() : QBrush(kNoRecord);
    case Qt::ForegroundRole:
        return QBrush(Qt::black);
    case Qt::FontRole: {
        if (!detected(row))
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default:
        return {};
    }
}

QVariant RecordBookModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return heading_[section];
}

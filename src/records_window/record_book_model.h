#pragma once

#include "records/check_record.h"

#include <QAbstractTableModel>
#include <QList>

// The rows of the record book window: a status column, then the book's
// columns (check_records::heading). A row without a record says 未記録 in
// its status column and is painted on yellow; a row where alcohol was
// detected (by its record, or without one by its value against the limit)
// says so there, in bold, on red — colour is never the only sign.
class RecordBookModel : public QAbstractTableModel {
public:
    RecordBookModel(bool english, QString snHead, double limit, QObject* parent);

    void setRows(QList<check_records::BookRow> rows);
    const QList<check_records::BookRow>& rows() const { return rows_; }
    // The row's record after a save.
    void setRecord(int row, const check_records::Record& record);
    bool hasRecord(int row) const { return rows_[row].record.has_value(); }
    // Alcohol detected: by the record, or without one by the value against the limit.
    bool detected(int row) const;
    // The status column's text ("" when the row needs no attention).
    QString status(int row) const;
    int withoutRecord() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool english_;
    QString snHead_;
    double limit_;
    QStringList heading_;
    QList<check_records::BookRow> rows_;
    QList<QStringList> texts_; // each row's texts under heading_
};

#pragma once

#include "output/printing.h"
#include "records/check_record.h"
#include "records/record_book.h"

#include <QDate>
#include <QList>
#include <QString>

class QPrinter;

// The printed check record book, landscape: on every page the title
// 「アルコールチェック記録簿」, the period, the depot's name when it is set,
// the print date, 「N／M ページ」 and a box for the safe driving manager's
// seal; then a heading line and one line per measurement with every field of
// the book, long texts wrapped inside their column.
struct RecordBookPrint {
    QList<check_records::BookRow> rows;
    check_records::Period period;
    QString depot;
    QDate printed;
    bool english = false;
    QString snHead;
};

// Prints the book on the printer and ends the document, which hands it to the printer.
PrintOutcome printRecordBook(const RecordBookPrint& book, QPrinter& printer);

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Database;

// The table steps of the log master change. They throw DbError; the caller
// decides what the operator sees.
namespace log_master_table {

// One log number with its Japanese and English text.
struct Entry {
    int logNo = 0;
    QString naiyou;  // Japanese text
    QString naiyou2; // English text
};

// Empties Log_Master and writes the entries in file order; a later entry
// with the same number overwrites the texts of an earlier one.
void Write_LogMaster(Database& db, const QList<Entry>& entries, const QDateTime& now);

// Backup and rewrite in one transaction: on any failure both tables are left
// as they were.
void replace(Database& db, const QList<Entry>& entries, const QDateTime& now);

} // namespace log_master_table

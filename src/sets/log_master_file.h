#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The log master file: Shift_JIS text, lines ended by CR LF (a lone CR also
// ends a line, a lone LF does not), first line exactly "No,日本語,英語", then
// at most 100 entries "number,Japanese text,English text".
namespace log_master_file {

inline constexpr int kMaxEntries = 100;

struct Entry {
    int logNo = 0;
    QString naiyou;  // Japanese text
    QString naiyou2; // English text
};

enum class Problem {
    None,
    NotMasterFile, // empty file or wrong header
    WrongContent,  // an entry without exactly three fields, or a bad number
    TooManyLines,  // more than 100 entries
    NotShiftJis,   // bytes that are not Shift_JIS text
};

struct Result {
    Problem problem = Problem::None;
    QList<Entry> entries; // in file order (a later line for the same number wins when written)
    int badLine = 0;      // 1-based line of the problem
};

QString header();

// Splits bytes into lines at CR LF or a lone CR.
QList<QByteArray> splitLines(const QByteArray& bytes);

Result parse(const QByteArray& bytes);

// The file's bytes for the given entries (header first, CR LF after each line).
QByteArray build(const QList<Entry>& entries);

} // namespace log_master_file

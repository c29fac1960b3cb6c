#pragma once

#include "base/switches.h"
#include "db/log_master_table.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The log master file: Shift_JIS text, lines ended by CR LF (a lone CR also
// ends a line, a lone LF does not), first line exactly "No,日本語,英語", then
// at most 100 entries "number,Japanese text,English text".
namespace log_master_file {

inline constexpr int kMaxEntries = 100;
// The width of Naiyou and Naiyou2 in Log_Master.
inline constexpr int kMaxTextLength = 255;
// No valid file comes near this size (100 entries of two full texts are
// about 100 KB); a larger file is refused without being read whole.
inline constexpr qint64 kMaxFileBytes = 1024 * 1024;

using Entry = log_master_table::Entry;

enum class Problem {
    None,
    NotMasterFile, // empty file or wrong header
    WrongContent,  // not three fields, a number that is not a 16-bit whole number, a text too
                   // long or holding a control character
    TooManyLines,  // more than 100 entries
    NotShiftJis,   // an entry whose bytes are not Shift_JIS text
};

struct Result {
    Problem problem = Problem::None;
    QList<Entry> entries; // in file order (a later line for the same number wins when written)
    int badLine = 0;      // 1-based line of the problem
};

QString header();

// Checks every line up to the first wrong one; fields are taken as they
// stand (not trimmed).
Result parse(const QByteArray& bytes);

// The file's bytes for the given entries (header first, CR LF after each line).
QByteArray build(const QList<Entry>& entries);

// A checked file: its entries, or the message (in the switches' language)
// that refuses it. Nothing is written by the check.
struct Checked {
    QString error; // "" when the file is valid
    QList<Entry> entries;
};

// Reads and checks the file at path: the not-a-log-master-file message for
// an empty file or a wrong first line, the wrong-content message for any
// wrong entry or more than 100 of them, the read-failure message (with the
// reason) for a file that cannot be read.
Checked Check_MasterFile(const QString& path, const Switches& sw);

} // namespace log_master_file

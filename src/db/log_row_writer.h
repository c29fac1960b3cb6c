#pragma once

#include <QString>
#include <memory>
#include <span>

class Database;

// One row of Log_Data as the decoder stores it.
struct LogRow {
    QString unitSn;
    QString date; // "YYYY-MM-DD HH:MM:SS" (or "YYYY/MM/DD HH:MM:SS")
    QString dataNo;
    int logNo = 0;
    QString alcohol; // "" for a record without a measured value
    QString tani;    // null: left unset
    QString wdate;   // when it is stored, as date; null: left unset
};

// Stores Log_Data rows, each unless a row with the same Unit_SN, Date and
// Data_No is stored already.
//
// The writer works inside the caller's transaction and never begins or
// ends one; the caller commits chunks as it sees fit:
//
//     Transaction tx(db);
//     const int stored = LogRowWriter(db).storeAll(rows);
//     tx.commit();
//
// SQLite looks for each row's key, then inserts, row by row, with the two
// statements prepared once per writer. The server takes the rows in one
// statement that inserts them in key order with ON CONFLICT DO NOTHING on
// the unique key: when several programs store the same record at once
// exactly one stores it and the others count it as stored already (a
// conflict is never an error), and as every writer takes the keys in the
// same order, none waits for another in a circle. Any other failure (a value
// that does not fit its field, a lost connection) throws DbError, with
// DbFault::Conflict when the server gave the transaction up for another
// one's sake; on a server the transaction is then unusable and must be
// rolled back. A writer must not outlive the connection it was made on (it
// then throws).
class LogRowWriter {
public:
    explicit LogRowWriter(Database& db);
    ~LogRowWriter();
    LogRowWriter(const LogRowWriter&) = delete;
    LogRowWriter& operator=(const LogRowWriter&) = delete;

    // Stores the rows not stored already, in order; the number stored.
    int storeAll(std::span<const LogRow> rows);

    class Engine; // one engine's statements

private:
    std::unique_ptr<Engine> engine_;
};

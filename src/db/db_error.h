#pragma once

#include <QString>
#include <stdexcept>

// Why a database file cannot be used, where the operator is told different
// things for different causes.
enum class DbFault {
    Other,       // any other failure; the message says what
    Missing,     // the database file does not exist
    SecondCopy,  // another running copy of the program holds the file
    ReadOnly,    // no permission to write the file or its folder
    NotDatabase, // not an SQLite file, or one without the program's tables
    Damaged,     // an SQLite file whose content is damaged
    Busy,        // another program holds a lock on the file
    Conflict,    // the server gave the transaction up for another one's sake
                 // (deadlock, serialization failure): running it again may succeed
    NewerSchema, // a newer version of the program changed the database
    OlderSchema, // a server database of an older version: quarvenix-initdb upgrades it
    // The connection was lost while a commit was under way: the transaction
    // may or may not have been committed.
    CommitUnknown,
    // Db_Version does not hold a version any program wrote.
    BadVersion,
    // Another user holds the file's claim, or owns a lock file this user may
    // not open: the message is that user's name, a line end and the lock file.
    OtherUser,
};

// A failure of the database engine, carrying the engine's own message.
// The engine layer never shows a window; callers decide what the operator sees.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, DbFault fault = DbFault::Other)
        : std::runtime_error(message.toStdString()), message_(message), fault_(fault)
    {
    }
    const QString& message() const { return message_; }
    DbFault fault() const { return fault_; }

private:
    QString message_;
    DbFault fault_;
};

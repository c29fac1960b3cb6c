#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct AppContext;
class Database;
class QWidget;

// The operation history (table Op_History): one row per operation, with when
// it was done, the signed-in login ID, the PC's host name, the operation and
// its details. Rows are only ever added.
namespace op_history {

enum class Op {
    SignIn,
    SignInRefused,
    Read,
    CsvSave,
    Print,
    Save,
    SaveAndDelete,
    Delete,
    Restore,
    ArchiveLoad,
    LogMaster,
    LoginId,
    Password,
    HandsetName,
    Set,
    Port,
    Limit,
    CheckRecord,
    // Written by the database, not by a window: a change of a table of the
    // record on a server (server_trust.h), a repair of a file's history
    // (history_repair.h).
    TableChange,
    HistoryRepair,
    Server, // what a connection found about the server (no standby, plain text)
};

// The code the table keeps ("SignIn"), and the operation's name in the
// language asked for; an unknown code is named by itself.
QString code(Op op);
QString caption(const QString& code, bool english);

// Adds a row for the operation just done, by the signed-in ID (ctx.loginId),
// dated by the PC's clock (ctx.now) on a file and by the server's on a server.
// When the row cannot be written the operator is told so over `parent` (or
// that it is not known whether it was, when the server did not confirm the
// write); the operation itself stands. Never throws.
void add(AppContext& ctx, QWidget* parent, Op op, const QString& details = {});
// The same with the login ID given ("" for none): a sign-in, or a refused one.
void addAs(AppContext& ctx, QWidget* parent, const QString& id, Op op, const QString& details = {});
// Adds the row on `db` inside the caller's transaction, for an operation
// whose row must stand or fall with it, dated `when` on a file and by the
// server's clock on a server. Throws DbError.
void write(Database& db, const QDateTime& when, const QString& id, Op op, const QString& details);

// Which rows to read: dates (inclusive; a null date sets no bound) and a
// login ID ("" for every ID).
struct Filter {
    QDate from;
    QDate to;
    QString id;
};
struct Row {
    QString when; // "YYYY-MM-DD HH:MM:SS"
    QString id;
    QString pc;
    QString operation; // the code
    QString details;
};
// The rows of the filter, newest first. Throws DbError.
QList<Row> read(Database& db, const Filter& filter);

// Every login ID the rows name, in order, without "". Throws DbError.
QStringList ids(Database& db);

} // namespace op_history

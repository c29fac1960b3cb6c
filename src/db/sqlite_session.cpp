// The engine of a database file: the file opened by SQLite's own C API, and
// every statement prepared and stepped on that handle.
#include "db/db_error.h"
#include "db/engine_session.h"
#include "db/row_source.h"
#include "db/sql_text.h"

#include <sqlite3.h>

namespace {

// How long a statement waits for another program's lock on the file.
constexpr int kBusyTimeoutMs = 2000;

// The cause of a failure to open, from SQLite's result code.
DbFault faultOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return DbFault::NotDatabase;
    case SQLITE_CORRUPT:
        return DbFault::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbFault::Busy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DbFault::ReadOnly;
    default:
        return DbFault::Other;
    }
}

// Closes the connection; one whose statements are still held closes when
// the last of them is finalized.
struct HandleCloser {
    void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
};
using Handle = std::unique_ptr<sqlite3, HandleCloser>;

// Opens an existing file for reading and writing, never creating one (the
// delivered database's file exists before it is opened). The handle is used
// by one thread only (Database's threading rule), so SQLite's own locking of
// it is left out. Throws DbError with the cause of a failure.
Handle openFile(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Handle handle(raw);
    if (rc != SQLITE_OK)
        throw DbError(QString::fromUtf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)),
                      faultOf(rc));
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    sqlite3_extended_result_codes(raw, 1);
    return handle;
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

QString withStatement(const QString& message, const QString& shown)
{
    return shown.isEmpty() ? message : message + QStringLiteral(" [") + shown + QLatin1Char(']');
}

// A value bound to a placeholder by its type; a date and time in the stored
// form.
int bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index);
    switch (value.metaType().id()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble());
    default:
        break;
    }
    const QString text = value.metaType().id() == QMetaType::QDateTime
                             ? storedDateTime(value.toDateTime())
                             : value.toString();
    return sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                               SQLITE_TRANSIENT);
}

// The rows of a statement, stepped one by one.
class SqliteRows final : public RowSource {
public:
    SqliteRows(sqlite3* handle, Statement statement)
        : handle_(handle), statement_(std::move(statement))
    {
        for (int i = 0; i < sqlite3_column_count(statement_.get()); ++i)
            names_.emplace_back(sqlite3_column_name(statement_.get(), i));
    }

    bool next() override
    {
        if (!statement_)
            return false;
        const int rc = sqlite3_step(statement_.get());
        if (rc == SQLITE_DONE) {
            // Stepping again would run the statement anew.
            statement_.reset();
            return false;
        }
        if (rc != SQLITE_ROW)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_)));
        return true;
    }

    // Only the fields asked for are turned into text (an integer's text is made anew).
    Field field(int column) const override
    {
        sqlite3_stmt* st = statement_.get();
        const auto* p =
            st ? reinterpret_cast<const char*>(sqlite3_column_text(st, column)) : nullptr;
        if (!p) // SQL null
            return {};
        return {std::string_view(p, std::size_t(sqlite3_column_bytes(st, column))), false};
    }

    // An integer as SQLite holds it: no text is made for it.
    Integer integer(int column) const override
    {
        sqlite3_stmt* st = statement_.get();
        if (!st || sqlite3_column_type(st, column) == SQLITE_NULL)
            return {};
        return {sqlite3_column_int64(st, column), false};
    }

    QVariant value(int column) const override
    {
        sqlite3_stmt* st = statement_.get();
        switch (st ? sqlite3_column_type(st, column) : SQLITE_NULL) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(st, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(st, column);
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, column)),
                              sqlite3_column_bytes(st, column));
        case SQLITE_NULL:
            return QVariant(QMetaType::fromType<QString>());
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                                     sqlite3_column_bytes(st, column));
        }
    }

    void release() override { statement_.reset(); }

private:
    sqlite3* handle_;
    Statement statement_;
};

class SqliteSession final : public DbEngineSession {
public:
    explicit SqliteSession(const QString& path) : owned_(openFile(path)), handle_(owned_.get())
    {
        // Proves that the file is a database and that no one else holds it.
        probe("SELECT count(*) FROM sqlite_master");
        probe("BEGIN IMMEDIATE");
        sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_exec(handle_, "PRAGMA foreign_keys = OFF", nullptr, nullptr, nullptr);
    }

    DbEngine engine() const override { return DbEngine::Sqlite; }
    sqlite3* sqliteHandle() const override { return handle_; }

    int execute(const QString& sql, const QVariantList& values, const QString& shown) override
    {
        const Statement st = prepare(sql, values, shown);
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(st.get());
        if (rc != SQLITE_DONE)
            fail(shown);
        return sqlite3_changes(handle_);
    }

    std::unique_ptr<RowSource> rows(const QString& sql, const QVariantList& values,
                                    const QString& shown, int) override
    {
        return std::make_unique<SqliteRows>(handle_, prepare(sql, values, shown));
    }

    void begin(DbIsolation isolation) override
    {
        run(isolation == DbIsolation::Writing ? "BEGIN IMMEDIATE" : "BEGIN");
        inTransaction_ = true;
    }

    void commit() override
    {
        inTransaction_ = false;
        if (sqlite3_exec(handle_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
            return;
        const QString message = QString::fromUtf8(sqlite3_errmsg(handle_));
        // A failed COMMIT leaves the transaction open; it ends here, as on a server.
        sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw DbError(message);
    }

    void rollback() override
    {
        inTransaction_ = false;
        sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
    }

    // One writing transaction at a time already.
    void lockForChange(const QStringList&) override {}

    QHash<QString, QString> columnTypes(const QString& table) override
    {
        QHash<QString, QString> types;
        QString realName;
        {
            const Statement find =
                prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                       "lower(name) = ?"),
                        {table}, {});
            if (sqlite3_step(find.get()) != SQLITE_ROW)
                return types;
            realName = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0)));
        }
        const Statement info =
            prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(realName), {}, {});
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            const auto text = [&](int c) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(info.get(), c)));
            };
            types.insert(text(1).toLower(), text(2).toUpper());
        }
        return types;
    }

    QLatin1String rowKeyColumn() const override { return QLatin1String("rowid"); }

    QVariant saveRow(const RowChange& change) override
    {
        const auto quoted = [](const QString& name) {
            return QLatin1Char('"') + name + QLatin1Char('"');
        };
        QString sql;
        QVariantList values = change.values;
        if (change.adding && change.columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(change.table);
        } else if (change.adding) {
            QStringList names, marks;
            for (const QString& c : change.columns) {
                names << quoted(c);
                marks << QStringLiteral("?");
            }
            sql =
                QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                    .arg(change.table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        } else {
            // Optimistic locking: the row is saved only while every field
            // still holds what was read.
            QStringList sets, same;
            for (const QString& c : change.columns)
                sets << quoted(c) + QStringLiteral(" = ?");
            for (const QString& name : change.readNames)
                same << quoted(name) + QStringLiteral(" IS ?");
            sql = QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ? AND %3")
                      .arg(change.table, sets.join(QLatin1Char(',')),
                           same.join(QStringLiteral(" AND ")));
            values << change.key << change.readValues;
        }
        const int changed = execute(sql, values, {});
        if (change.adding)
            return qlonglong(sqlite3_last_insert_rowid(handle_));
        if (changed != 1)
            throw DbError(rowChangedMeanwhile());
        return change.key;
    }

private:
    // The statement prepared with its values bound; a second statement in
    // the same text is refused, as is a statement with no text.
    Statement prepare(const QString& sql, const QVariantList& values, const QString& shown)
    {
        sqlite3_stmt* raw = nullptr;
        const void* tail = nullptr;
        if (sqlite3_prepare16_v2(handle_, sql.utf16(), int(sql.size() * sizeof(char16_t)), &raw,
                                 &tail) != SQLITE_OK)
            fail(shown);
        Statement st(raw);
        const auto* rest = static_cast<const char16_t*>(tail);
        const auto* end = reinterpret_cast<const char16_t*>(sql.utf16()) + sql.size();
        if (rest && !QStringView(rest, end).trimmed().isEmpty())
            throw DbError(withStatement(
                QStringLiteral("Unable to execute multiple statements at a time"), shown));
        if (!st)
            throw DbError(withStatement(QStringLiteral("The statement is empty."), shown));
        if (sqlite3_bind_parameter_count(raw) != values.size())
            throw DbError(withStatement(QStringLiteral("Parameter count mismatch"), shown));
        for (int i = 0; i < values.size(); ++i) {
            if (bind(raw, i + 1, values[i]) != SQLITE_OK)
                fail(shown);
        }
        return st;
    }

    [[noreturn]] void fail(const QString& shown) const
    {
        throw DbError(withStatement(QString::fromUtf8(sqlite3_errmsg(handle_)), shown));
    }

    void run(const char* sql)
    {
        if (sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail({});
    }

    // A step of the opening; its failure says why the file cannot be used.
    void probe(const char* sql)
    {
        if (sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_)),
                          faultOf(sqlite3_extended_errcode(handle_)));
    }

    Handle owned_;
    sqlite3* handle_;
};

} // namespace

std::unique_ptr<DbEngineSession> openSqliteSession(const QString& path)
{
    return std::make_unique<SqliteSession>(path);
}

QString rowChangedMeanwhile()
{
    return QStringLiteral("The row was changed or deleted by another user since it was read; "
                          "the change is not saved.");
}

int DbEngineSession::executeText(const char*, std::span<const char* const>)
{
    throw DbError(QStringLiteral("A server's statement cannot run on this engine."));
}

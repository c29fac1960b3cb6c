#include "db/row_stream.h"

#include "db/database.h"
#include "db/libpq_calls.h"

#include <QAtomicInt>
#include <charconv>
#include <sqlite3.h>

class RowStream::Source {
public:
    virtual ~Source() = default;
    // Fills the fields of the next row; false after the last.
    virtual bool next(std::vector<RowStream::Field>& fields) = 0;
    // The connection is closing: let go of everything held on it.
    virtual void release() = 0;
};

namespace {

// The statement without the trailing " ;" the windows write, which a cursor
// declaration cannot enclose.
QString withoutTerminator(QString sql)
{
    while (!sql.isEmpty() && (sql.back().isSpace() || sql.back() == QLatin1Char(';')))
        sql.chop(1);
    return sql;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

QAtomicInt cursorCounter;

} // namespace

class SqliteRows : public RowStream::Source {
public:
    SqliteRows(Database& db, const QString& sql, std::vector<std::string>& names)
        : handle_(db.nativeHandle())
    {
        if (!handle_)
            throw DbError(QStringLiteral("The database is not open."));
        const QByteArray text = db.translate(sql).toUtf8();
        if (sqlite3_prepare_v2(handle_, text.constData(), static_cast<int>(text.size()),
                               &statement_, nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(handle_));
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw DbError(message + QStringLiteral(" [") + sql + QLatin1Char(']'));
        }
        if (!statement_)
            throw DbError(QStringLiteral("The statement is empty."));
        for (int i = 0; i < sqlite3_column_count(statement_); ++i)
            names.emplace_back(sqlite3_column_name(statement_, i));
    }
    ~SqliteRows() override { sqlite3_finalize(statement_); }
    void release() override
    {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        done_ = true;
    }
    SqliteRows(const SqliteRows&) = delete;
    SqliteRows& operator=(const SqliteRows&) = delete;

    bool next(std::vector<RowStream::Field>& fields) override
    {
        if (done_)
            return false;
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_DONE) {
            // Stepping again would run the statement anew.
            done_ = true;
            return false;
        }
        if (rc != SQLITE_ROW)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_)));
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const int c = static_cast<int>(i);
            RowStream::Field& f = fields[i];
            f.null = sqlite3_column_type(statement_, c) == SQLITE_NULL;
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(statement_, c));
            f.bytes = p ? std::string_view(p, std::size_t(sqlite3_column_bytes(statement_, c)))
                        : std::string_view();
        }
        return true;
    }

private:
    sqlite3* handle_;
    sqlite3_stmt* statement_ = nullptr;
    bool done_ = false;
};

class ServerRows : public RowStream::Source {
public:
    ServerRows(Database& db, const QString& sql, int fetchRows, std::vector<std::string>& names)
        : db_(db), conn_(db.serverHandle()),
          cursor_(QStringLiteral("qvx_rows_%1").arg(cursorCounter.fetchAndAddRelaxed(1))),
          fetch_(
              QStringLiteral("FETCH FORWARD %1 FROM %2").arg(std::max(1, fetchRows)).arg(cursor_))
    {
        if (!conn_)
            throw DbError(QStringLiteral("The database is not open."));
        ownTransaction_ = !db_.inTransaction();
        if (ownTransaction_)
            db_.begin();
        try {
            libpq_calls::run(conn_,
                             QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(cursor_) +
                                 withoutTerminator(db_.translate(sql)),
                             {}, sql);
            open_ = true;
            fetchChunk();
            for (int i = 0; i < PQnfields(chunk_.get()); ++i)
                names.emplace_back(PQfname(chunk_.get(), i));
        } catch (...) {
            finish();
            throw;
        }
    }
    ~ServerRows() override { finish(); }
    // The cursor and the transaction end with the connection.
    void release() override
    {
        open_ = false;
        ownTransaction_ = false;
        chunk_.reset();
    }
    ServerRows(const ServerRows&) = delete;
    ServerRows& operator=(const ServerRows&) = delete;

    bool next(std::vector<RowStream::Field>& fields) override
    {
        if (!open_)
            return false;
        if (row_ >= PQntuples(chunk_.get())) {
            if (PQntuples(chunk_.get()) == 0) {
                finish();
                return false;
            }
            fetchChunk();
            if (PQntuples(chunk_.get()) == 0) {
                finish();
                return false;
            }
        }
        const PGresult* r = chunk_.get();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const int c = static_cast<int>(i);
            RowStream::Field& f = fields[i];
            f.null = PQgetisnull(r, row_, c) != 0;
            f.bytes =
                std::string_view(PQgetvalue(r, row_, c), std::size_t(PQgetlength(r, row_, c)));
        }
        ++row_;
        return true;
    }

private:
    void fetchChunk()
    {
        chunk_ = libpq_calls::run(conn_, fetch_);
        row_ = 0;
    }

    // Closes the cursor and ends the stream's own transaction. Statements the
    // caller ran between rows belong to that transaction, so it is committed.
    void finish()
    {
        if (open_) {
            open_ = false;
            try {
                libpq_calls::run(conn_, QStringLiteral("CLOSE ") + cursor_);
            } catch (const DbError&) {
                // Gone with a failed transaction or connection.
            }
        }
        if (ownTransaction_) {
            ownTransaction_ = false;
            try {
                if (PQtransactionStatus(conn_) == PQTRANS_INERROR)
                    db_.rollback();
                else
                    db_.commit();
            } catch (const DbError&) {
                // Nothing of the stream's own was written.
            }
        }
    }

    Database& db_;
    PGconn* conn_;
    QString cursor_;
    QString fetch_;
    bool ownTransaction_ = false;
    bool open_ = false;
    libpq_calls::Result chunk_;
    int row_ = 0;
};

RowStream::RowStream(Database& db, const QString& sql, int fetchRows) : db_(&db)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The database is not open."));
    if (db.engine() == DbEngine::Postgresql)
        source_ = std::make_unique<ServerRows>(db, sql, fetchRows, names_);
    else
        source_ = std::make_unique<SqliteRows>(db, sql, names_);
    fields_.resize(names_.size());
    closeHook_ = db.onClose([this] {
        source_->release();
        db_ = nullptr;
    });
}

RowStream::~RowStream()
{
    if (db_)
        db_->dropOnClose(closeHook_);
}

int RowStream::column(std::string_view name) const
{
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (sameName(names_[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

bool RowStream::next()
{
    if (!db_)
        throw DbError(QStringLiteral("The database connection of the row stream is closed."));
    if (source_->next(fields_))
        return true;
    for (Field& f : fields_)
        f = Field{};
    return false;
}

long long RowStream::integer(int column) const
{
    const std::string_view t = text(column);
    long long value = 0;
    if (isNull(column) || std::from_chars(t.data(), t.data() + t.size(), value).ec != std::errc())
        return 0;
    return value;
}

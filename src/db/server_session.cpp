// The engine of a database on a PostgreSQL server: every statement runs
// through libpq on the session's own connection, with values as text both
// ways, awaited in the event loop (server_statements.h).
#include "base/texts/server.h"
#include "db/db_setting.h"
#include "db/engine_session.h"
#include "db/libpq_calls.h"
#include "db/row_source.h"
#include "db/schema.h"
#include "db/server_connect.h"
#include "db/server_statements.h"

#include <QAtomicInt>
#include <QScopeGuard>

namespace {

QAtomicInt cursorCounter;

// The server's type names in the words the SQLite schema declares.
QString neutralType(const QString& serverType)
{
    if (serverType.startsWith(QLatin1String("timestamp")))
        return QStringLiteral("DATETIME");
    if (serverType == QLatin1String("smallint") || serverType == QLatin1String("integer") ||
        serverType == QLatin1String("bigint"))
        return QStringLiteral("INTEGER");
    if (serverType == QLatin1String("text") || serverType.startsWith(QLatin1String("character")))
        return QStringLiteral("TEXT");
    return serverType.toUpper();
}

// The statement without the trailing " ;" the windows write, which a cursor
// declaration cannot enclose.
QString withoutTerminator(QString sql)
{
    while (!sql.isEmpty() && (sql.back().isSpace() || sql.back() == QLatin1Char(';')))
        sql.chop(1);
    return sql;
}

// The result's column names as the schema spells them.
std::vector<std::string> columnNames(const PGresult* r)
{
    std::vector<std::string> names;
    for (int i = 0; i < PQnfields(r); ++i)
        names.push_back(schema::canonicalName(QString::fromUtf8(PQfname(r, i))).toStdString());
    return names;
}

// A field of one row of a result.
RowSource::Field fieldOf(const PGresult* r, int row, int column)
{
    return {std::string_view(PQgetvalue(r, row, column), std::size_t(PQgetlength(r, row, column))),
            PQgetisnull(r, row, column) != 0};
}

// The rows of a result read whole.
class WholeRows final : public RowSource {
public:
    explicit WholeRows(libpq_calls::Result result) : result_(std::move(result))
    {
        names_ = columnNames(result_.get());
    }
    bool next() override
    {
        if (!result_ || row_ + 1 >= PQntuples(result_.get()))
            return false;
        ++row_;
        return true;
    }
    Field field(int column) const override { return fieldOf(result_.get(), row_, column); }
    QVariant value(int column) const override
    {
        return libpq_calls::value(result_.get(), row_, column);
    }
    void release() override { result_.reset(); }

private:
    libpq_calls::Result result_;
    int row_ = -1;
};

class ServerSession;

// The rows of a cursor, fetched a chunk at a time.
class CursorRows final : public RowSource {
public:
    CursorRows(ServerSession& session, const QString& sql, const QVariantList& values,
               const QString& shown, int fetchRows);
    ~CursorRows() override { finish(); }

    bool next() override
    {
        if (!open_)
            return false;
        if (row_ >= PQntuples(chunk_.get())) {
            if (PQntuples(chunk_.get()) > 0)
                fetchChunk();
            if (PQntuples(chunk_.get()) == 0) {
                finish();
                return false;
            }
        }
        ++row_;
        return true;
    }
    Field field(int column) const override { return fieldOf(chunk_.get(), row_ - 1, column); }
    QVariant value(int column) const override
    {
        return libpq_calls::value(chunk_.get(), row_ - 1, column);
    }
    // The cursor and the transaction end with the connection.
    void release() override
    {
        open_ = false;
        ownTransaction_ = false;
        chunk_.reset();
    }

private:
    void fetchChunk();
    void finish();

    ServerSession& session_;
    PGconn* conn_;
    QString cursor_;
    QString fetch_;
    bool ownTransaction_ = false;
    bool open_ = false;
    libpq_calls::Result chunk_;
    int row_ = 0;
};

class ServerSession final : public DbEngineSession {
public:
    ServerSession(const ServerAddress& server, const ConnectView& view)
        : server_(server), view_(view), statements_(view), conn_(openChecked(server))
    {
    }

    // Runs a statement on this session's connection (ServerStatements::run).
    libpq_calls::Result run(const QString& sql, const QVariantList& values, const QString& shown,
                            bool bounded)
    {
        return statements_.run(conn(), sql, values, shown, bounded);
    }

    DbEngine engine() const override { return DbEngine::Postgresql; }
    pg_conn* serverHandle() const override { return conn_.get(); }

    void ready() override
    {
        // A statement asked for while the window's events run during a
        // reconnection or another statement (a posted event's, say) waits
        // for nothing.
        if (connecting_)
            throw DbError(texts::server::StillConnecting.pick(view_.english));
        if (statements_.busy())
            throw DbError(texts::server::StillWaiting.pick(view_.english));
        // Reading what the server sent meanwhile finds a closed or closing
        // connection without a round trip.
        if (inTransaction_ || libpq_calls::sessionUsable(conn_.get()))
            return;
        // The server went away (restarted, failed over, or the network
        // failed) since the last statement: outside a transaction nothing is
        // lost by connecting again. The setting and the password file are
        // read again, so a changed password or server is taken up.
        ServerAddress server = server_;
        if (!server_.settingFile.isEmpty()) {
            const DbSetting again = DbSetting::fromIniFile(server_.settingFile);
            if (!again.problem.isEmpty())
                throw DbError(again.problem);
            if (!again.usesFile())
                server = again.server;
        }
        connecting_ = true;
        const auto done = qScopeGuard([this] { connecting_ = false; });
        conn_ = openChecked(server);
        server_ = server;
    }

    int execute(const QString& sql, const QVariantList& values, const QString& shown) override
    {
        const auto r = guarded(libpq_calls::numberedPlaceholders(sql), values, shown);
        return QByteArray(PQcmdTuples(r.get())).toInt();
    }

    int executeText(const char* sql, std::span<const char* const> params) override
    {
        const auto r = statements_.runText(conn(), QByteArray(sql), params);
        return QByteArray(PQcmdTuples(r.get())).toInt();
    }

    std::unique_ptr<RowSource> rows(const QString& sql, const QVariantList& values,
                                    const QString& shown, int fetchRows) override
    {
        if (fetchRows <= 0)
            return std::make_unique<WholeRows>(
                guarded(libpq_calls::numberedPlaceholders(sql), values, shown));
        return std::make_unique<CursorRows>(*this, sql, values, shown, fetchRows);
    }

    void begin(DbIsolation isolation) override
    {
        run(QStringLiteral("BEGIN"), {}, {}, true);
        inTransaction_ = true;
        if (isolation == DbIsolation::OneSnapshot) {
            try {
                run(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"), {}, {},
                    true);
            } catch (const DbError&) {
                rollback();
                throw;
            }
        }
    }

    void commit() override
    {
        if (statements_.busy())
            throw DbError(texts::server::StillWaiting.pick(view_.english));
        inTransaction_ = false;
        const server_await::Answer a = statements_.send(conn(), QStringLiteral("COMMIT"), {}, true);
        const bool answered = a.result && PQresultStatus(a.result.get()) == PGRES_COMMAND_OK;
        if (answered && QByteArray(PQcmdStatus(a.result.get())) != "ROLLBACK") {
            // Committed here; a standby that did not confirm it may lose it.
            if (a.unconfirmed)
                throw statements_.unconfirmed(conn());
            return;
        }
        // The server ends a failed transaction itself; one it did not end ends here.
        DbError error =
            answered ? DbError(QStringLiteral("The transaction was rolled back by the server."))
                     : statements_.failure(conn(), a, {});
        // A connection lost during the commit leaves no word of its outcome.
        if (PQstatus(conn()) != CONNECTION_OK)
            error = statements_.lostAtCommit(conn(), error);
        if (PQtransactionStatus(conn()) != PQTRANS_IDLE)
            rollback();
        throw error;
    }

    void rollback() override
    {
        inTransaction_ = false;
        try {
            statements_.send(conn(), QStringLiteral("ROLLBACK"), {}, true);
        } catch (const DbError&) {
            // Refused while another statement is awaited; the server ends it with the connection.
        }
    }

    void lockForChange(const QStringList& tables) override
    {
        // Taken before anything else of the tables, so no one waits in a circle.
        const QString sql = QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE")
                                .arg(tables.join(QStringLiteral(", ")));
        guarded(sql, {}, sql);
    }

    QHash<QString, QString> columnTypes(const QString& table) override
    {
        // A table (not a view) that the statements' unquoted name finds.
        const auto r =
            run(QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) "
                               "FROM pg_catalog.pg_class c "
                               "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                               "WHERE c.relname = $1 AND c.relkind IN ('r', 'p') "
                               "AND pg_catalog.pg_table_is_visible(c.oid) "
                               "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
                {table}, {}, !inTransaction_);
        QHash<QString, QString> types;
        for (int i = 0; i < PQntuples(r.get()); ++i)
            types.insert(QString::fromUtf8(PQgetvalue(r.get(), i, 0)),
                         neutralType(QString::fromUtf8(PQgetvalue(r.get(), i, 1))));
        return types;
    }

    QLatin1String rowKeyColumn() const override { return QLatin1String("ctid"); }

    QVariant saveRow(const RowChange& change) override
    {
        // Lower-case and quoted: the name as the server folded it, never a keyword.
        const auto quoted = [](const QString& name) {
            return QLatin1Char('"') + name.toLower() + QLatin1Char('"');
        };
        const QString table = quoted(change.table);
        QString sql;
        QVariantList values = change.values;
        if (change.adding && change.columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING ctid").arg(table);
        } else if (change.adding) {
            QStringList names, marks;
            for (qsizetype i = 0; i < change.columns.size(); ++i) {
                names << quoted(change.columns[i]);
                marks << QStringLiteral("$%1").arg(i + 1);
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING ctid")
                      .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        } else {
            // Every change of a row gives it a new ctid, so a row changed or
            // deleted since it was read no longer has the ctid that was read.
            QStringList sets;
            for (qsizetype i = 0; i < change.columns.size(); ++i)
                sets << quoted(change.columns[i]) + QStringLiteral(" = $%1").arg(i + 1);
            sql = QStringLiteral("UPDATE %1 SET %2 WHERE ctid = $%3 RETURNING ctid")
                      .arg(table, sets.join(QLatin1Char(',')))
                      .arg(change.columns.size() + 1);
            values << change.key;
        }
        const auto r = guarded(sql, values, {});
        if (PQntuples(r.get()) != 1)
            throw DbError(rowChangedMeanwhile());
        return QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
    }

private:
    // On the server a failed statement spoils the whole transaction around
    // it. Inside a transaction each statement therefore runs under a
    // savepoint that a failure rolls back to, which leaves the transaction as
    // SQLite leaves it.
    // Statements outside a transaction are short and commit by themselves:
    // they are bounded.
    libpq_calls::Result guarded(const QString& sql, const QVariantList& values,
                                const QString& shown)
    {
        if (!inTransaction_)
            return run(sql, values, shown, true);
        run(QStringLiteral("SAVEPOINT qvx_statement"), {}, {}, false);
        try {
            auto r = run(sql, values, shown, false);
            run(QStringLiteral("RELEASE SAVEPOINT qvx_statement"), {}, {}, false);
            return r;
        } catch (const DbError&) {
            try {
                run(QStringLiteral("ROLLBACK TO SAVEPOINT qvx_statement"), {}, {}, false);
                run(QStringLiteral("RELEASE SAVEPOINT qvx_statement"), {}, {}, false);
            } catch (const DbError&) {
                // The connection is gone; the caller gets the first error.
            }
            throw;
        }
    }

    PGconn* conn() const { return conn_.get(); }

    // A connection to the server, checked and set up for the engine layer;
    // the view hears what the operator should know of it.
    ServerConnection openChecked(const ServerAddress& server)
    {
        ServerConnection c = connectToServer(server, view_);
        // Statements are sent without blocking and awaited in the event loop.
        PQsetnonblocking(c.get(), 1);
        statements_.setWait(server.waitSeconds);
        const auto setUp = [&](const QString& sql) {
            return statements_.run(c.get(), sql, {}, {}, true);
        };
        // Texts are counted in characters against the field limits only in UTF-8.
        const auto encoding = setUp(QStringLiteral("SHOW server_encoding"));
        if (QByteArray(PQgetvalue(encoding.get(), 0, 0)) != "UTF8")
            throw DbError(
                QStringLiteral("The database %1 is not encoded in UTF8.").arg(server.dbname));
        // Dates in ISO form, quotes only doubled; every row stream reads to
        // the end; a lock is waited for no longer than a statement.
        for (const char* setting :
             {"SET DateStyle = 'ISO, YMD'", "SET standard_conforming_strings = on",
              "SET cursor_tuple_fraction = 1.0"})
            setUp(QLatin1String(setting));
        setUp(QStringLiteral("SET lock_timeout = %1").arg(qint64(server.waitSeconds) * 1000));
        const QStringList warnings = statements_.warningsOf(c.get(), server);
        if (view_.warn) {
            for (const QString& warning : warnings)
                view_.warn(warning);
        }
        return c;
    }

    ServerAddress server_;
    const ConnectView& view_;
    ServerStatements statements_;
    ServerConnection conn_;
    bool connecting_ = false;
};

CursorRows::CursorRows(ServerSession& session, const QString& sql, const QVariantList& values,
                       const QString& shown, int fetchRows)
    : session_(session), conn_(session.serverHandle()),
      cursor_(QStringLiteral("qvx_rows_%1").arg(cursorCounter.fetchAndAddRelaxed(1))),
      fetch_(QStringLiteral("FETCH FORWARD %1 FROM %2").arg(fetchRows).arg(cursor_))
{
    ownTransaction_ = !session_.inTransaction();
    if (ownTransaction_)
        session_.begin(DbIsolation::PerStatement);
    try {
        session_.run(QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(cursor_) +
                         libpq_calls::numberedPlaceholders(withoutTerminator(sql)),
                     values, shown, false);
        open_ = true;
        fetchChunk();
        names_ = columnNames(chunk_.get());
    } catch (...) {
        finish();
        throw;
    }
}

void CursorRows::fetchChunk()
{
    chunk_ = session_.run(fetch_, {}, {}, false);
    row_ = 0;
}

// Closes the cursor and ends the source's own transaction. Statements the
// caller ran between rows belong to that transaction, so it is committed.
void CursorRows::finish()
{
    if (open_) {
        open_ = false;
        try {
            session_.run(QStringLiteral("CLOSE ") + cursor_, {}, {}, false);
        } catch (const DbError&) {
            // Gone with a failed transaction or connection.
        }
    }
    if (ownTransaction_) {
        ownTransaction_ = false;
        try {
            if (PQtransactionStatus(conn_) == PQTRANS_INERROR)
                session_.rollback();
            else
                session_.commit();
        } catch (const DbError&) {
            // Nothing of the source's own was written.
        }
    }
}

} // namespace

std::unique_ptr<DbEngineSession> openServerSession(const ServerAddress& server,
                                                   const ConnectView& view)
{
    return std::make_unique<ServerSession>(server, view);
}

#include "db/database.h"

#include "db/db_setting.h"
#include "db/libpq_calls.h"
#include "db/schema.h"
#include "db/sql_text.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>

namespace {

QAtomicInt connectionCounter;

QString engineMessage(const QSqlError& error, const QString& sql = {})
{
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!sql.isEmpty())
        text += QStringLiteral(" [") + sql + QLatin1Char(']');
    return text;
}

// The cause of an engine failure, from SQLite's result code.
DbFault faultOf(const QSqlError& error)
{
    switch (error.nativeErrorCode().toInt() & 0xff) {
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

// "SELECT * FROM <name> ..." names the table a recordset can write to.
const QRegularExpression& selectStarFrom()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*))"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

constexpr auto kRowIdColumn = "qvx_rowid";

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

} // namespace

// On the server a failed statement spoils the whole transaction around it.
// Inside a transaction each statement therefore runs under a savepoint that a
// failure rolls back to, which leaves the transaction as SQLite leaves it.
class StatementScope {
public:
    explicit StatementScope(Database& db)
        : db_(db), guarded_(db.engine() == DbEngine::Postgresql && db.inTransaction())
    {
        if (guarded_)
            db_.run(QStringLiteral("SAVEPOINT qvx_statement"));
    }
    ~StatementScope()
    {
        if (!guarded_ || done_)
            return;
        try {
            db_.run(QStringLiteral("ROLLBACK TO SAVEPOINT qvx_statement"));
            db_.run(QStringLiteral("RELEASE SAVEPOINT qvx_statement"));
        } catch (const DbError&) {
            // The connection is gone; the caller already has the first error.
        }
    }
    StatementScope(const StatementScope&) = delete;
    StatementScope& operator=(const StatementScope&) = delete;
    void done()
    {
        if (guarded_)
            db_.run(QStringLiteral("RELEASE SAVEPOINT qvx_statement"));
        done_ = true;
    }

private:
    Database& db_;
    bool guarded_;
    bool done_ = false;
};

namespace {

// Runs a statement with values bound to its "?" placeholders; `shown` is the
// statement as the caller wrote it, for the error message.
void runOnSqlite(QSqlQuery& q, const QString& translated, const QVariantList& values,
                 const QString& shown)
{
    bool ok = false;
    if (values.isEmpty()) {
        ok = q.exec(translated);
    } else {
        ok = q.prepare(translated);
        for (const QVariant& v : values)
            q.addBindValue(v);
        ok = ok && q.exec();
    }
    if (!ok)
        throw DbError(engineMessage(q.lastError(), shown));
}

libpq_calls::Result runOnServer(Database& db, const QString& translated, const QVariantList& values,
                                const QString& shown)
{
    StatementScope scope(db);
    auto r = libpq_calls::run(db.serverHandle(), libpq_calls::numberedPlaceholders(translated),
                              values, shown);
    scope.done();
    return r;
}

} // namespace

// The rows of a server query, as a QSqlQuery gives them to forEachRow's
// callers: with the values and field names a recordset gives.
class ServerRowsResult final : public QSqlResult {
public:
    ServerRowsResult(const QSqlDriver* driver, libpq_calls::Result rows)
        : QSqlResult(driver), rows_(std::move(rows))
    {
        setSelect(true);
        setActive(true);
        setForwardOnly(true);
        for (int i = 0; i < PQnfields(rows_.get()); ++i)
            record_.append(
                QSqlField(schema::canonicalName(QString::fromUtf8(PQfname(rows_.get(), i)))));
    }

protected:
    QVariant data(int i) override { return libpq_calls::value(rows_.get(), at(), i); }
    bool isNull(int i) override { return PQgetisnull(rows_.get(), at(), i) != 0; }
    bool reset(const QString&) override { return false; }
    bool fetch(int i) override
    {
        if (i < 0 || i >= PQntuples(rows_.get()))
            return false;
        setAt(i);
        return true;
    }
    bool fetchFirst() override { return fetch(0); }
    bool fetchLast() override { return fetch(PQntuples(rows_.get()) - 1); }
    int size() override { return PQntuples(rows_.get()); }
    int numRowsAffected() override { return -1; }
    QSqlRecord record() const override { return record_; }

private:
    libpq_calls::Result rows_;
    QSqlRecord record_;
};

Database::Database()
    : connectionName_(QStringLiteral("DB_Con_%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    close();
}

void Database::open(const QString& path)
{
    close();
    const QFileInfo info(path);
    if (!info.isFile())
        throw DbError(QStringLiteral("Database file not found: %1").arg(path), DbFault::Missing);
    if (!info.isReadable() || !info.isWritable())
        throw DbError(QStringLiteral("No permission to read and write: %1").arg(path),
                      DbFault::ReadOnly);
    // Every change writes a journal beside the file.
    if (!QFileInfo(info.absolutePath()).isWritable())
        throw DbError(
            QStringLiteral("No permission to write in the folder: %1").arg(info.absolutePath()),
            DbFault::ReadOnly);
    sqliteOpen(path);
}

void Database::sqliteOpen(const QString& path)
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db_.open()) {
        const DbError error(engineMessage(db_.lastError()), faultOf(db_.lastError()));
        close();
        throw error;
    }
    engine_ = DbEngine::Sqlite;
    open_ = true;
    path_ = path;
    // Proves that the file is a database and that no one else holds it.
    try {
        QSqlQuery probe(db_);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            throw DbError(engineMessage(probe.lastError()), faultOf(probe.lastError()));
        probe.finish();
        if (!probe.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw DbError(engineMessage(probe.lastError()), faultOf(probe.lastError()));
        probe.exec(QStringLiteral("ROLLBACK"));
        probe.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    } catch (...) {
        close();
        throw;
    }
}

void Database::open(const ServerAddress& server)
{
    close();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
    if (!db_.isValid()) {
        close();
        throw DbError(QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed."));
    }
    db_.setHostName(server.host);
    db_.setPort(server.port > 0 ? server.port : -1);
    db_.setDatabaseName(server.dbname);
    db_.setUserName(server.user);
    QStringList options{QStringLiteral("connect_timeout=%1").arg(server.connectTimeout),
                        QStringLiteral("application_name=quarvenix")};
    if (!server.sslmode.isEmpty())
        options << QStringLiteral("sslmode=") + server.sslmode;
    db_.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db_.open()) {
        const QString message = engineMessage(db_.lastError());
        close();
        throw DbError(message);
    }
    engine_ = DbEngine::Postgresql;
    open_ = true;
    path_ = server.describe();
    try {
        // Texts are counted in characters against the field limits only in UTF-8.
        const auto encoding =
            libpq_calls::run(serverHandle(), QStringLiteral("SHOW server_encoding"));
        if (QByteArray(PQgetvalue(encoding.get(), 0, 0)) != "UTF8")
            throw DbError(
                QStringLiteral("The database %1 is not encoded in UTF8.").arg(server.dbname));
        setUpSession();
    } catch (...) {
        close();
        throw;
    }
}

void Database::setUpSession()
{
    // Texts in UTF-8 (also after a reconnection, which forgets the driver's
    // own setting), dates in ISO form, quotes only doubled; every row stream
    // reads to the end.
    run(QStringLiteral("SET client_encoding = 'UTF8'"));
    run(QStringLiteral("SET DateStyle = 'ISO, YMD'"));
    run(QStringLiteral("SET standard_conforming_strings = on"));
    run(QStringLiteral("SET cursor_tuple_fraction = 1.0"));
}

void Database::ready()
{
    throwIfClosed();
    if (engine_ != DbEngine::Postgresql || inTransaction_)
        return;
    PGconn* conn = serverHandle();
    // Reading what the server sent meanwhile finds a closed or closing
    // connection without a round trip.
    if (!conn || libpq_calls::sessionUsable(conn))
        return;
    // The server went away (restarted, or the network failed) since the last
    // statement: outside a transaction nothing is lost by connecting again.
    PQreset(conn);
    if (PQstatus(conn) != CONNECTION_OK)
        throw DbError(libpq_calls::errorText(conn, nullptr));
    setUpSession();
}

bool Database::isOpen() const
{
    // Open from open() to close(), also while a server connection is lost
    // (the next transaction or statement connects again).
    return db_.isValid() && open_;
}

int Database::onClose(std::function<void()> release)
{
    closeHooks_.insert(++nextCloseHook_, std::move(release));
    return nextCloseHook_;
}

void Database::dropOnClose(int id)
{
    closeHooks_.remove(id);
}

void Database::close()
{
    // Statements still prepared would keep the engine's connection alive.
    const auto hooks = std::exchange(closeHooks_, {});
    for (const auto& release : hooks)
        release();
    columnTypeCache_.clear();
    inTransaction_ = false;
    open_ = false;
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
    path_.clear();
}

void Database::throwIfClosed() const
{
    if (!isOpen())
        throw DbError(QStringLiteral("The database is not open."));
}

sqlite3* Database::nativeHandle() const
{
    if (!isOpen() || engine_ != DbEngine::Sqlite)
        return nullptr;
    const QVariant handle = db_.driver()->handle();
    return handle.isValid() ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
}

pg_conn* Database::serverHandle() const
{
    if (!isOpen() || engine_ != DbEngine::Postgresql)
        return nullptr;
    const QVariant handle = db_.driver()->handle();
    return handle.isValid() ? *static_cast<PGconn* const*>(handle.data()) : nullptr;
}

QString Database::translate(const QString& sql) const
{
    return translateSql(sql, engine_);
}

void Database::run(const QString& sql)
{
    throwIfClosed();
    if (engine_ == DbEngine::Postgresql) {
        libpq_calls::run(serverHandle(), sql);
        return;
    }
    QSqlQuery q(db_);
    if (!q.exec(sql))
        throw DbError(engineMessage(q.lastError(), sql));
}

bool Database::isTable(const QString& name)
{
    return !columnTypes(name).isEmpty();
}

QHash<QString, QString> Database::columnTypes(const QString& table)
{
    const QString key = table.toLower();
    const auto cached = columnTypeCache_.constFind(key);
    if (cached != columnTypeCache_.cend())
        return *cached;
    QHash<QString, QString> types;
    if (engine_ == DbEngine::Postgresql) {
        // A table (not a view) that the statements' unquoted name finds.
        const auto r = libpq_calls::run(
            serverHandle(),
            QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) "
                           "FROM pg_catalog.pg_class c "
                           "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                           "WHERE c.relname = $1 AND c.relkind IN ('r', 'p') "
                           "AND pg_catalog.pg_table_is_visible(c.oid) "
                           "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
            {key});
        for (int i = 0; i < PQntuples(r.get()); ++i)
            types.insert(QString::fromUtf8(PQgetvalue(r.get(), i, 0)),
                         neutralType(QString::fromUtf8(PQgetvalue(r.get(), i, 1))));
    } else {
        QSqlQuery q(db_);
        q.prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND lower(name) = ?"));
        q.addBindValue(key);
        if (q.exec() && q.next()) {
            const QString realName = q.value(0).toString();
            QSqlQuery info(db_);
            if (info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(realName))) {
                while (info.next())
                    types.insert(info.value(1).toString().toLower(),
                                 info.value(2).toString().toUpper());
            }
        }
    }
    // Only tables found are remembered: a missing one may be created later.
    if (!types.isEmpty())
        columnTypeCache_.insert(key, types);
    return types;
}

Recordset Database::openRecordset(const QString& sql)
{
    return openRecordset(sql, {});
}

Recordset Database::openRecordset(const QString& sql, const QVariantList& values)
{
    ready();
    QString translated = translate(sql);

    Recordset rs;
    rs.db_ = this;
    const QRegularExpressionMatch m = selectStarFrom().match(translated);
    if (m.hasMatch() && isTable(m.captured(1))) {
        rs.table_ = m.captured(1);
        // Each row keeps its identity so that a changed row can be saved.
        const qsizetype star = translated.indexOf(QLatin1Char('*'), m.capturedStart(0));
        translated.replace(star, 1,
                           QStringLiteral("%1 AS %2, *")
                               .arg(engine_ == DbEngine::Postgresql ? QLatin1String("ctid")
                                                                    : QLatin1String("rowid"),
                                    QLatin1String(kRowIdColumn)));
    }
    const int first = rs.table_.isEmpty() ? 0 : 1;

    if (engine_ == DbEngine::Postgresql) {
        const auto r = runOnServer(*this, translated, values, sql);
        const int width = PQnfields(r.get()) - first;
        for (int i = 0; i < width; ++i)
            rs.names_ << schema::canonicalName(QString::fromUtf8(PQfname(r.get(), i + first)));
        const int rows = PQntuples(r.get());
        rs.rows_.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            if (first == 1)
                rs.rowKeys_ << QString::fromUtf8(PQgetvalue(r.get(), row, 0));
            QVector<QVariant> fields(width);
            for (int i = 0; i < width; ++i)
                fields[i] = libpq_calls::value(r.get(), row, i + first);
            rs.rows_ << fields;
        }
        return rs;
    }

    QSqlQuery q(db_);
    q.setForwardOnly(true);
    runOnSqlite(q, translated, values, sql);
    const QSqlRecord record = q.record();
    for (int i = first; i < record.count(); ++i)
        rs.names_ << record.fieldName(i);
    const int width = static_cast<int>(rs.names_.size());
    while (q.next()) {
        if (first == 1)
            rs.rowKeys_ << q.value(0).toLongLong();
        QVector<QVariant> row(width);
        for (int i = 0; i < width; ++i)
            row[i] = q.value(i + first);
        rs.rows_ << row;
    }
    if (q.lastError().isValid())
        throw DbError(engineMessage(q.lastError(), sql));
    return rs;
}

int Database::execute(const QString& sql)
{
    return execute(sql, {});
}

int Database::execute(const QString& sql, const QVariantList& values)
{
    ready();
    const QString translated = translate(sql);
    if (engine_ == DbEngine::Postgresql) {
        const auto r = runOnServer(*this, translated, values, sql);
        return QByteArray(PQcmdTuples(r.get())).toInt();
    }
    QSqlQuery q(db_);
    runOnSqlite(q, translated, values, sql);
    return q.numRowsAffected();
}

void Database::forEachRow(const QString& sql, const std::function<void(const QSqlQuery&)>& row)
{
    ready();
    if (engine_ == DbEngine::Postgresql) {
        // Read whole by libpq, so that the callback may run statements of
        // its own and the values are those a recordset gives. The query owns
        // its result.
        QSqlQuery q(
            new ServerRowsResult(db_.driver(), runOnServer(*this, translate(sql), {}, sql)));
        while (q.next())
            row(q);
        return;
    }
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(translate(sql)))
        throw DbError(engineMessage(q.lastError(), sql));
    while (q.next())
        row(q);
    if (q.lastError().isValid())
        throw DbError(engineMessage(q.lastError(), sql));
}

void Database::begin(Isolation isolation)
{
    ready();
    if (inTransaction_)
        throw DbError(QStringLiteral("A transaction is already in progress."));
    if (!db_.transaction())
        throw DbError(engineMessage(db_.lastError()));
    inTransaction_ = true;
    if (engine_ == DbEngine::Postgresql && isolation == Isolation::OneSnapshot) {
        try {
            run(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
        } catch (const DbError&) {
            rollback();
            throw;
        }
    }
}

void Database::commit()
{
    if (!inTransaction_)
        throw DbError(QStringLiteral("No transaction is in progress."));
    if (!db_.commit()) {
        const QSqlError error = db_.lastError();
        const QString message = engineMessage(error);
        // The server's driver gives the SQLSTATE as the native code.
        const DbFault fault = engine_ == DbEngine::Postgresql
                                  ? libpq_calls::faultOfState(error.nativeErrorCode().toLatin1())
                                  : DbFault::Other;
        // A failed COMMIT on the server ends the transaction; on SQLite it
        // stays open and is rolled back here, so both end the same way.
        if (engine_ == DbEngine::Sqlite || PQtransactionStatus(serverHandle()) != PQTRANS_IDLE)
            db_.rollback();
        inTransaction_ = false;
        throw DbError(message, fault);
    }
    inTransaction_ = false;
}

void Database::lockForChange(const QStringList& tables)
{
    throwIfClosed();
    if (!inTransaction_)
        throw DbError(QStringLiteral("No transaction is in progress."));
    if (engine_ != DbEngine::Postgresql)
        return;
    // Taken before anything else of the tables, so no one waits in a circle.
    execute(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE")
                .arg(tables.join(QStringLiteral(", "))));
}

void Database::rollback()
{
    if (!inTransaction_)
        return;
    db_.rollback();
    inTransaction_ = false;
}

Transaction::~Transaction()
{
    if (!done_)
        db_.rollback();
}

void Transaction::commit()
{
    done_ = true;
    db_.commit();
}

// ---- Recordset ----

int Recordset::column(const QString& name) const
{
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw DbError(QStringLiteral("Item cannot be found in the collection: %1").arg(name));
}

void Recordset::moveNext()
{
    // Moving away from a changed or added row saves it first, as the
    // original engine did; nothing set is silently dropped.
    update();
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True."));
    ++pos_;
}

QVariant Recordset::field(const QString& name) const
{
    const int c = column(name);
    if (adding_ || !edit_.isEmpty())
        return edit_[c];
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True."));
    return rows_[pos_][c];
}

QString Recordset::text(const QString& name) const
{
    const QVariant v = field(name);
    return v.isNull() ? QString() : v.toString();
}

void Recordset::addNew()
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("The recordset cannot add rows (not a single table)."));
    adding_ = true;
    edit_ = QVector<QVariant>(names_.size());
    dirty_ = QVector<bool>(names_.size(), false);
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("The recordset is read-only."));
    const int c = column(name);
    if (edit_.isEmpty()) {
        if (eof())
            throw DbError(QStringLiteral("Either BOF or EOF is True."));
        edit_ = rows_[pos_];
        dirty_ = QVector<bool>(names_.size(), false);
    }
    edit_[c] = value;
    dirty_[c] = true;
}

void Recordset::update()
{
    if (edit_.isEmpty())
        return;
    const QHash<QString, QString> types = db_->columnTypes(table_);
    QStringList columns;
    QVector<QVariant> values;
    for (int i = 0; i < names_.size(); ++i) {
        if (!dirty_[i])
            continue;
        QVariant v = edit_[i];
        if (types.value(names_[i].toLower()) == QLatin1String("DATETIME") && !v.isNull()) {
            // A date field takes a date and time or its text; anything else fails as the
            // original engine's type mismatch did.
            const QString stored = v.metaType().id() == QMetaType::QDateTime
                                       ? storedDateTime(v.toDateTime())
                                       : storedDateTime(v.toString());
            if (stored.isNull())
                throw DbError(
                    QStringLiteral("Data type mismatch: '%1' is not a date and time for %2.")
                        .arg(v.toString(), names_[i]));
            v = stored;
        }
        edit_[i] = v;
        columns << names_[i];
        values << v;
    }
    if (!adding_ && columns.isEmpty()) {
        edit_.clear();
        dirty_.clear();
        return;
    }
    if (db_->engine() == DbEngine::Postgresql)
        saveOnServer(columns, values);
    else
        saveOnSqlite(columns, values);
    if (adding_) {
        rows_.append(edit_);
        pos_ = rows_.size() - 1;
    } else {
        rows_[pos_] = edit_;
    }
    adding_ = false;
    edit_.clear();
    dirty_.clear();
}

namespace {

const QString& changedMeanwhile()
{
    static const QString text =
        QStringLiteral("The row was changed or deleted by another user since it was read; "
                       "the change is not saved.");
    return text;
}

} // namespace

void Recordset::saveOnSqlite(const QStringList& columns, const QVector<QVariant>& values)
{
    const auto quoted = [](const QString& name) {
        return QLatin1Char('"') + name + QLatin1Char('"');
    };
    QSqlQuery q(db_->connection());
    if (adding_ && columns.isEmpty()) {
        q.prepare(QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table_));
    } else if (adding_) {
        QStringList names, marks;
        for (const QString& c : columns) {
            names << quoted(c);
            marks << QStringLiteral("?");
        }
        q.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                      .arg(table_, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    } else {
        // Optimistic locking: the row is saved only while every field still
        // holds what was read.
        QStringList sets, same;
        for (const QString& c : columns)
            sets << quoted(c) + QStringLiteral(" = ?");
        for (const QString& name : names_)
            same << quoted(name) + QStringLiteral(" IS ?");
        q.prepare(
            QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ? AND %3")
                .arg(table_, sets.join(QLatin1Char(',')), same.join(QStringLiteral(" AND "))));
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!adding_) {
        q.addBindValue(rowKeys_[pos_]);
        for (const QVariant& v : rows_[pos_])
            q.addBindValue(v);
    }
    if (!q.exec())
        throw DbError(engineMessage(q.lastError()));
    if (adding_)
        rowKeys_.append(q.lastInsertId().toLongLong());
    else if (q.numRowsAffected() != 1)
        throw DbError(changedMeanwhile());
}

void Recordset::saveOnServer(const QStringList& columns, const QVector<QVariant>& values)
{
    // Lower-case and quoted: the name as the server folded it, never a keyword.
    const auto quoted = [](const QString& name) {
        return QLatin1Char('"') + name.toLower() + QLatin1Char('"');
    };
    QString sql;
    QVariantList params;
    if (adding_ && columns.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING ctid").arg(quoted(table_));
    } else if (adding_) {
        QStringList names, marks;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            names << quoted(columns[i]);
            marks << QStringLiteral("$%1").arg(i + 1);
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING ctid")
                  .arg(quoted(table_), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    } else {
        // Every change of a row gives it a new ctid, so a row changed or
        // deleted since it was read no longer has the ctid that was read.
        QStringList sets;
        for (qsizetype i = 0; i < columns.size(); ++i)
            sets << quoted(columns[i]) + QStringLiteral(" = $%1").arg(i + 1);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE ctid = $%3 RETURNING ctid")
                  .arg(quoted(table_), sets.join(QLatin1Char(',')))
                  .arg(columns.size() + 1);
    }
    for (const QVariant& v : values)
        params << v;
    if (!adding_)
        params << rowKeys_[pos_];
    StatementScope scope(*db_);
    const auto r = libpq_calls::run(db_->serverHandle(), sql, params);
    scope.done();
    if (PQntuples(r.get()) != 1)
        throw DbError(changedMeanwhile());
    const QString key = QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
    if (adding_)
        rowKeys_.append(key);
    else
        rowKeys_[pos_] = key;
}

void Recordset::close()
{
    rows_.clear();
    rowKeys_.clear();
    edit_.clear();
    dirty_.clear();
    pos_ = 0;
    adding_ = false;
}

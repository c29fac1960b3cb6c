#include "db/database.h"

#include "db/db_setting.h"
#include "db/engine_session.h"
#include "db/sql_text.h"

#include <QFileInfo>

Database::Database() = default;

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
    session_ = openSqliteSession(path);
    engine_ = DbEngine::Sqlite;
    path_ = path;
}

void Database::open(const ServerAddress& server)
{
    close();
    session_ = openServerSession(server, connectView_);
    engine_ = DbEngine::Postgresql;
    path_ = server.describe();
}

void Database::close()
{
    // Statements still held by the seams would keep the engine's connection alive.
    const auto hooks = std::exchange(closeHooks_, {});
    for (const auto& release : hooks)
        release();
    columnTypeCache_.clear();
    session_.reset();
    path_.clear();
}

DbEngineSession& Database::session()
{
    if (!session_)
        throw DbError(QStringLiteral("The database is not open."));
    session_->ready();
    return *session_;
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

sqlite3* Database::sqliteHandle() const
{
    return session_ ? session_->sqliteHandle() : nullptr;
}

pg_conn* Database::serverHandle() const
{
    return session_ ? session_->serverHandle() : nullptr;
}

QString Database::translate(const QString& sql) const
{
    return translateSql(sql, engine_);
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
    const QHash<QString, QString> types = session().columnTypes(key);
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
    return Recordset(*this, sql, values);
}

int Database::execute(const QString& sql)
{
    return execute(sql, {});
}

int Database::execute(const QString& sql, const QVariantList& values)
{
    DbEngineSession& s = session();
    return s.execute(translate(sql), values, sql);
}

int Database::executeOnServer(const char* sql, std::span<const char* const> params)
{
    return session().executeText(sql, params);
}

bool Database::inTransaction() const
{
    return session_ && session_->inTransaction();
}

void Database::begin(Isolation isolation)
{
    DbEngineSession& s = session();
    if (s.inTransaction())
        throw DbError(QStringLiteral("A transaction is already in progress."));
    s.begin(isolation);
}

void Database::commit()
{
    if (!inTransaction())
        throw DbError(QStringLiteral("No transaction is in progress."));
    session_->commit();
}

void Database::rollback()
{
    if (inTransaction())
        session_->rollback();
}

void Database::lockForChange(const QStringList& tables)
{
    if (!session_)
        throw DbError(QStringLiteral("The database is not open."));
    if (!inTransaction())
        throw DbError(QStringLiteral("No transaction is in progress."));
    session_->lockForChange(tables);
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

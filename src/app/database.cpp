#include "app/database.h"

#include "app/sql_text.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

} // namespace

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

    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db_.open()) {
        const DbError error(engineMessage(db_.lastError()), faultOf(db_.lastError()));
        close();
        throw error;
    }
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

bool Database::isOpen() const
{
    return db_.isValid() && db_.isOpen();
}

void Database::close()
{
    columnTypeCache_.clear();
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
    path_.clear();
}

sqlite3* Database::nativeHandle() const
{
    if (!isOpen())
        return nullptr;
    const QVariant handle = db_.driver()->handle();
    return handle.isValid() ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
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
    QSqlQuery q(db_);
    q.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND lower(name) = ?"));
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
    columnTypeCache_.insert(key, types);
    return types;
}

Recordset Database::openRecordset(const QString& sql)
{
    return openRecordset(sql, {});
}

Recordset Database::openRecordset(const QString& sql, const QVariantList& values)
{
    if (!isOpen())
        throw DbError(QStringLiteral("The database is not open."));
    QString translated = translateSql(sql);

    Recordset rs;
    rs.db_ = this;
    const QRegularExpressionMatch m = selectStarFrom().match(translated);
    if (m.hasMatch() && isTable(m.captured(1))) {
        rs.table_ = m.captured(1);
        // Each row keeps its rowid so that a changed row can be saved.
        const qsizetype star = translated.indexOf(QLatin1Char('*'), m.capturedStart(0));
        translated.replace(star, 1,
                           QStringLiteral("rowid AS %1, *").arg(QLatin1String(kRowIdColumn)));
    }

    QSqlQuery q(db_);
    q.setForwardOnly(true);
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
        throw DbError(engineMessage(q.lastError(), sql));
    const QSqlRecord record = q.record();
    const int first = rs.table_.isEmpty() ? 0 : 1;
    for (int i = first; i < record.count(); ++i)
        rs.names_ << record.fieldName(i);
    const int width = static_cast<int>(rs.names_.size());
    while (q.next()) {
        if (first == 1)
            rs.rowIds_ << q.value(0).toLongLong();
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
    if (!isOpen())
        throw DbError(QStringLiteral("The database is not open."));
    QSqlQuery q(db_);
    if (!q.exec(translateSql(sql)))
        throw DbError(engineMessage(q.lastError(), sql));
    return q.numRowsAffected();
}

void Database::forEachRow(const QString& sql, const std::function<void(const QSqlQuery&)>& row)
{
    if (!isOpen())
        throw DbError(QStringLiteral("The database is not open."));
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(translateSql(sql)))
        throw DbError(engineMessage(q.lastError(), sql));
    while (q.next())
        row(q);
    if (q.lastError().isValid())
        throw DbError(engineMessage(q.lastError(), sql));
}

void Database::begin()
{
    if (!isOpen() || !db_.transaction())
        throw DbError(engineMessage(db_.lastError()));
}

void Database::commit()
{
    if (!db_.commit())
        throw DbError(engineMessage(db_.lastError()));
}

void Database::rollback()
{
    db_.rollback();
}

Transaction::~Transaction()
{
    if (!done_)
        db_.rollback();
}

void Transaction::commit()
{
    db_.commit();
    done_ = true;
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
        columns << QLatin1Char('"') + names_[i] + QLatin1Char('"');
        values << v;
    }
    QSqlQuery q(db_->connection());
    if (adding_ && columns.isEmpty()) {
        q.prepare(QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table_));
    } else if (adding_) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        q.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                      .arg(table_, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    } else if (columns.isEmpty()) {
        edit_.clear();
        dirty_.clear();
        return;
    } else {
        QStringList sets;
        for (const QString& c : columns)
            sets << c + QStringLiteral(" = ?");
        q.prepare(QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ?")
                      .arg(table_, sets.join(QLatin1Char(','))));
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!adding_)
        q.addBindValue(rowIds_[pos_]);
    if (!q.exec())
        throw DbError(engineMessage(q.lastError()));
    if (adding_) {
        rows_.append(edit_);
        rowIds_.append(q.lastInsertId().toLongLong());
        pos_ = rows_.size() - 1;
    } else {
        rows_[pos_] = edit_;
    }
    adding_ = false;
    edit_.clear();
    dirty_.clear();
}

void Recordset::close()
{
    rows_.clear();
    rowIds_.clear();
    edit_.clear();
    dirty_.clear();
    pos_ = 0;
    adding_ = false;
}

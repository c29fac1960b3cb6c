#include "db/schema_upgrade.h"

#include "db/database.h"
#include "db/db_claim.h"
#include "db/history_repair.h"
#include "db/row_stream.h"
#include "db/schema.h"
#include "db/schema_archive.h"
#include "db/server_trust.h"

#include <QRegularExpression>
#include <vector>

namespace schema_upgrade {

namespace {

// One upgrade step: the version a database has after it, what it changes (for
// the reports) and the change itself, on either engine. A step whose outcome
// depends on the rows says what it did through `told` instead of `run`.
struct Step {
    int version;
    const char* change;
    void (*run)(Database& db);
    QString (*told)(Database& db) = nullptr;
};

// Version 1: the database keeps its version.
void keepVersion(Database& db)
{
    db.execute(schema::createVersionTable(db.engine()));
    db.execute(QStringLiteral("INSERT INTO %1 (Version) VALUES (0)")
                   .arg(QLatin1String(schema::kVersionTable)));
}

// Version 2: the archive of preserved logs, the operation history and who
// may administer (schema_archive.h).
void keepRecordsFindable(Database& db)
{
    for (const QString& sql : schema_archive::statements(db.engine()))
        db.execute(sql);
}

// Version 3: a log is in one place (schema_archive.h): an archived log that
// Log_Data holds unchanged leaves the archive; one that differs is listed and kept.
QString oneCopyOfEachLog(Database& db)
{
    return schema_archive::removeCurrentFromArchive(db);
}

// Version 4: on a server, the history's time from the server's clock, a
// new ID without the administrator's right, the history of the record's
// tables and the restore function (server_trust.h). An SQLite file only
// notes the version: whoever holds the file holds all of it.
void keepRecordTrusted(Database& db)
{
    server_trust::apply(db, 4);
}

// Version 5: the check record book, its changes recorded on a server.
void keepCheckRecords(Database& db)
{
    for (const QString& sql : schema::checkRecordStatements(db.engine()))
        db.execute(sql);
    server_trust::audit(db, 5);
}

// Version 6: the archive view reads its rows with no per-row check against
// Log_Data, now that each log is in one place (schema_archive.h).
void readArchiveWithoutCheck(Database& db)
{
    for (const QString& sql : schema_archive::archiveViewWithoutCheck(db.engine()))
        db.execute(sql);
}

// In version order, each one above the last; append new steps at the end.
const std::vector<Step>& steps()
{
    static const std::vector<Step> all{
        {1, "keeps its version", &keepVersion},
        {2, "keeps preserved logs, an operation history and who may administer",
         &keepRecordsFindable},
        {3, "keeps each log in one place", nullptr, &oneCopyOfEachLog},
        {4,
         "keeps the record trusted: server times in the history, changes recorded, restores "
         "through the server",
         &keepRecordTrusted},
        {5, "keeps a check record per measurement", &keepCheckRecords},
        {6, "reads the archive without a per-row check", &readArchiveWithoutCheck},
    };
    return all;
}

// The lock of set-ups and upgrades of one server database.
constexpr qint64 kSetUpLock = 0x51564e58; // "QVNX"

bool hasIndex(Database& db, const QString& name)
{
    const QString sql =
        db.engine() == DbEngine::Postgresql
            ? QStringLiteral("SELECT CASE WHEN to_regclass(?) IS NULL THEN 0 ELSE 1 END")
            : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                             "lower(name) = lower(?)");
    RowStream rows(db, sql, {name}, RowStream::kWhole);
    return rows.next() && rows.integer(0) != 0;
}

// A database's column types change with the steps; what the connection
// remembers of them is dropped when an upgrade ends, in any way.
struct ForgetColumnTypes {
    Database& db;
    ~ForgetColumnTypes() { db.forgetColumnTypes(); }
};

// Adds the key's missing indexes where no rows share the key; returns the
// rows that keep an index from being added.
QList<unique_keys::SharedKey> addKey(Database& db, const schema::UniqueKey& key, Result& result)
{
    const bool exactMissing = !hasIndex(db, key.index);
    const bool trimmedMissing = !key.trimmedIndex.isEmpty() && !hasIndex(db, key.trimmedIndex);
    QList<unique_keys::SharedKey> exactShared, trimmedShared;
    if (exactMissing) {
        exactShared = unique_keys::shared(db, key, false);
        if (exactShared.isEmpty()) {
            db.execute(schema::createIndex(key));
            // The plain index on the same fields has nothing left to do.
            db.execute(QStringLiteral("DROP INDEX IF EXISTS ") + key.replaces);
            result.indexesAdded << key.index;
        }
    }
    if (trimmedMissing) {
        trimmedShared = unique_keys::shared(db, key, true);
        if (trimmedShared.isEmpty()) {
            // Each key is stored once now, and without its blanks, so that the
            // views' joins on the stored key find it.
            const QString& field = key.fields.first();
            result.keysTrimmed +=
                db.execute(QStringLiteral("UPDATE %1 SET %2 = RTRIM(%2) WHERE %2 <> RTRIM(%2)")
                               .arg(key.table, field));
            db.execute(schema::createTrimmedIndex(key));
            result.indexesAdded << key.trimmedIndex;
        }
    }
    // Rows sharing a key but for blanks include those sharing it exactly.
    return trimmedShared.isEmpty() ? exactShared : trimmedShared;
}

} // namespace

int currentVersion()
{
    return steps().back().version;
}

namespace {

// The highest version a Db_Version row may hold: the field is a 16-bit integer.
constexpr int kHighestVersion = 32767;

[[noreturn]] void badVersion(const QString& what)
{
    throw DbError(QStringLiteral("The table Db_Version %1, which is not the version of a "
                                 "Quarvenix database (one row holding a whole number from 1 to "
                                 "%2); it was changed outside Quarvenix, so the database is not "
                                 "used.")
                      .arg(what)
                      .arg(kHighestVersion),
                  DbFault::BadVersion);
}

// Whether a table, view or index of that name exists.
bool nameTaken(Database& db, const QString& name)
{
    const QString sql = db.engine() == DbEngine::Postgresql
                            ? QStringLiteral("SELECT count(to_regclass(?))")
                            : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE "
                                             "lower(name) = lower(?)");
    RowStream rows(db, sql, {name}, RowStream::kWhole);
    return rows.next() && rows.integer(0) != 0;
}

} // namespace

int versionOf(Database& db)
{
    const QString table = QLatin1String(schema::kVersionTable);
    if (!db.isTable(table)) {
        if (nameTaken(db, table))
            badVersion(QStringLiteral("is no table"));
        return 0;
    }
    if (!db.columnTypes(table).contains(QStringLiteral("version")))
        badVersion(QStringLiteral("has no field Version"));
    // As text, so that nothing is converted: "2abc" must not read as 2, nor
    // 4294967298 as 2.
    RowStream rows(db, QStringLiteral("SELECT CAST(Version AS TEXT) FROM %1").arg(table),
                   RowStream::kWhole);
    QStringList values;
    while (rows.next() && values.size() <= 2)
        values << (rows.isNull(0)
                       ? QStringLiteral("NULL")
                       : QLatin1Char('\'') + QString::fromUtf8(rows.text(0)) + QLatin1Char('\''));
    if (values.size() != 1)
        badVersion(values.isEmpty() ? QStringLiteral("holds no row")
                                    : QStringLiteral("holds more than one row"));
    const QString text = values.first().mid(1, values.first().size() - 2);
    static const QRegularExpression whole(QStringLiteral("^[0-9]{1,5}$"));
    const int version = whole.match(text).hasMatch() ? text.toInt() : 0;
    if (version < 1 || version > kHighestVersion)
        badVersion(QStringLiteral("holds %1").arg(values.first()));
    return version;
}

namespace {

void refuseNewer(int version)
{
    if (version > currentVersion())
        throw DbError(QStringLiteral("The database was changed by a newer version of Quarvenix "
                                     "(database version %1; this program knows up to %2).")
                          .arg(version)
                          .arg(currentVersion()),
                      DbFault::NewerSchema);
}

} // namespace

void checkVersion(Database& db)
{
    const int version = versionOf(db);
    refuseNewer(version);
    if (version < currentVersion() && db.engine() == DbEngine::Postgresql)
        throw DbError(QStringLiteral("The server database is of version %1; this program needs "
                                     "version %2. Run quarvenix-initdb --postgresql to upgrade it.")
                          .arg(version)
                          .arg(currentVersion()),
                      DbFault::OlderSchema);
}

QString summary(const Result& result)
{
    QStringList parts;
    if (result.to != result.from)
        parts << QStringLiteral("from version %1 to %2 (%3)")
                     .arg(result.from)
                     .arg(result.to)
                     .arg(result.changes.join(QStringLiteral(", ")));
    if (!result.indexesAdded.isEmpty())
        parts << QStringLiteral("added the unique indexes ") +
                     result.indexesAdded.join(QStringLiteral(", "));
    if (result.keysTrimmed > 0)
        parts << QStringLiteral("trailing blanks removed from stored keys: %1")
                     .arg(result.keysTrimmed);
    if (!result.historyRepaired.isEmpty())
        parts << QStringLiteral("repaired the operation history (%1)")
                     .arg(result.historyRepaired.join(QStringLiteral("; ")));
    return parts.join(QStringLiteral("; "));
}

Result upgrade(Database& db)
{
    const ForgetColumnTypes forget{db};
    Result result;
    result.from = result.to = versionOf(db);
    refuseNewer(result.from);
    for (const Step& step : steps()) {
        if (step.version <= result.to)
            continue;
        const QString told = step.told ? step.told(db) : QString();
        if (step.run)
            step.run(db);
        db.execute(
            QStringLiteral("UPDATE %1 SET Version = ?").arg(QLatin1String(schema::kVersionTable)),
            {step.version});
        result.to = step.version;
        result.changes << (told.isEmpty()
                               ? QLatin1String(step.change)
                               : QLatin1String(step.change) + QStringLiteral(": ") + told);
    }
    for (const schema::UniqueKey& key : schema::uniqueKeys())
        result.sharedKeys << addKey(db, key, result);
    if (result.to >= 2)
        result.historyRepaired = history_repair::repair(db);
    return result;
}

void holdSetUpLock(Database& db)
{
    if (db.engine() == DbEngine::Postgresql)
        db.execute(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSetUpLock));
}

FileUpgrade upgradeFile(const QString& path)
{
    const DbClaim claim = DbClaim::onDatabase(path);
    if (!claim.held())
        return {false, claim.fault() == DbFault::SecondCopy
                           ? QStringLiteral("%1 is in use by a running copy of the program; end "
                                            "it and run again.")
                                 .arg(path)
                           : claim.error()};
    try {
        Database db;
        db.open(path);
        for (const QString& table : schema::tableNames()) {
            if (!db.isTable(table))
                return {false, QStringLiteral("%1 is not a Quarvenix database (no table %2); "
                                              "nothing was changed.")
                                   .arg(path, table)};
        }
        Transaction tx(db);
        const Result result = upgrade(db);
        tx.commit();
        QString message =
            result.changed()
                ? QStringLiteral("Upgraded %1: %2.").arg(path, summary(result))
                : QStringLiteral("%1 is up to date (version %2).").arg(path).arg(result.to);
        if (result.sharedKeys.isEmpty())
            return {true, message};
        message += QStringLiteral(
            "\nRows share keys that must be unique (trailing blanks do not count), so those "
            "keys' unique indexes were not added; the program works on without them. Keep one "
            "row of each and run again:");
        for (const unique_keys::SharedKey& shared : result.sharedKeys)
            message += QStringLiteral("\n  ") + unique_keys::describe(shared);
        return {false, message};
    } catch (const DbError& e) {
        return {false, QStringLiteral("%1: %2 (nothing was changed)").arg(path, e.message())};
    }
}

} // namespace schema_upgrade

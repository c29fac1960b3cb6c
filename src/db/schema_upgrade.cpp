#include "db/schema_upgrade.h"

#include "db/database.h"
#include "db/db_claim.h"
#include "db/row_stream.h"
#include "db/schema.h"
#include "db/schema_archive.h"

#include <vector>

namespace schema_upgrade {

namespace {

// One upgrade step: the version a database has after it, what it changes (for
// the reports) and the change itself, on either engine.
struct Step {
    int version;
    const char* change;
    void (*run)(Database& db);
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

// Version 5: the check record book.
void keepCheckRecords(Database& db)
{
    for (const QString& sql : schema::checkRecordStatements(db.engine()))
        db.execute(sql);
}

// In version order, each one above the last; append new steps at the end.
const std::vector<Step>& steps()
{
    static const std::vector<Step> all{
        {1, "keeps its version", &keepVersion},
        {2, "keeps preserved logs, an operation history and who may administer",
         &keepRecordsFindable},
        {5, "keeps a check record per measurement", &keepCheckRecords},
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

int versionOf(Database& db)
{
    if (!db.isTable(QLatin1String(schema::kVersionTable)))
        return 0;
    RowStream rows(
        db, QStringLiteral("SELECT max(Version) FROM %1").arg(QLatin1String(schema::kVersionTable)),
        RowStream::kWhole);
    return rows.next() ? int(rows.integer(0)) : 0;
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
        step.run(db);
        db.execute(
            QStringLiteral("UPDATE %1 SET Version = ?").arg(QLatin1String(schema::kVersionTable)),
            {step.version});
        result.to = step.version;
        result.changes << QLatin1String(step.change);
    }
    for (const schema::UniqueKey& key : schema::uniqueKeys())
        result.sharedKeys << addKey(db, key, result);
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

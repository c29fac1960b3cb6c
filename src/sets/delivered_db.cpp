#include "sets/delivered_db.h"

#include "base/texts/sets.h"

#include "base/password.h"
#include "db/database.h"
#include "db/db_files.h"
#include "db/db_setting.h"
#include "db/row_stream.h"
#include "db/schema.h"
#include "db/sql_text.h"
#include "sets/log_master_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace delivered_db {

namespace {
// The advisory lock that serialises set-ups of one server database.
constexpr qint64 kSetUpLock = 0x51564e58; // "QVNX"
} // namespace

QString standardSetName(bool english)
{
    return texts::delivered::StandardSet.pick(english);
}

QList<int> standardSetLogNumbers()
{
    return {8, 9, 10, 17};
}

QStringList standardSetNames(DeliveredFile file)
{
    switch (file) {
    case DeliveredFile::Japanese:
        return {standardSetName(false)};
    case DeliveredFile::English:
        return {standardSetName(true)};
    case DeliveredFile::Test:
        break;
    }
    return {standardSetName(false), standardSetName(true)};
}

namespace {

// The rows of a new database; runs inside the caller's transaction.
void fill(Database& db, DeliveredFile file, const QList<log_master_file::Entry>& master,
          const QDateTime& now)
{
    const QString stamp = storedDateTime(now);
    db.execute(QStringLiteral("INSERT INTO Com_Port (Port) VALUES (?)"), {1});
    db.execute(QStringLiteral("INSERT INTO Login (ID, Name, Pass, Date) VALUES (?, ?, ?, ?)"),
               {QString::fromLatin1(kAdminId),
                texts::delivered::AdminName.pick(file == DeliveredFile::English),
                password::hash(QString::fromLatin1(kAdminPassword)), stamp});
    log_master_table::Write_LogMaster(db, master, now);
    for (const QString& name : standardSetNames(file)) {
        int no = 1;
        for (int logNo : standardSetLogNumbers()) {
            db.execute(
                QStringLiteral("INSERT INTO Fukusu (No, Name, Log_No, Date) VALUES (?, ?, ?, ?)"),
                {no++, name, logNo, stamp});
        }
    }
}

// A unique key's fields as "Name 'East', No '2'".
QString keyText(const schema::UniqueKey& key, const RowStream& row)
{
    QStringList parts;
    for (int i = 0; i < key.fields.size(); ++i)
        parts << key.fields[i] + QStringLiteral(" '") + QString::fromUtf8(row.text(i)) +
                     QLatin1Char('\'');
    return parts.join(QStringLiteral(", "));
}

// Gives a database made before the unique keys its missing ones, in the
// caller's transaction; commits only when no key is held by several rows.
ServerSetup addMissingKeys(Database& db, Transaction& tx, const ServerAddress& server)
{
    QList<schema::UniqueKey> missing;
    for (const schema::UniqueKey& key : schema::uniqueKeys()) {
        if (!db.openRecordset(QStringLiteral("SELECT to_regclass(?) IS NOT NULL AS found"),
                              {key.index})
                 .field(QStringLiteral("found"))
                 .toBool())
            missing << key;
    }
    if (missing.isEmpty())
        return {ServerSetup::AlreadySetUp,
                QStringLiteral("%1 already holds the Quarvenix tables; nothing was changed.")
                    .arg(server.describe())};
    QStringList doubled, added;
    for (const schema::UniqueKey& key : missing) {
        const QString fields = key.fields.join(QStringLiteral(", "));
        RowStream rows(
            db,
            QStringLiteral("SELECT %1, count(*) FROM %2 WHERE %3 IS NOT NULL GROUP BY "
                           "%1 HAVING count(*) > 1 ORDER BY %1")
                .arg(fields, key.table, key.fields.join(QStringLiteral(" IS NOT NULL AND "))),
            RowStream::kWhole);
        while (rows.next())
            doubled << QStringLiteral("  %1: %2 (%3 rows)")
                           .arg(key.table, keyText(key, rows),
                                QString::fromUtf8(rows.text(int(key.fields.size()))));
        added << key.index;
    }
    if (!doubled.isEmpty())
        return {ServerSetup::Failed,
                QStringLiteral("%1 holds rows that share a key which must be unique, so its "
                               "unique indexes cannot be added; nothing was changed. Keep one "
                               "row of each and run again:\n%2")
                    .arg(server.describe(), doubled.join(QLatin1Char('\n')))};
    for (const schema::UniqueKey& key : missing) {
        db.execute(schema::createIndex(key));
        // The plain index on the same fields has nothing left to do.
        db.execute(QStringLiteral("DROP INDEX IF EXISTS ") + key.replaces);
    }
    tx.commit();
    return {ServerSetup::KeysAdded, QStringLiteral("Added the unique indexes %1 to %2.")
                                        .arg(added.join(QStringLiteral(", ")), server.describe())};
}

} // namespace

QString create(const QString& path, DeliveredFile file, const QList<log_master_file::Entry>& master,
               const QDateTime& now)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("%1 exists; it is left as it is.").arg(path);
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    {
        QFile touch(temp);
        if (!touch.open(QIODevice::WriteOnly))
            return touch.errorString();
    }
    try {
        Database db;
        db.open(temp);
        schema::create(db);
        Transaction tx(db);
        fill(db, file, master, now);
        tx.commit();
        db.close();
    } catch (const DbError& e) {
        QFile::remove(temp);
        return e.message();
    }
    if (QFileInfo::exists(path) || std::rename(QFile::encodeName(temp).constData(),
                                               QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return QStringLiteral("Cannot create %1").arg(path);
    }
    return {};
}

QString createMissing(const QString& dir, const QList<log_master_file::Entry>& master,
                      const QDateTime& now)
{
    struct File {
        const char* name;
        DeliveredFile kind;
    };
    const File files[] = {{kDbFileJapanese, DeliveredFile::Japanese},
                          {kDbFileEnglish, DeliveredFile::English},
                          {kDbFileTest, DeliveredFile::Test}};
    QStringList errors;
    for (const File& f : files) {
        const QString path = QDir(dir).filePath(QString::fromLatin1(f.name));
        if (QFileInfo::exists(path))
            continue;
        const QString error = create(path, f.kind, master, now);
        if (!error.isEmpty())
            errors << error;
    }
    return errors.join(QLatin1Char('\n'));
}

} // namespace delivered_db

namespace delivered_db {

ServerSetup setUpServer(const ServerAddress& server, DeliveredFile file,
                        const QList<log_master_file::Entry>& master, const QDateTime& now)
{
    try {
        Database db;
        db.open(server);
        Transaction tx(db);
        // Two set-ups started together take turns; the second finds the tables.
        db.execute(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSetUpLock));
        QStringList present;
        for (const QString& table : schema::tableNames()) {
            if (db.isTable(table))
                present << table;
        }
        if (present.size() == schema::tableNames().size())
            return addMissingKeys(db, tx, server);
        if (!present.isEmpty())
            return {ServerSetup::Failed,
                    QStringLiteral("%1 holds some of the Quarvenix tables (%2) but not all; "
                                   "nothing was changed.")
                        .arg(server.describe(), present.join(QStringLiteral(", ")))};
        for (const QString& sql : schema::statements(DbEngine::Postgresql))
            db.execute(sql);
        fill(db, file, master, now);
        tx.commit();
        return {ServerSetup::Created,
                QStringLiteral("Created the Quarvenix tables in %1.").arg(server.describe())};
    } catch (const DbError& e) {
        return {ServerSetup::Failed, e.message()};
    }
}

} // namespace delivered_db

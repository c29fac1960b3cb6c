#include "db/delivered_db.h"

#include "base/texts/sets.h"

#include "base/password.h"
#include "db/database.h"
#include "db/db_files.h"
#include "db/db_setting.h"
#include "db/log_master_table.h"
#include "db/role_grants.h"
#include "db/schema.h"
#include "db/schema_upgrade.h"
#include "db/server_trust.h"
#include "db/sql_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace delivered_db {

QString standardSetName(bool english)
{
    return texts::delivered::StandardSet.pick(english);
}

namespace {

// The log numbers of the standard content set.
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

// The rows of a new database; runs inside the caller's transaction.
void fill(Database& db, DeliveredFile file, const QList<log_master_table::Entry>& master,
          const QDateTime& now)
{
    const QString stamp = storedDateTime(now);
    db.execute(QStringLiteral("INSERT INTO Com_Port (Port) VALUES (?)"), {1});
    // Kanri is written, not left to the column's default: admin administers.
    db.execute(
        QStringLiteral("INSERT INTO Login (ID, Name, Pass, Date, Kanri) VALUES (?, ?, ?, ?, ?)"),
        {QString::fromLatin1(kAdminId),
         texts::delivered::AdminName.pick(file == DeliveredFile::English),
         password::hash(QString::fromLatin1(kAdminPassword)), stamp, 1});
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

// Brings a database that holds every table up to date (schema_upgrade.h) in
// the caller's transaction; Failed, to be rolled back, where rows share a
// unique key.
ServerSetup upgradeExisting(Database& db, const ServerAddress& server)
{
    const schema_upgrade::Result result = schema_upgrade::upgrade(db);
    if (!result.sharedKeys.isEmpty()) {
        QStringList lines;
        for (const unique_keys::SharedKey& shared : result.sharedKeys)
            lines << QStringLiteral("  ") + unique_keys::describe(shared);
        return {ServerSetup::Failed,
                QStringLiteral("%1 holds rows that share a key which must be unique (trailing "
                               "blanks do not count), so it cannot be upgraded; nothing was "
                               "changed. Keep one row of each and run again:\n%2")
                    .arg(server.describe(), lines.join(QLatin1Char('\n')))};
    }
    if (!result.changed())
        return {ServerSetup::AlreadySetUp,
                QStringLiteral("%1 already holds the Quarvenix tables (version %2)")
                    .arg(server.describe())
                    .arg(result.to)};
    return {
        ServerSetup::Upgraded,
        QStringLiteral("Upgraded %1: %2.").arg(server.describe(), schema_upgrade::summary(result))};
}

// Makes every table, view and index in an empty database and fills it; the
// server's own safeguards come last, so that the rows of a new database
// leave no history.
ServerSetup createAll(Database& db, const ServerAddress& server, DeliveredFile file,
                      const QList<log_master_table::Entry>& master, const QDateTime& now)
{
    for (const QString& sql : schema::statements(DbEngine::Postgresql))
        db.execute(sql);
    fill(db, file, master, now);
    server_trust::apply(db, schema_upgrade::currentVersion());
    return {ServerSetup::Created,
            QStringLiteral("Created the Quarvenix tables in %1.").arg(server.describe())};
}

} // namespace

QString create(const QString& path, DeliveredFile file,
               const QList<log_master_table::Entry>& master, const QDateTime& now)
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

QString createMissing(const QString& dir, const QList<log_master_table::Entry>& master,
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
                        const QList<log_master_table::Entry>& master, const QDateTime& now,
                        const QString& grantRole)
{
    try {
        Database db;
        db.open(server);
        Transaction tx(db);
        // Two set-ups started together take turns; the second finds the tables.
        schema_upgrade::holdSetUpLock(db);
        QStringList present;
        for (const QString& table : schema::tableNames()) {
            if (db.isTable(table))
                present << table;
        }
        if (!present.isEmpty() && present.size() < schema::tableNames().size())
            return {ServerSetup::Failed,
                    QStringLiteral("%1 holds some of the Quarvenix tables (%2) but not all; "
                                   "nothing was changed.")
                        .arg(server.describe(), present.join(QStringLiteral(", ")))};
        ServerSetup done = present.isEmpty() ? createAll(db, server, file, master, now)
                                             : upgradeExisting(db, server);
        if (done.outcome == ServerSetup::Failed)
            return done;
        if (grantRole.isEmpty()) {
            if (done.outcome == ServerSetup::AlreadySetUp)
                done.message += QStringLiteral("; nothing was changed.");
        } else {
            done.message +=
                QStringLiteral("\nThe role %1 may now do what the program does, and "
                               "nothing else:\n  %2")
                    .arg(grantRole, role_grants::grant(db, grantRole).join(QStringLiteral("\n  ")));
        }
        tx.commit();
        return done;
    } catch (const DbError& e) {
        return {ServerSetup::Failed, e.message()};
    }
}

} // namespace delivered_db

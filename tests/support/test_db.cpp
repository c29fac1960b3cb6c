#include "support/test_db.h"

#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "db/role_grants.h"
#include "db/row_stream.h"
#include "db/schema.h"
#include "support/pg_cluster.h"
#include "support/services.h"

#include <QDir>
#include <QFile>
#include <QTest>

QList<log_master_file::Entry> deliveredLogMaster()
{
    QFile file(QStringLiteral(QVX_LOG_MASTER_FILE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the log master file");
    return log_master_file::parse(file.readAll()).entries;
}

namespace {

// Makes a delivered database file at path (fast: the template is built once
// per test process and copied).
void makeDeliveredDb(const QString& path, delivered_db::DeliveredFile file)
{
    static QTemporaryDir templates;
    const QString templatePath = templates.filePath(QStringLiteral("%1.db").arg(int(file)));
    if (!QFile::exists(templatePath)) {
        const QString error = delivered_db::create(templatePath, file, deliveredLogMaster(),
                                                   QDateTime(QDate(2024, 1, 1), QTime(9, 0, 0)));
        if (!error.isEmpty())
            qFatal("%s", qPrintable(error));
    }
    QFile::remove(path);
    if (!QFile::copy(templatePath, path))
        qFatal("cannot copy the template database");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
}

} // namespace

void makeOldStyle(Database& db)
{
    Transaction tx(db);
    db.execute(QStringLiteral("DROP TABLE %1").arg(QLatin1String(schema::kVersionTable)));
    // Version 4: on a server, the restore function and the triggers that
    // record changes (the history's defaults go with its table below).
    if (db.engine() == DbEngine::Postgresql)
        for (const char* sql :
             {"SET LOCAL client_min_messages = warning", "DROP FUNCTION table_changed() CASCADE",
              "DROP FUNCTION restore_archived(date, date, text, text, text)"})
            db.execute(sql);
    // Version 5: the check record book; version 2: the archive, the
    // operation history, who may administer.
    for (const char* sql :
         {"DROP TABLE Check_Record", "DROP VIEW V_Log_Archive", "DROP TABLE Log_Archive",
          "DROP TABLE Op_History", "ALTER TABLE Login DROP COLUMN Kanri"})
        db.execute(sql);
    db.forgetColumnTypes();
    for (const schema::UniqueKey& key : schema::uniqueKeys()) {
        db.execute("DROP INDEX " + key.index);
        if (!key.trimmedIndex.isEmpty())
            db.execute("DROP INDEX " + key.trimmedIndex);
        db.execute(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                       .arg(key.replaces, key.table, key.fields.join(',')));
    }
    tx.commit();
}

QStringList schemaShape(Database& db)
{
    const bool server = db.engine() == DbEngine::Postgresql;
    QStringList shape = firstColumn(
        db, server ? "SELECT 'table ' || tablename FROM pg_tables WHERE schemaname = 'public' "
                     "UNION ALL SELECT 'view ' || viewname FROM pg_views WHERE schemaname = "
                     "'public' UNION ALL SELECT 'index ' || indexname FROM pg_indexes WHERE "
                     "schemaname = 'public' AND indexname NOT LIKE '%\\_pkey' UNION ALL SELECT "
                     "'trigger ' || tgname FROM pg_trigger WHERE NOT tgisinternal"
                   : "SELECT type || ' ' || lower(name) FROM sqlite_master WHERE name NOT LIKE "
                     "'sqlite_%'");
    for (QString& entry : shape) {
        if (!entry.startsWith("table "))
            continue;
        const QHash<QString, QString> types = db.columnTypes(entry.mid(6));
        QStringList fields;
        for (auto it = types.cbegin(); it != types.cend(); ++it)
            fields << it.key() + ':' + it.value();
        fields.sort();
        entry += '(' + fields.join(',') + ')';
    }
    shape.sort();
    return shape;
}

DbEngine testEngine()
{
    static const DbEngine engine =
        qEnvironmentVariable("QVX_TEST_ENGINE")
                    .compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0
            ? DbEngine::Postgresql
            : DbEngine::Sqlite;
    return engine;
}

namespace {

TestAppWindows windowsOfApps = nullptr;

} // namespace

void setTestAppWindows(TestAppWindows windows)
{
    windowsOfApps = windows;
}

TestApp::TestApp(Switches sw, bool open) : TestApp(testEngine(), sw, open) {}

TestApp::TestApp(DbEngine engine_, Switches sw, bool open) : engine(engine_)
{
    using delivered_db::DeliveredFile;
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileJapanese)), DeliveredFile::Japanese);
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileEnglish)), DeliveredFile::English);
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileTest)), DeliveredFile::Test);
    ctx.sw = sw;
    ctx.appDir = dir.path();
    ctx.settings = SettingsFiles::in(dir.path());
    ctx.db = &db;
    ctx.dialogs = &dialogs;
    ctx.now = [this] { return now; };
    ctx.quit = [this] { ++quitCalls; };
    if (windowsOfApps)
        windowsOfApps(*this);
    if (engine == DbEngine::Postgresql) {
        QString why;
        PgCluster* cluster = PgCluster::instance(&why);
        if (!cluster)
            services::endSuite("these tests run on a PostgreSQL server, and " + why);
        serverDb = cluster->seededDatabase(sw.test()      ? DeliveredFile::Test
                                           : sw.english() ? DeliveredFile::English
                                                          : DeliveredFile::Japanese);
        program.setting = DbSetting::onServer(cluster->address(serverDb));
        if (open)
            db.open(program.setting.server);
    } else if (open) {
        db.open(dbPath());
    }
}

TestApp::~TestApp()
{
    db.close();
    if (!serverDb.isEmpty())
        PgCluster::instance()->release(serverDb);
}

QString TestApp::dbPath() const
{
    return DB_FilePath(dir.path(), ctx.sw);
}

qint64 TestApp::count(const QString& table)
{
    const QStringList n = firstColumn(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return n.isEmpty() ? -1 : n.first().toLongLong();
}

QStringList rowTexts(Database& db, const QString& sql, const QString& separator)
{
    QStringList out;
    RowStream rows(db, sql, RowStream::kWhole);
    while (rows.next()) {
        QStringList fields;
        for (int c = 0; c < rows.columnCount(); ++c)
            fields << QString::fromUtf8(rows.text(c));
        out << fields.join(separator);
    }
    return out;
}

QStringList firstColumn(Database& db, const QString& sql)
{
    QStringList out;
    RowStream rows(db, sql, RowStream::kWhole);
    while (rows.next())
        out << QString::fromUtf8(rows.text(0));
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void useProgramRole(TestApp& app)
{
    if (app.engine != DbEngine::Postgresql)
        return;
    PgCluster& cluster = *PgCluster::instance();
    cluster.exec("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = "
                 "'qvx_program') THEN CREATE ROLE qvx_program LOGIN; END IF; END $$");
    Database owner;
    owner.open(cluster.address(app.serverDb, PgCluster::kSetUpRole));
    Transaction tx(owner);
    role_grants::grant(owner, "qvx_program");
    tx.commit();
    app.db.open(cluster.address(app.serverDb, "qvx_program"));
    app.ctx.portInSettings = true; // as at the start on a server
}

void addLogs(Database& db, int count, const QString& unit, int first)
{
    db.execute(QString("WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "%2) INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No) SELECT '%3', "
                       "'2024-05-01 08:00:00', CAST(i AS TEXT), 21 FROM n")
                   .arg(first)
                   .arg(first + count - 1)
                   .arg(unit));
}

void addLog(Database& db, const QVariant& unit, const QVariant& date, const QVariant& dataNo,
            const QVariant& logNo, const QVariant& alcohol, const QVariant& tani)
{
    db.execute("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani) VALUES "
               "(?, ?, ?, ?, ?, ?)",
               {unit, date, dataNo, logNo, alcohol, tani});
}

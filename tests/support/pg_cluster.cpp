#include "support/pg_cluster.h"

#include "db/schema.h"
#include "sets/delivered_db.h"
#include "support/test_db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// The newest PostgreSQL's programs: QVX_PG_BINDIR, else /usr/lib/postgresql/*/bin.
QString findBinDir()
{
    const QString wanted = qEnvironmentVariable("QVX_PG_BINDIR");
    if (!wanted.isEmpty())
        return QFile::exists(wanted + QStringLiteral("/initdb")) ? wanted : QString();
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : found) {
        const QString bin = versions.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) &&
            QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

QString quotedForShell(const QString& s)
{
    QString out = s;
    out.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};

std::unique_ptr<PgCluster>& theCluster()
{
    static std::unique_ptr<PgCluster> cluster;
    return cluster;
}

} // namespace

PgCluster* PgCluster::instance(QString* why)
{
    static bool tried = false;
    static QString failure;
    if (!tried) {
        tried = true;
        std::unique_ptr<PgCluster> c(new PgCluster);
        if (c->setUp(&failure)) {
            theCluster() = std::move(c);
            // Stopped while the application object still exists; the
            // static's destructor covers a process without one.
            qAddPostRoutine([] { theCluster().reset(); });
        }
    }
    if (!theCluster() && why)
        *why = failure;
    return theCluster().get();
}

PgCluster::PgCluster() : admin_(nullptr, &PQfinish) {}

bool PgCluster::runTool(const QString& tool, const QStringList& args, QString* output) const
{
    QProcess p;
    // The server's programs resolve the current folder; "postgres" may not
    // be allowed into the caller's.
    p.setWorkingDirectory(folder_->path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = binDir_ + QLatin1Char('/') + tool;
    if (runningAsRoot())
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                            program} +
                    args);
    else
        p.start(program, args);
    const bool ok =
        p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll()) + p.errorString();
    return ok;
}

bool PgCluster::setUp(QString* why)
{
    binDir_ = findBinDir();
    if (binDir_.isEmpty()) {
        *why = QStringLiteral("no PostgreSQL programs (initdb, pg_ctl) under /usr/lib/postgresql; "
                              "install the package postgresql");
        return false;
    }
    // A Unix socket's path is limited to about 100 bytes, and the user
    // "postgres" must be able to pass through every folder above its own.
    QString base = QDir::tempPath();
    if (base.size() > 60 || runningAsRoot())
        base = QStringLiteral("/tmp");
    folder_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/qvx-pg-XXXXXX"));
    if (!folder_->isValid()) {
        *why = QStringLiteral("cannot make a temporary folder: ") + folder_->errorString();
        return false;
    }
    const QString dir = folder_->path();
    const QString marker =
        dir + QStringLiteral("/owner-%1").arg(QCoreApplication::applicationPid());
    QFile(marker).open(QIODevice::WriteOnly);
    if (runningAsRoot()) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw) {
            *why = QStringLiteral("the tests run as root, and there is no user \"postgres\" to "
                                  "run the server");
            return false;
        }
        if (::chown(QFile::encodeName(dir).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            *why = QStringLiteral("cannot hand %1 to the user postgres").arg(dir);
            return false;
        }
    }
    const QString data = dir + QStringLiteral("/data");
    QString output;
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync")},
                 &output)) {
        *why = QStringLiteral("initdb failed: ") + output;
        return false;
    }
    QFile conf(data + QStringLiteral("/postgresql.conf"));
    if (!conf.open(QIODevice::Append)) {
        *why = QStringLiteral("cannot write postgresql.conf");
        return false;
    }
    // Unix socket in the folder only, and no care for durability: the
    // cluster is thrown away with its folder.
    conf.write(QStringLiteral("\nlisten_addresses = ''\n"
                              "unix_socket_directories = '%1'\n"
                              "port = %2\n"
                              "max_connections = 60\n"
                              "fsync = off\n"
                              "synchronous_commit = off\n"
                              "full_page_writes = off\n"
                              "wal_level = minimal\n"
                              "max_wal_senders = 0\n")
                   .arg(dir)
                   .arg(kPort)
                   .toUtf8());
    conf.close();
    if (!start()) {
        QFile log(dir + QStringLiteral("/server.log"));
        log.open(QIODevice::ReadOnly);
        *why = QStringLiteral("the server did not start: ") + QString::fromLocal8Bit(log.readAll());
        return false;
    }
    // Should this process die without ending, the watchdog stops the server
    // and removes the folder as soon as the process is gone.
    const QString runAs = runningAsRoot() ? QStringLiteral("runuser -u postgres -- ") : QString();
    const QString watchdog =
        QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; "
                       "if [ -e %2 ]; then %3%4 -D %5 -m immediate stop; rm -rf %6; fi")
            .arg(QCoreApplication::applicationPid())
            .arg(quotedForShell(marker), runAs, quotedForShell(binDir_ + QStringLiteral("/pg_ctl")),
                 quotedForShell(data), quotedForShell(dir));
    QProcess guard;
    guard.setProgram(QStringLiteral("sh"));
    guard.setArguments({QStringLiteral("-c"), watchdog});
    guard.setWorkingDirectory(QStringLiteral("/"));
    guard.setStandardInputFile(QProcess::nullDevice());
    guard.setStandardOutputFile(QProcess::nullDevice());
    guard.setStandardErrorFile(QProcess::nullDevice());
    guard.startDetached();
    return true;
}

PgCluster::~PgCluster()
{
    admin_.reset();
    stop();
    // The folder goes with folder_; the marker first, so that the watchdog
    // leaves alone whatever may later take its name.
    if (folder_)
        QFile::remove(folder_->path() +
                      QStringLiteral("/owner-%1").arg(QCoreApplication::applicationPid()));
}

bool PgCluster::start()
{
    if (running_)
        return true;
    running_ = runTool(QStringLiteral("pg_ctl"),
                       {QStringLiteral("-D"), folder_->path() + QStringLiteral("/data"),
                        QStringLiteral("-l"), folder_->path() + QStringLiteral("/server.log"),
                        QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                        QStringLiteral("start")});
    return running_;
}

bool PgCluster::stop()
{
    if (!running_)
        return true;
    // Fast, not immediate: the cluster runs without synchronous commits, so
    // an immediate stop could lose transactions the program saw committed.
    running_ = !runTool(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), folder_->path() + QStringLiteral("/data"),
                         QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                         QStringLiteral("stop")});
    return !running_;
}

ServerAddress PgCluster::address(const QString& dbname, const QString& user) const
{
    ServerAddress a;
    a.host = socketDir();
    a.port = kPort;
    a.dbname = dbname;
    a.user = user;
    return a;
}

bool PgCluster::tryExec(const QString& sql, const QString& dbname, QString* error) const
{
    const auto connect = [this](const QString& name) {
        const QByteArray conninfo = QStringLiteral("host='%1' port=%2 dbname='%3' user=postgres")
                                        .arg(socketDir())
                                        .arg(kPort)
                                        .arg(name)
                                        .toUtf8();
        PGconn* conn = PQconnectdb(conninfo.constData());
        // The server's notices (such as its own shutdown) are not test output.
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
        return conn;
    };
    // The connection to the maintenance database stays open; others are made
    // for the one call.
    const bool admin = dbname == QLatin1String("postgres");
    if (admin && (!admin_ || PQstatus(admin_.get()) != CONNECTION_OK))
        admin_.reset(connect(dbname));
    std::unique_ptr<PGconn, void (*)(PGconn*)> own(admin ? nullptr : connect(dbname), &PQfinish);
    PGconn* conn = admin ? admin_.get() : own.get();
    if (PQstatus(conn) != CONNECTION_OK) {
        *error = QString::fromUtf8(PQerrorMessage(conn));
        if (admin)
            admin_.reset();
        return false;
    }
    std::unique_ptr<PGresult, ResultDeleter> r(PQexec(conn, sql.toUtf8().constData()));
    if (admin && PQstatus(conn) == CONNECTION_BAD) {
        // The server was restarted since the last call: connect again, once.
        admin_.reset(connect(dbname));
        conn = admin_.get();
        r.reset(PQexec(conn, sql.toUtf8().constData()));
    }
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        *error = QString::fromUtf8(PQresultErrorMessage(r.get()));
        return false;
    }
    if (status == PGRES_TUPLES_OK && PQntuples(r.get()) > 0)
        *error = QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
    else
        error->clear();
    return true;
}

void PgCluster::exec(const QString& sql, const QString& dbname) const
{
    QString error;
    if (!tryExec(sql, dbname, &error))
        qFatal("PostgreSQL test cluster: %s [%s]", qPrintable(error), qPrintable(sql));
}

QString PgCluster::value(const QString& sql, const QString& dbname) const
{
    QString result;
    if (!tryExec(sql, dbname, &result))
        qFatal("PostgreSQL test cluster: %s [%s]", qPrintable(result), qPrintable(sql));
    return result;
}

QString PgCluster::createEmptyDatabase()
{
    const QString name = QStringLiteral("qvx_%1").arg(++databases_);
    exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' STRATEGY "
                        "FILE_COPY")
             .arg(name));
    return name;
}

namespace {

// The views and indexes of a database, to tell whether a test changed them.
constexpr auto kShape = "SELECT viewname::text AS name, definition AS text FROM pg_views WHERE "
                        "schemaname = 'public' UNION ALL SELECT indexname::text, indexdef FROM "
                        "pg_indexes WHERE schemaname = 'public'";

} // namespace

QString PgCluster::templateFor(delivered_db::DeliveredFile kind)
{
    QString& name = templates_[kind];
    if (!name.isEmpty())
        return name;
    name = QStringLiteral("qvx_template_%1").arg(int(kind));
    exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(name));
    const delivered_db::ServerSetup setUp = delivered_db::setUpServer(
        address(name), kind, deliveredLogMaster(), QDateTime(QDate(2024, 1, 1), QTime(9, 0, 0)));
    if (setUp.outcome != delivered_db::ServerSetup::Created)
        qFatal("PostgreSQL test cluster: %s", qPrintable(setUp.message));
    // A copy of the rows, from which a used database is reset.
    QString copy = QStringLiteral("CREATE SCHEMA qvx_seed;");
    for (const QString& table : schema::tableNames())
        copy += QStringLiteral("CREATE TABLE qvx_seed.%1 AS TABLE public.%1;").arg(table);
    // And of its views and indexes, which a reset cannot bring back.
    copy += QStringLiteral("CREATE TABLE qvx_seed.shape AS ") + QLatin1String(kShape) +
            QLatin1Char(';');
    exec(copy, name);
    return name;
}

bool PgCluster::resetDatabase(const QString& dbname)
{
    QString error;
    if (!tryExec(QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                "WHERE datname = '%1' AND pid <> pg_backend_pid()")
                     .arg(dbname),
                 QStringLiteral("postgres"), &error))
        return false;
    // What a test may have added goes first: triggers (addFailingTrigger)
    // and tables of its own. DELETE, not TRUNCATE: the tables are small, and
    // TRUNCATE makes new files.
    QString reset = QStringLiteral(
        "BEGIN; DO $$ DECLARE r record; BEGIN "
        "FOR r IN SELECT t.tgname, t.tgrelid::regclass AS rel FROM pg_trigger t "
        "WHERE NOT t.tgisinternal LOOP EXECUTE format('DROP TRIGGER %I ON %s', r.tgname, r.rel); "
        "END LOOP; "
        "FOR r IN SELECT c.relname FROM pg_class c WHERE c.relkind = 'r' AND c.relnamespace = "
        "'public'::regnamespace AND c.relname <> ALL (ARRAY[%1]) LOOP "
        "EXECUTE format('DROP TABLE %I CASCADE', r.relname); END LOOP; "
        "IF EXISTS ((TABLE qvx_seed.shape EXCEPT %2) UNION ALL (%2 EXCEPT TABLE qvx_seed.shape)) "
        "THEN RAISE EXCEPTION 'views or indexes changed'; END IF; END $$;");
    QStringList known;
    for (const QString& table : schema::tableNames())
        known << QLatin1Char('\'') + table.toLower() + QLatin1Char('\'');
    reset = reset.arg(known.join(QLatin1Char(',')), QLatin1String(kShape));
    for (const QString& table : schema::tableNames())
        reset += QStringLiteral("DELETE FROM public.%1; INSERT INTO public.%1 SELECT * FROM "
                                "qvx_seed.%1;")
                     .arg(table);
    reset += QStringLiteral("COMMIT;");
    return tryExec(reset, dbname, &error);
}

QString PgCluster::seededDatabase(delivered_db::DeliveredFile kind)
{
    for (qsizetype i = 0; i < free_.size(); ++i) {
        const QString name = free_[i];
        if (pooled_.value(name) != kind)
            continue;
        free_.removeAt(i);
        if (resetDatabase(name))
            return name;
        // A test changed more than rows: the database is not used again.
        pooled_.remove(name);
        exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
        break;
    }
    const QString source = templateFor(kind);
    const QString name = QStringLiteral("qvx_%1").arg(++databases_);
    exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2 STRATEGY FILE_COPY").arg(name, source));
    pooled_.insert(name, kind);
    return name;
}

void PgCluster::release(const QString& dbname)
{
    if (pooled_.contains(dbname) && !free_.contains(dbname))
        free_ << dbname;
}

void PgCluster::addPasswordRole(const QString& role, const QString& password)
{
    // The role's line comes first, so that trust does not let it in unasked.
    QFile hba(folder_->path() + QStringLiteral("/data/pg_hba.conf"));
    if (!hba.open(QIODevice::ReadOnly))
        qFatal("PostgreSQL test cluster: cannot read pg_hba.conf");
    const QByteArray rest = hba.readAll();
    hba.close();
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("PostgreSQL test cluster: cannot write pg_hba.conf");
    hba.write(QStringLiteral("local all %1 scram-sha-256\n").arg(role).toUtf8() + rest);
    hba.close();
    exec(QStringLiteral("SET password_encryption = 'scram-sha-256'; "
                        "CREATE ROLE %1 LOGIN PASSWORD '%2'; SELECT pg_reload_conf();")
             .arg(role, password));
    // The server reads the file again a moment later: wait until the role is
    // asked for its password.
    const QByteArray probe = QStringLiteral("host='%1' port=%2 dbname=postgres user=%3 "
                                            "passfile='%1/no-passwords'")
                                 .arg(socketDir())
                                 .arg(kPort)
                                 .arg(role)
                                 .toUtf8();
    for (int i = 0; i < 100; ++i) {
        const std::unique_ptr<PGconn, void (*)(PGconn*)> conn(PQconnectdb(probe.constData()),
                                                              &PQfinish);
        if (PQstatus(conn.get()) != CONNECTION_OK)
            return;
        QThread::msleep(50);
    }
    qFatal("PostgreSQL test cluster: the password rule for %s did not take effect",
           qPrintable(role));
}

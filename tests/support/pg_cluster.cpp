#include "support/pg_cluster.h"

#include "db/schema.h"
#include "db/schema_archive.h"
#include "db/server_trust.h"
#include "support/test_db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// A TCP port nobody listens on at the moment.
int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

std::unique_ptr<PgCluster>& theCluster()
{
    static std::unique_ptr<PgCluster> cluster;
    return cluster;
}

using Connection = std::unique_ptr<PGconn, void (*)(PGconn*)>;

Connection connect(const QString& conninfo)
{
    Connection conn(PQconnectdb(conninfo.toUtf8().constData()), &PQfinish);
    // The server's notices (such as its own shutdown) are not test output.
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    return conn;
}

// The views and indexes of a database, to tell whether a test changed them.
constexpr auto kShape = "SELECT viewname::text AS name, definition AS text FROM pg_views WHERE "
                        "schemaname = 'public' UNION ALL SELECT indexname::text, indexdef FROM "
                        "pg_indexes WHERE schemaname = 'public'";

} // namespace

PgCluster* PgCluster::instance(QString* why)
{
    static bool tried = false;
    static QString failure;
    if (!tried) {
        tried = true;
        theCluster() = create({}, &failure);
        // Stopped while the application object still exists; the static's
        // destructor covers a process without one.
        if (theCluster())
            qAddPostRoutine([] { theCluster().reset(); });
    }
    if (!theCluster() && why)
        *why = failure;
    return theCluster().get();
}

std::unique_ptr<PgCluster> PgCluster::create(const Options& options, QString* why)
{
    std::unique_ptr<PgCluster> c(new PgCluster);
    if (!c->setUp(options, why))
        return nullptr;
    return c;
}

bool PgCluster::runTool(const QString& tool, const QStringList& args, QString* output) const
{
    return run(binDir_ + QLatin1Char('/') + tool, args, output);
}

bool PgCluster::run(const QString& program, const QStringList& args, QString* output) const
{
    QProcess p;
    // The server's programs resolve the current folder; "postgres" may not
    // be allowed into the caller's.
    p.setWorkingDirectory(folder_.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (runningAsRoot())
        p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", program} + args);
    else
        p.start(program, args);
    const bool ok =
        p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll()) + p.errorString();
    return ok;
}

// The newest PostgreSQL's programs, and a folder the user "postgres" owns.
bool PgCluster::prepareFolder(QString* why)
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : found)
        if (binDir_.isEmpty() && QFile::exists(versions.filePath(v + "/bin/initdb")))
            binDir_ = versions.filePath(v + "/bin");
    if (binDir_.isEmpty()) {
        *why = "no PostgreSQL programs under /usr/lib/postgresql; install the package postgresql";
        return false;
    }
    // A Unix socket's path is limited to about 100 bytes (hence /tmp).
    const passwd* pw = ::getpwnam("postgres");
    if (!folder_.isValid() ||
        (runningAsRoot() && (!pw || ::chown(QFile::encodeName(folder_.path()).constData(),
                                            pw->pw_uid, pw->pw_gid) != 0))) {
        *why = "cannot make a temporary folder for the user postgres: " + folder_.errorString();
        return false;
    }
    return true;
}

bool PgCluster::setUp(const Options& o, QString* why)
{
    if (!prepareFolder(why))
        return false;
    const QString data = folder_.filePath("data");
    QString output;
    if (!runTool(
            "initdb",
            {"-D", data, "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
            &output)) {
        *why = "initdb failed: " + output;
        return false;
    }
    tcp_ = o.tcp || o.tls;
    if (tcp_)
        port_ = freePort();
    if (o.tls && !makeCertificates(why))
        return false;
    // No care for durability (the cluster is thrown away with its folder)
    // unless commits must be acknowledged. Members of qvx_password_roles
    // sign in with their password, everyone else is trusted.
    QString conf = QStringLiteral("max_connections = %1\nfsync = off\nfull_page_writes = off\n")
                       .arg(o.maxConnections);
    conf += o.replication ? "wal_level = replica\nmax_wal_senders = 4\n"
                            "synchronous_standby_names = '*'\n"
                          : "wal_level = minimal\nmax_wal_senders = 0\n";
    conf += o.replication || o.synchronousCommit ? "synchronous_commit = on\n"
                                                 : "synchronous_commit = off\n";
    if (o.tls)
        conf += "ssl = on\nssl_cert_file = '" + folder_.filePath("server.crt") +
                "'\nssl_key_file = '" + folder_.filePath("server.key") + "'\n";
    const QString tcp = o.tls ? "hostssl" : "host";
    QString hba = "local all +qvx_password_roles scram-sha-256\nlocal all all trust\n"
                  "local replication all trust\n";
    if (o.tcp || o.tls)
        hba += tcp + " all all 127.0.0.1/32 trust\n" + tcp + " all all ::1/128 trust\n";
    if (!configure(conf, hba, why) || !startWatched(why))
        return false;
    // Before any standby follows, so its commit waits for none.
    exec("SET synchronous_commit = local; CREATE ROLE qvx_password_roles; CREATE ROLE " +
         kSetUpRole + " LOGIN");
    return true;
}

// A test authority, another one, and the server's certificate for
// "localhost" from the first, made by the server's user: the key is its own.
bool PgCluster::makeCertificates(QString* why) const
{
    const QString ec = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
    QString output;
    if (run("sh",
            {"-c", QString("set -e; umask 077; for ca in Quarvenix-test-CA:ca Another-CA:other-ca; "
                           "do openssl req -x509 %1 -subj /CN=${ca%:*} -keyout ${ca#*:}.key -out "
                           "${ca#*:}.crt; done; openssl req %1 -subj /CN=localhost -keyout "
                           "server.key -out server.csr; echo 'subjectAltName = DNS:localhost' > "
                           "san.cnf; openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key "
                           "-CAcreateserial -days 2 -extfile san.cnf -out server.crt; chmod 644 "
                           "*.crt")
                       .arg(ec)},
            &output))
        return true;
    *why = "openssl: " + output;
    return false;
}

// Adds to postgresql.conf (what comes last counts) and replaces pg_hba.conf.
bool PgCluster::configure(const QString& conf, const QString& hba, QString* why) const
{
    const QString data = folder_.filePath("data");
    QFile file(data + "/postgresql.conf");
    const QString where = QStringLiteral("\nlisten_addresses = '%1'\nunix_socket_directories = "
                                         "'%2'\nport = %3\n")
                              .arg(tcp_ ? "localhost" : "", folder_.path())
                              .arg(port_);
    if (!file.open(QIODevice::Append) || file.write((where + conf).toUtf8()) < 0 ||
        (!hba.isEmpty() && !writeFile(data + "/pg_hba.conf", hba.toUtf8()))) {
        *why = "cannot write postgresql.conf and pg_hba.conf";
        return false;
    }
    return true;
}

bool PgCluster::startWatched(QString* why)
{
    const QString dir = folder_.path();
    if (!start()) {
        *why =
            "the server did not start: " + QString::fromLocal8Bit(fileBytes(dir + "/server.log"));
        return false;
    }
    // Should this process die without ending, the watchdog stops the server
    // and removes the folder as soon as the process is gone.
    QProcess::startDetached(
        "sh", {"-c", QStringLiteral("exec </dev/null >/dev/null 2>&1; cd /; while kill -0 %1; do "
                                    "sleep 1; done; %2'%3/pg_ctl' -D '%4' -m immediate stop; "
                                    "rm -rf '%5'")
                         .arg(QCoreApplication::applicationPid())
                         .arg(QString(runningAsRoot() ? "runuser -u postgres -- " : ""), binDir_,
                              dir + "/data", dir)});
    return true;
}

std::unique_ptr<PgCluster> PgCluster::startStandby(QString* why) const
{
    std::unique_ptr<PgCluster> s(new PgCluster);
    QString output;
    if (!s->prepareFolder(why))
        return nullptr;
    s->tcp_ = true;
    s->port_ = freePort();
    if (!s->runTool("pg_basebackup",
                    {"-D", s->folder_.filePath("data"), "-R", "-X", "stream", "--no-sync", "-h",
                     folder_.path(), "-p", QString::number(port_), "-U", "postgres"},
                    &output)) {
        *why = "pg_basebackup failed: " + output;
        return nullptr;
    }
    // Promoted, it must not wait for a standby of its own.
    if (!s->configure("synchronous_standby_names = ''\n", {}, why) || !s->startWatched(why))
        return nullptr;
    for (int i = 0; i < 300; ++i) {
        if (value("SELECT count(*) FROM pg_stat_replication WHERE sync_state = 'sync'") == "1")
            return s;
        QThread::msleep(100);
    }
    *why = "the standby did not become synchronous";
    return nullptr;
}

bool PgCluster::promote() const
{
    return runTool("pg_ctl", {"-D", folder_.filePath("data"), "-w", "promote"});
}

PgCluster::~PgCluster()
{
    stop();
}

bool PgCluster::start()
{
    if (!running_)
        running_ = runTool("pg_ctl", {"-D", folder_.path() + "/data", "-l",
                                      folder_.path() + "/server.log", "-w", "-t", "60", "start"});
    return running_;
}

bool PgCluster::stop()
{
    // Fast, not immediate: the cluster runs without synchronous commits, so
    // an immediate stop could lose transactions the program saw committed.
    if (running_)
        running_ = !runTool("pg_ctl", {"-D", folder_.path() + "/data", "-m", "fast", "-w", "stop"});
    return !running_;
}

ServerAddress PgCluster::address(const QString& dbname, const QString& user) const
{
    ServerAddress a;
    a.host = folder_.path();
    a.port = QString::number(port_);
    a.dbname = dbname;
    a.user = user;
    // A busy test machine must not cut a long set-up statement; tests of the bound set their own.
    a.waitSeconds = 600;
    return a;
}

bool PgCluster::tryExec(const QString& sql, const QString& dbname, QString* result) const
{
    const Connection conn = connect(QStringLiteral("host='%1' port=%2 dbname='%3' user=postgres")
                                        .arg(folder_.path())
                                        .arg(port_)
                                        .arg(dbname));
    const std::unique_ptr<PGresult, void (*)(PGresult*)> r(
        PQexec(conn.get(), sql.toUtf8().constData()), &PQclear);
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        *result = QString::fromUtf8(PQerrorMessage(conn.get()));
        return false;
    }
    *result = PQntuples(r.get()) > 0 ? QString::fromUtf8(PQgetvalue(r.get(), 0, 0)) : QString();
    return true;
}

void PgCluster::exec(const QString& sql, const QString& dbname) const
{
    value(sql, dbname);
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

QString PgCluster::seededDatabase(delivered_db::DeliveredFile kind)
{
    QString error;
    for (const QString& name : QStringList(free_)) {
        if (pooled_.value(name) != kind)
            continue;
        free_.removeOne(name);
        // Other sessions end, what a test added goes (triggers such as
        // addFailingTrigger's, tables of its own), and the rows come back.
        // DELETE, not TRUNCATE: the tables are small, and TRUNCATE makes new files.
        QStringList known, kept;
        QString rows;
        // The schema's own triggers stay; the reset itself runs without them.
        for (const QString& trigger : schema_archive::triggerNames() + server_trust::triggerNames())
            kept << "'" + trigger + "'";
        const QString schemaTriggers = kept.join(',');
        for (const QString& table : schema::tableNames() + schema_archive::tableNames() +
                                        QStringList{schema::kVersionTable, "Check_Record"}) {
            known << "'" + table.toLower() + "'";
            rows += QStringLiteral("DELETE FROM public.%1; INSERT INTO public.%1 SELECT * FROM "
                                   "qvx_seed.%1;")
                        .arg(table);
        }
        const QString reset =
            QStringLiteral(
                "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid(); BEGIN; SET LOCAL "
                "session_replication_role = replica; DO $$ DECLARE r record; "
                "BEGIN FOR r IN SELECT t.tgname, t.tgrelid::regclass AS rel FROM pg_trigger t "
                "WHERE NOT t.tgisinternal AND t.tgname <> ALL (ARRAY[%3]) LOOP EXECUTE "
                "format('DROP TRIGGER %I ON %s', r.tgname, "
                "r.rel); END LOOP; FOR r IN SELECT c.relname FROM pg_class c WHERE c.relkind = "
                "'r' AND c.relnamespace = 'public'::regnamespace AND c.relname <> ALL (ARRAY[%1]) "
                "LOOP EXECUTE format('DROP TABLE %I CASCADE', r.relname); END LOOP; IF EXISTS "
                "((TABLE qvx_seed.shape EXCEPT (%2)) UNION ALL ((%2) EXCEPT TABLE qvx_seed.shape)) "
                "THEN RAISE EXCEPTION 'views or indexes changed'; END IF; END $$;")
                .arg(known.join(','), QLatin1String(kShape), schemaTriggers) +
            rows + "COMMIT;";
        if (tryExec(reset, name, &error))
            return name;
        // A test changed more than rows: the database is not used again.
        pooled_.remove(name);
        exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
        break;
    }
    QString& source = templates_[kind];
    if (source.isEmpty()) {
        source = QStringLiteral("qvx_template_%1").arg(int(kind));
        exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' OWNER %2")
                 .arg(source, kSetUpRole));
        const delivered_db::ServerSetup setUp =
            delivered_db::setUpServer(address(source, kSetUpRole), kind, deliveredLogMaster(),
                                      QDateTime(QDate(2024, 1, 1), QTime(9, 0, 0)));
        if (setUp.outcome != delivered_db::ServerSetup::Created)
            qFatal("PostgreSQL test cluster: %s", qPrintable(setUp.message));
        // A copy of the rows, from which a used database is reset, and of its
        // views and indexes, which a reset cannot bring back.
        QString copy = "CREATE SCHEMA qvx_seed;";
        for (const QString& table : schema::tableNames() + schema_archive::tableNames() +
                                        QStringList{schema::kVersionTable, "Check_Record"})
            copy += QStringLiteral("CREATE TABLE qvx_seed.%1 AS TABLE public.%1;").arg(table);
        exec(copy + "CREATE TABLE qvx_seed.shape AS " + kShape, source);
    }
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
    exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE qvx_password_roles")
             .arg(role, password));
}

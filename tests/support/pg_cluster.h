#pragma once

#include "db/db_setting.h"
#include "db/delivered_db.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A throwaway PostgreSQL cluster for the tests of one process: initdb in a temporary folder (run as
// the user "postgres" when the tests run as root), trust sign-in on a Unix socket in that folder
// and, unless asked for, no TCP port at all. It is stopped and its folder removed when it is
// destroyed; a small watchdog does the same if the process dies without that.
class PgCluster {
public:
    // The process's cluster, started on first use. Null when PostgreSQL is
    // not installed or the cluster cannot start; *why then says why.
    static PgCluster* instance(QString* why = nullptr);

    // What else a cluster of its own offers.
    struct Options {
        bool tcp = false; // also on localhost, at a free port (trust sign-in)
        // TCP only with TLS: a certificate for "localhost" from a test
        // authority (authorityFile()), its key the server's own, mode 0600.
        bool tls = false;
        // Commits wait for a synchronous standby (startStandby()).
        bool replication = false;
        bool synchronousCommit = false; // on with replication
        int maxConnections = 60;
    };
    static std::unique_ptr<PgCluster> create(const Options& options, QString* why);
    // A streaming standby of this cluster (pg_basebackup -R), on TCP, once
    // the primary counts it as synchronous; null with *why on failure.
    std::unique_ptr<PgCluster> startStandby(QString* why) const;
    // Makes a standby the primary (pg_ctl promote), as an administrator does.
    bool promote() const;
    int port() const { return port_; }
    // The test authority's certificate, and another authority's that signed nothing of this server.
    QString authorityFile() const { return folder_.filePath("ca.crt"); }
    QString otherAuthorityFile() const { return folder_.filePath("other-ca.crt"); }

    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // The address of a database of this cluster (host: the socket folder), with a wait of ten
    // minutes for a statement.
    ServerAddress address(const QString& dbname,
                          const QString& user = QStringLiteral("postgres")) const;

    // Runs statements as the superuser on a database ("postgres" by default);
    // a failure ends the test process with the server's message.
    void exec(const QString& sql, const QString& dbname = QStringLiteral("postgres")) const;
    // The first field of the first row of a query, as text.
    QString value(const QString& sql, const QString& dbname = QStringLiteral("postgres")) const;

    // A new, empty UTF8 database; its name.
    QString createEmptyDatabase();
    // The role that owns the tables of seeded databases, as an
    // administrator's set-up role does (not a superuser).
    static inline const QString kSetUpRole = QStringLiteral("qvx_setup");
    // A database holding what a new database file of that kind holds, its tables kSetUpRole's; one
    // given back with release() is reset (rows restored, other sessions ended) and used again.
    QString seededDatabase(delivered_db::DeliveredFile kind);
    void release(const QString& dbname);

    // A role that signs in only with this password (scram-sha-256).
    void addPasswordRole(const QString& role, const QString& password);

    // Stops or starts the server (the data stay), for tests of a lost server.
    bool stop();
    bool start();

private:
    PgCluster() = default;
    bool setUp(const Options& options, QString* why);
    bool prepareFolder(QString* why);
    bool makeCertificates(QString* why) const;
    bool configure(const QString& conf, const QString& hba, QString* why) const;
    bool startWatched(QString* why);
    // Runs a program, or one of PostgreSQL's, as "postgres" when this process is root.
    bool run(const QString& program, const QStringList& args, QString* output = nullptr) const;
    bool runTool(const QString& tool, const QStringList& args, QString* output = nullptr) const;
    bool tryExec(const QString& sql, const QString& dbname, QString* result) const;

    QTemporaryDir folder_{QStringLiteral("/tmp/qvx-pg-XXXXXX")};
    QString binDir_;
    int port_ = 5432;
    bool tcp_ = false;
    bool running_ = false;
    int databases_ = 0;
    QHash<QString, delivered_db::DeliveredFile> pooled_; // database -> the rows it holds
    QStringList free_;
    QHash<delivered_db::DeliveredFile, QString> templates_;
};

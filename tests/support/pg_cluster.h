#pragma once

#include "db/db_setting.h"
#include "sets/delivered_db.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A throwaway PostgreSQL cluster for the tests of one process: initdb in a
// temporary folder (run as the user "postgres" when the tests run as root),
// trust sign-in on a Unix socket in that folder and no TCP port at all.
// It is stopped and its folder removed when the process ends; a small
// watchdog does the same if the process dies without ending.
class PgCluster {
public:
    // The process's cluster, started on first use. Null when PostgreSQL is
    // not installed or the cluster cannot start; *why then says why.
    static PgCluster* instance(QString* why = nullptr);

    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // The address of a database of this cluster (host: the socket folder).
    ServerAddress address(const QString& dbname,
                          const QString& user = QStringLiteral("postgres")) const;

    // Runs statements as the superuser on a database ("postgres" by default);
    // a failure ends the test process with the server's message.
    void exec(const QString& sql, const QString& dbname = QStringLiteral("postgres")) const;
    // The first field of the first row of a query, as text.
    QString value(const QString& sql, const QString& dbname = QStringLiteral("postgres")) const;

    // A new, empty UTF8 database; its name.
    QString createEmptyDatabase();
    // A database that holds what a new database file of that kind holds,
    // for one test. Databases given back with release() are reset (rows
    // restored, other sessions ended) and used again, which is much faster
    // than making a new one.
    QString seededDatabase(delivered_db::DeliveredFile kind);
    void release(const QString& dbname);

    // A role that signs in only with this password (scram-sha-256).
    void addPasswordRole(const QString& role, const QString& password);

    // Stops or starts the server (the data stay), for tests of a lost server.
    bool stop();
    bool start();

private:
    PgCluster() = default;
    bool setUp(QString* why);
    // Runs a PostgreSQL program, as "postgres" when this process is root.
    bool runTool(const QString& tool, const QStringList& args, QString* output = nullptr) const;
    bool tryExec(const QString& sql, const QString& dbname, QString* result) const;

    QTemporaryDir folder_{QStringLiteral("/tmp/qvx-pg-XXXXXX")};
    QString binDir_;
    bool running_ = false;
    int databases_ = 0;
    QHash<QString, delivered_db::DeliveredFile> pooled_; // database -> the rows it holds
    QStringList free_;
    QHash<delivered_db::DeliveredFile, QString> templates_;
};

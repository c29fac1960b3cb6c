#pragma once

#include <QList>
#include <QString>

// Where a PostgreSQL database lives, in libpq's terms. The password is never
// part of it: libpq takes it from ~/.pgpass or the file PGPASSFILE names.
struct ServerAddress {
    // Host names or Unix-socket folders, tried in turn ("a,b"); "": libpq's default.
    QString host;
    // One port for every host, or one per host ("5432,5433"); "": libpq's default (5432).
    QString port;
    QString dbname; // required
    QString user;   // "": the operating-system user's name
    QString sslmode;
    QString sslrootcert;        // the trusted certificate authority's file
    QString targetSessionAttrs; // e.g. read-write: only a server that takes writes will do
    int connectTimeout = 10;    // seconds to wait for each host before trying the next
    // Seconds a commit or a short statement may take before it is cancelled;
    // also the lock wait's limit and how long a dead network goes unnoticed.
    int waitSeconds = 15;
    // The file this address was read from; a reconnection reads it again.
    QString settingFile;

    // The hosts with their ports, in the order they are tried.
    struct Host {
        QString host;
        QString port;
    };
    QList<Host> hosts() const;

    // "host=… port=… dbname=… user=…", the parts that are set; for messages.
    QString describe() const;

    // Reads a libpq connection text ("host=… dbname=… user=…" or a
    // postgresql:// address). Refuses a password and keys other than the
    // ones above; returns false with the reason in *error.
    static bool parse(const QString& conninfo, ServerAddress* out, QString* error);
};

// The program's database connection setting, read once at start-up from
// quarvenix.ini beside the program:
//
//   [database]
//   driver=postgresql        ; or sqlite (the default)
//   host=db.example.local    ; or a Unix-socket folder such as /var/run/postgresql
//   port=5432
//   dbname=quarvenix
//   user=depot1
//   sslmode=verify-full      ; optional, with sslrootcert=/path/root.crt
//   connect_timeout=10       ; optional, seconds per host
//   wait=15                  ; optional, seconds a commit or short statement may take
//
// host and port may list several servers ("host=a,b", "port=5432,5433"), and
// target_session_attrs=read-write picks the one that takes writes: the
// standby that was promoted when the primary failed.
//
// No file, or driver=sqlite, means the SQLite file the switches choose.
struct DbSetting {
    enum class Driver { Sqlite, Postgresql };
    Driver driver = Driver::Sqlite;
    ServerAddress server; // used with Driver::Postgresql
    // Non-empty when quarvenix.ini cannot be used as it stands; opening the
    // database then fails with this text, like a missing database file.
    QString problem;

    bool usesFile() const { return driver == Driver::Sqlite; }

    static DbSetting onServer(const ServerAddress& server);
    static DbSetting fromIniFile(const QString& path);
};

inline constexpr auto kDbSettingFile = "quarvenix.ini";

// quarvenix-initdb DIR [MASTERFILE]
//   Creates QuarvenixDB.db, QuarvenixDBE.db and QuarvenixDBTest.db in DIR when
//   they are missing (an existing file is never touched).
// quarvenix-initdb --postgresql "host=… dbname=… user=…" [--english]
//                  [--grant ROLE] [MASTERFILE]
//   Creates every table, key, index and view in an empty database on a
//   PostgreSQL server and fills it as a new file is filled (with the English
//   standard set name and administrator name when --english is given). Run on
//   a database that has the tables already, it upgrades one made by an earlier
//   version (db/schema_upgrade.h), or changes nothing and says so; where rows
//   share a unique key (trailing blanks do not count) it lists them and
//   changes nothing. Run as the role that owns the tables; with --grant it
//   then gives the program's role ROLE what the program needs and nothing
//   else (db/role_grants.h), or refuses ROLE and changes nothing.
// quarvenix-initdb --upgrade FILE
//   Upgrades an SQLite file made by an earlier version, as the program does
//   when it opens it (refused while the program runs on it). Where rows
//   share a unique key it lists them, and their index waits.
//
// The default log master is read from a log master file (default:
// log_master.mst beside the tool, or /usr/share/quarvenix/log_master.mst when
// installed).
//
// --help prints the usage. Exit codes: 0 done, or nothing to do; 1 failure,
// also rows sharing a unique key (nothing was changed on a server); 2 wrong
// arguments (an unknown option among them), with the usage; nothing is
// created then.
#include "base/program_places.h"
#include "db/db_setting.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "db/schema_upgrade.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

int usage(std::FILE* to = stderr, int exitCode = 2)
{
    std::fprintf(to, "usage: quarvenix-initdb DIR [MASTERFILE]\n"
                     "       quarvenix-initdb --postgresql \"host=... dbname=... user=...\" "
                     "[--english] [--grant ROLE] [MASTERFILE]\n"
                     "       quarvenix-initdb --upgrade FILE\n");
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")))
        return usage(stdout, 0);
    if (!args.isEmpty() && args[0] == QLatin1String("--upgrade")) {
        if (args.size() != 2 || args[1].startsWith(QLatin1Char('-')))
            return usage();
        const schema_upgrade::FileUpgrade done = schema_upgrade::upgradeFile(args[1]);
        std::fprintf(done.ok ? stdout : stderr, "quarvenix-initdb: %s\n", qPrintable(done.message));
        return done.ok ? 0 : 1;
    }
    // An option the tool does not know is no folder name to create.
    const bool serverFirst = !args.isEmpty() && args[0] == QLatin1String("--postgresql");
    QString grantRole;
    if (const qsizetype at = args.indexOf(QStringLiteral("--grant")); serverFirst && at >= 2) {
        if (at + 1 >= args.size() || args[at + 1].isEmpty() || args[at + 1].startsWith('-'))
            return usage();
        grantRole = args[at + 1];
        args.remove(at, 2);
    }
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool known = (serverFirst && i <= 1) || args[i] == QLatin1String("--english");
        if (!known && args[i].startsWith(QLatin1Char('-')))
            return usage();
    }

    QString conninfo;
    const bool server = !args.isEmpty() && args.first() == QLatin1String("--postgresql");
    if (server) {
        if (args.size() < 2)
            return usage();
        conninfo = args[1];
        args = args.mid(2);
    }
    const bool english = args.removeAll(QStringLiteral("--english")) > 0;
    if (english && !server)
        return usage();
    if (server ? args.size() > 1 : (args.isEmpty() || args.size() > 2))
        return usage();
    const QString dir = server ? QString() : args.takeFirst();
    const QString masterPath =
        !args.isEmpty() ? args.first() : ProgramPlaces::find(app.applicationDirPath()).logMaster;

    QFile file(masterPath);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quarvenix-initdb: cannot read %s: %s\n", qPrintable(masterPath),
                     qPrintable(file.errorString()));
        return 1;
    }
    const log_master_file::Result master = log_master_file::parse(file.readAll());
    if (master.problem != log_master_file::Problem::None) {
        std::fprintf(stderr, "quarvenix-initdb: %s is not a valid log master file (line %d)\n",
                     qPrintable(masterPath), master.badLine);
        return 1;
    }

    if (server) {
        ServerAddress address;
        QString why;
        if (!ServerAddress::parse(conninfo, &address, &why)) {
            std::fprintf(stderr, "quarvenix-initdb: %s\n", qPrintable(why));
            return 2;
        }
        const delivered_db::ServerSetup done = delivered_db::setUpServer(
            address,
            english ? delivered_db::DeliveredFile::English : delivered_db::DeliveredFile::Japanese,
            master.entries, QDateTime::currentDateTime(), grantRole);
        if (done.outcome == delivered_db::ServerSetup::Failed) {
            std::fprintf(stderr, "quarvenix-initdb: %s\n", qPrintable(done.message));
            return 1;
        }
        std::printf("quarvenix-initdb: %s\n", qPrintable(done.message));
        return 0;
    }

    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "quarvenix-initdb: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    const QString error =
        delivered_db::createMissing(dir, master.entries, QDateTime::currentDateTime());
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quarvenix-initdb: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

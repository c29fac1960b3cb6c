// quarvenix-initdb DIR [MASTERFILE]
// Creates QuarvenixDB.db, QuarvenixDBE.db and QuarvenixDBTest.db in DIR when
// they are missing (an existing file is never touched), with the default log
// master read from a log master file (default: log_master.mst beside the tool).
#include "app/delivered_db.h"
#include "sets/log_master_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: quarvenix-initdb DIR [MASTERFILE]\n");
        return 2;
    }
    const QString dir = args[1];
    const QString masterPath =
        args.size() == 3
            ? args[2]
            : QDir(app.applicationDirPath()).filePath(QStringLiteral("log_master.mst"));
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

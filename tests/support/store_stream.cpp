// qvx-store-stream CONNINFO: one copy of the program on its own PC. Connects to the database
// CONNINFO names, reads the handset stream (the hexadecimal text a read receives) from its input
// to the end and stores it with the program's own storage step; prints "<records> <stored>
// <duplicates> <invalid>" and exits with 0, or prints the error and exits with 1.
#include "comm/log_store.h"
#include "db/database.h"
#include "db/db_setting.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ServerAddress server;
    QString why;
    if (argc != 2 || !ServerAddress::parse(QString::fromUtf8(argv[1]), &server, &why)) {
        std::fprintf(stderr, "usage: qvx-store-stream CONNINFO %s\n", qPrintable(why));
        return 2;
    }
    Database db;
    QFile input;
    try {
        db.open(server);
    } catch (const DbError& e) {
        std::printf("%s\n", qPrintable(e.message()));
        return 1;
    }
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 2;
    const DecodeOutcome o = Log_Decode(db, QString::fromLatin1(input.readAll()), {});
    if (!o.ok())
        std::printf("%s\n", qPrintable(o.error));
    else
        std::printf("%d %d %d %d\n", o.records, o.stored, o.duplicates, o.invalid);
    return o.ok() ? 0 : 1;
}

// qvx-store-stream CONNINFO FILE: stores the handset stream in FILE (the
// hexadecimal text a read receives) into the database CONNINFO names, with
// the program's own storage step, as one copy of the program on its own PC.
// Prints "ready" once connected and waits for a line on its input, so that
// several copies can start storing at the same moment; then prints what the
// storage did ("<records> <stored> <duplicates> <invalid>") and exits with 0,
// or prints the error and exits with 1.
#include "comm/log_store.h"
#include "db/database.h"
#include "db/db_setting.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ServerAddress server;
    QString why;
    QFile file(QFile::decodeName(argc == 3 ? argv[2] : ""));
    if (argc != 3 || !ServerAddress::parse(QString::fromUtf8(argv[1]), &server, &why) ||
        !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: qvx-store-stream CONNINFO FILE %s\n", qPrintable(why));
        return 2;
    }
    const QString stream = QString::fromLatin1(file.readAll());
    Database db;
    try {
        db.open(server);
    } catch (const DbError& e) {
        std::printf("%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    const DecodeOutcome o = Log_Decode(db, stream, {});
    if (!o.ok()) {
        std::printf("%s\n", qPrintable(o.error));
        return 1;
    }
    std::printf("%d %d %d %d\n", o.records, o.stored, o.duplicates, o.invalid);
    return 0;
}

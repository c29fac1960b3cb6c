#pragma once

#include <QString>

#include "load_pc.h"

struct ServerAddress;

// A load run: `pcs` store processes, each storing one read of `records`
// logs, while `searchers` processes search a month again and again, all
// started at one moment. Prints one line of key=value figures:
//   pcs= records= searchers= store=program|naive|copy stored= seconds= rate=
//   (records/s) searches= search_p50= search_p95= (ms) lost= duplicated=
// lost and duplicated count the PCs' logs by key (unit, date, data number).
// The PCs' earlier logs are deleted first. Without store PCs (pcs 0) the
// searchers search an idle server for idleSeconds. Returns 0 when every
// process did its work and nothing was lost or stored twice.
struct LoadRun {
    int pcs = 4;
    int records = 300;
    int searchers = 1;
    load_pc::Client client = load_pc::Client::Program;
    int idleSeconds = 10;
    QString month = QStringLiteral("2020/02");
};
int runLoad(const ServerAddress& server, const QString& conninfo, const LoadRun& run);

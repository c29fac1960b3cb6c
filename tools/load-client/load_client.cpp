// qvx-load-client: one PC of the server load benchmark, or a run of many.
//
//   qvx-load-client run CONNINFO [--pcs K] [--records N] [--searchers M]
//                   [--client program|naive|copy] [--idle-seconds S] [--month yyyy/MM]
//   qvx-load-client store CONNINFO --pc P --records N [--client program|naive|copy]
//   qvx-load-client search CONNINFO --month yyyy/MM
//
// A run starts K store PCs and M search PCs of this program as processes of
// their own and prints its figures on one line (load_run.h); with --pcs 0 the
// M searchers search an idle server for S seconds.
#include "db/db_setting.h"
#include "load_pc.h"
#include "load_run.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

int usage(const QString& why)
{
    std::fprintf(stderr,
                 "%s\nusage: qvx-load-client run|store|search CONNINFO [--pcs K] [--pc P] "
                 "[--records N] [--searchers M] [--client program|naive|copy] "
                 "[--idle-seconds S] [--month yyyy/MM]\n",
                 qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return usage(QStringLiteral("a mode and a connection text are needed"));
    const QString mode = args.takeFirst(), conninfo = args.takeFirst();
    ServerAddress server;
    QString why;
    if (!ServerAddress::parse(conninfo, &server, &why))
        return usage(why);
    LoadRun run;
    int pc = 0;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        if (args.isEmpty())
            return usage(option + QStringLiteral(" needs a value"));
        const QString value = args.takeFirst();
        bool ok = true;
        if (option == QLatin1String("--month")) {
            run.month = value;
        } else if (option == QLatin1String("--client")) {
            const std::optional<load_pc::Client> client = load_pc::clientNamed(value);
            ok = client.has_value();
            run.client = client.value_or(load_pc::Client::Program);
        } else if (option == QLatin1String("--pcs")) {
            run.pcs = value.toInt(&ok);
        } else if (option == QLatin1String("--pc")) {
            pc = value.toInt(&ok);
        } else if (option == QLatin1String("--records")) {
            run.records = value.toInt(&ok);
        } else if (option == QLatin1String("--searchers")) {
            run.searchers = value.toInt(&ok);
        } else if (option == QLatin1String("--idle-seconds")) {
            run.idleSeconds = value.toInt(&ok);
        } else {
            return usage(QStringLiteral("unknown option ") + option);
        }
        if (!ok)
            return usage(option + QStringLiteral(" needs a number (or a client's name)"));
    }
    if (mode == QLatin1String("run"))
        return runLoad(server, conninfo, run);
    if (mode == QLatin1String("store") && pc > 0)
        return load_pc::store(server, pc, run.records, run.client);
    if (mode == QLatin1String("search"))
        return load_pc::search(server, run.month);
    return usage(QStringLiteral("unknown mode ") + mode);
}

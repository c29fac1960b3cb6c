// qvx-claim-holder DIR: claims the database file of the program folder DIR with the program's own
// code and holds the claim until it is killed. Prints "held <pid> <pid seen in /proc>" (the two
// differ inside a new process-id namespace) or "refused <fault> <message>" and exits with 1.
#include "start/program_db.h"

#include <QFile>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvx-claim-holder DIR\n");
        return 2;
    }
    const DbClaim claim = DB_Claim(QFile::decodeName(argv[1]), Switches{});
    if (!claim.held()) {
        std::printf("refused %d %s\n", static_cast<int>(claim.fault()), qPrintable(claim.error()));
        return 1;
    }
    const QString procPid = QFile::symLinkTarget(QStringLiteral("/proc/self")).section('/', -1);
    std::printf("held %d %s\n", static_cast<int>(::getpid()), qPrintable(procPid));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

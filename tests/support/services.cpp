#include "support/services.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList& missing()
{
    static QStringList list;
    return list;
}

} // namespace

namespace services {

bool required()
{
    return qEnvironmentVariableIntValue("QVX_REQUIRE_SERVICES") == 1;
}

void noteMissing(const QString& why, bool endsThroughServices)
{
    if (!endsThroughServices)
        qFatal("a suite that can miss a service needs QVX_TEST_MAIN");
    missing() << why;
}

int exitCode(int testResult)
{
    if (testResult != 0 || missing().isEmpty())
        return testResult;
    std::fprintf(stderr, "SKIPPED: %lld case(s) could not run: %s\n",
                 static_cast<long long>(missing().size()), qPrintable(missing().join("; ")));
    return 77;
}

void endSuite(const QString& why)
{
    std::fflush(stdout);
    if (required()) {
        std::fprintf(stderr, "FAIL: a service these tests need cannot start: %s\n",
                     qPrintable(why));
        std::exit(1);
    }
    std::fprintf(stderr, "SKIP: a service these tests need cannot start: %s\n", qPrintable(why));
    std::exit(77);
}

} // namespace services

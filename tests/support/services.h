#pragma once

#include <QString>
#include <QTest>

// A suite that needs a service it starts itself (a PostgreSQL cluster, a CUPS scheduler, Xvfb, a
// tmpfs, another user or a new namespace) and cannot start it must not read as passed: it ends
// with the exit code 77, which ctest reports as Skipped, unless a case failed. With
// QVX_REQUIRE_SERVICES=1 (CI) a service that cannot start is a failure instead.
namespace services {

// True under QVX_REQUIRE_SERVICES=1.
bool required();
// Notes that a case could not run for want of a service; `endsThroughServices` is true in a
// suite whose main is QVX_TEST_MAIN (only that main can tell it).
void noteMissing(const QString& why, bool endsThroughServices);
// The suite's exit code for QTest's result.
int exitCode(int testResult);
// Ends the whole test process because a service it needs cannot start.
[[noreturn]] void endSuite(const QString& why);

} // namespace services

// Defined by QVX_TEST_MAIN: a suite that can miss a service must end through it.
extern const bool qvxSuiteEndsThroughServices;

// Skips the current case for want of a service, or fails it when services are required.
#define QVX_SERVICE_MISSING(why)                                                                   \
    do {                                                                                           \
        const QString missing_ = (why);                                                            \
        if (services::required())                                                                  \
            QFAIL(qPrintable("the service cannot start: " + missing_));                            \
        services::noteMissing(missing_, qvxSuiteEndsThroughServices);                              \
        QSKIP(qPrintable(missing_));                                                               \
    } while (false)

// QTEST_MAIN whose exit code tells a missing service (services::exitCode).
#define QVX_TEST_MAIN(TestObject)                                                                  \
    const bool qvxSuiteEndsThroughServices = true;                                                 \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();                         \
        QTEST_MAIN_SETUP()                                                                         \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return services::exitCode(QTest::qExec(&tc, argc, argv));                                  \
    }

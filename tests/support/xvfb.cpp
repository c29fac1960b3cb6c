#include "support/xvfb.h"
#include "support/services.h"

#include <QByteArray>
#include <QTest>
#include <QWidget>
#include <QtGlobal>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>

void useXvfb(const QSize& screen)
{
    static bool started = false;
    if (std::exchange(started, true))
        return;
    const QByteArray size =
        QByteArray::number(screen.width()) + 'x' + QByteArray::number(screen.height()) + "x24";
    int pipeFds[2];
    const pid_t pid = pipe(pipeFds) == 0 ? fork() : -1;
    if (pid < 0)
        services::endSuite("Xvfb: cannot start it");
    if (pid == 0) {
        // The server dies with the test process, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(pipeFds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        // -displayfd: the server takes the first free display number and writes it to the
        // pipe once it accepts connections.
        const QByteArray fd = QByteArray::number(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", size.constData(),
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    QByteArray display;
    pollfd wait{pipeFds[0], POLLIN, 0};
    char c = 0;
    while (!display.endsWith('\n') && poll(&wait, 1, 20000) > 0 && read(pipeFds[0], &c, 1) == 1)
        display += c;
    close(pipeFds[0]);
    if (!display.endsWith('\n'))
        services::endSuite("Xvfb did not start (is the package xvfb installed?)");
    qputenv("DISPLAY", ':' + display.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
}

bool showActive(QWidget* window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

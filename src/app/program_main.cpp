// Quarvenix: reads the logs of breath-alcohol measuring handsets over a serial
// port, keeps them in an SQLite database (beside the program in a source
// build, in the user's data folder when installed) or on a shared PostgreSQL
// server (quarvenix.ini), and lets the operator search, save and print them.
#include "app/connect_progress.h"
#include "app/frm_login.h"
#include "app/program_exit.h"
#include "app/start_language.h"
#include "base/app_context.h"
#include "base/program_places.h"
#include "db/database.h"
#include "main/frm_main.h"
#include "start/program_db.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // The command line is read before Qt starts, so that a wrong option is
    // said on a terminal without a display too.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartArguments start = StartArguments::parse(arguments);
    if (start.help) {
        std::fputs(qPrintable(startUsage()), stdout);
        return 0;
    }
    if (!start.problem.isEmpty()) {
        std::fprintf(stderr, "quarvenix: %s\n%s", qPrintable(start.problem),
                     qPrintable(startUsage()));
        return 2;
    }
    QApplication app(argc, argv);
    // Names the user's folders (~/.local/share/quarvenix, ~/.config/quarvenix)
    // and the desktop entry.
    QApplication::setApplicationName(QStringLiteral("quarvenix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quarvenix.Quarvenix"));
    const ProgramPlaces places = ProgramPlaces::find(QApplication::applicationDirPath());
    QString problem;
    const std::optional<Switches> sw =
        startSwitches(Switches::fromBuild(), start, places.settings, &problem);
    if (!sw) {
        std::fprintf(stderr, "quarvenix: %s\n", qPrintable(problem));
        return 2;
    }

    Database db;
    useQtTranslation(!sw->english());
    QtDialogs dialogs;
    dialogs.keepFoldersIn(places.settings.own);
    AppContext ctx;
    ctx.sw = *sw;
    ctx.db = &db;
    db.setConnectView(connectProgress(ctx));
    ctx.dialogs = &dialogs;
    ctx.quit = [] { QApplication::exit(0); };
    ProgramDb program;
    DB_Place(ctx, program, places);
    ctx.end = [&](QWidget* parent) { Program_End(ctx, program, parent); };

    std::unique_ptr<Frm_Main> mainWindow;
    Frm_Login login(ctx, program, [&] {
        mainWindow = std::make_unique<Frm_Main>(ctx);
        mainWindow->Form_Load();
        mainWindow->show();
    });
    if (!login.Form_Load())
        return 0;
    login.show();
    const int code = QApplication::exec();
    mainWindow.reset();
    return code;
}

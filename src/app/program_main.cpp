// Quarvenix: reads the logs of breath-alcohol measuring handsets over a serial
// port, keeps them in an SQLite database (beside the program in a source
// build, in the user's data folder when installed) or on a shared PostgreSQL
// server (quarvenix.ini), and lets the operator search, save and print them.
#include "app/connect_progress.h"
#include "app/frm_login.h"
#include "app/program_exit.h"
#include "app/startup.h"
#include "base/app_context.h"
#include "base/program_places.h"
#include "db/database.h"
#include "main/frm_main.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Names the user's folders (~/.local/share/quarvenix, ~/.config/quarvenix)
    // and the desktop entry.
    QApplication::setApplicationName(QStringLiteral("quarvenix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quarvenix.Quarvenix"));

    Database db;
    useQtTranslation(!Switches::fromBuild().english());
    QtDialogs dialogs;
    AppContext ctx;
    ctx.sw = Switches::fromBuild();
    ctx.db = &db;
    db.setConnectView(connectProgress(ctx));
    ctx.dialogs = &dialogs;
    ctx.quit = [] { QApplication::exit(0); };
    ProgramDb program;
    DB_Place(ctx, program, ProgramPlaces::find(QApplication::applicationDirPath()));
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

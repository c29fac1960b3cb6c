// Quarvenix: reads the logs of breath-alcohol measuring handsets over a serial
// port, keeps them in an SQLite database beside the program or on a shared
// PostgreSQL server (quarvenix.ini), and lets the operator search, save and
// print them.
#include "app/connect_progress.h"
#include "app/frm_login.h"
#include "app/program_exit.h"
#include "app/startup.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "db/database.h"
#include "main/frm_main.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarvenix"));

    Database db;
    useQtTranslation(!Switches::fromBuild().english());
    QtDialogs dialogs;
    AppContext ctx;
    ctx.sw = Switches::fromBuild();
    ctx.appDir = QApplication::applicationDirPath();
    ctx.db = &db;
    db.setConnectView(connectProgress(ctx.sw));
    ctx.dialogs = &dialogs;
    ctx.quit = [] { QApplication::exit(0); };
    ProgramDb program;
    program.setting = DbSetting::forProgramIn(ctx.appDir);
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

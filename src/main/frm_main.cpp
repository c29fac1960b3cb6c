#include "main/frm_main.h"

#include "app/app_context.h"
#include "app/program_exit.h"

#include <QPushButton>

Frm_Main::Frm_Main(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(QStringLiteral("クアルヴェニクス　システム"));
    Cmd_End = new QPushButton(QStringLiteral("終　了"), this);
    Cmd_End->setObjectName(QStringLiteral("Cmd_End"));
    setCentralWidget(Cmd_End);
    connect(Cmd_End, &QPushButton::clicked, this, &Frm_Main::Cmd_End_Click);
}

void Frm_Main::Form_Load() {}

void Frm_Main::Cmd_End_Click()
{
    Program_End(ctx_, this);
}

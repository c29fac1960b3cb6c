#include "sets/frm_usentaku.h"

#include "app/app_context.h"
#include "app/texts.h"
#include "main/frm_main.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace t = texts::usentaku;

Frm_USentaku::Frm_USentaku(AppContext& ctx, Frm_Main& main, QWidget* parent)
    : QDialog(parent), ctx_(ctx), main_(main)
{
    setObjectName(QStringLiteral("Frm_USentaku"));
    setWindowTitle(t::Caption.in(ctx_.sw));
    Cmd_Modoru = new QPushButton(t::Cmd_Modoru.in(ctx_.sw), this);
    Cmd_Modoru->setObjectName(QStringLiteral("Cmd_Modoru"));
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_USentaku::Cmd_Modoru_Click);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->addWidget(Cmd_Modoru);
}

void Frm_USentaku::Cmd_Modoru_Click()
{
    main_.Unit_Read();
    close();
}

#include "sets/frm_sentaku.h"

#include "app/app_context.h"
#include "app/texts.h"
#include "main/frm_main.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace t = texts::sentaku;

Frm_Sentaku::Frm_Sentaku(AppContext& ctx, Frm_Main& main, QWidget* parent)
    : QDialog(parent), ctx_(ctx), main_(main)
{
    setObjectName(QStringLiteral("Frm_Sentaku"));
    setWindowTitle(t::Caption.in(ctx_.sw));
    Cmd_Modoru = new QPushButton(t::Cmd_Modoru.in(ctx_.sw), this);
    Cmd_Modoru->setObjectName(QStringLiteral("Cmd_Modoru"));
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Sentaku::Cmd_Modoru_Click);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->addWidget(Cmd_Modoru);
}

void Frm_Sentaku::Cmd_Modoru_Click()
{
    main_.Master_Read();
    close();
}

#include "main/frm_ver.h"

#include "base/app_context.h"
#include "base/texts/admin.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = texts::version;

namespace {

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

Frm_Ver::Frm_Ver(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Ver"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));

    Label1 = makeLabel(QStringLiteral("Label1"), t::Label1.in(sw), this);
    QFont titleFont = Label1->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label2 = makeLabel(QStringLiteral("Label2"), t::Label2.in(sw), this);
    Label3 = makeLabel(QStringLiteral("Label3"), t::Label3.in(sw), this);
    Label4 = makeLabel(QStringLiteral("Label4"), t::Label4.in(sw), this);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Cmd_Modoru = new QPushButton(t::Cmd_Modoru.in(sw), this);
    Cmd_Modoru->setObjectName(QStringLiteral("Cmd_Modoru"));
    Cmd_Modoru->setDefault(true);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Ver::Cmd_Modoru_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Modoru);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 18);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addSpacing(6);
    layout->addWidget(Label3);
    layout->addWidget(Label4);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

void Frm_Ver::Form_Load()
{
    // The maker's addresses are shown in Japanese only.
    Label3->setVisible(!ctx_.sw.english());
    Label4->setVisible(!ctx_.sw.english());
    if (ctx_.sw.editionA())
        Label2->setText(Label2->text() + t::EditionSuffix.in(ctx_.sw));
}

void Frm_Ver::Cmd_Modoru_Click()
{
    close();
}

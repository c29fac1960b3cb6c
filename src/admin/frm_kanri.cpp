#include "admin/frm_kanri.h"

#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kiki.h"
#include "admin/frm_lmaster.h"
#include "admin/frm_rireki.h"
#include "base/app_context.h"
#include "base/texts/admin.h"
#include "ui/window_parts.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = texts::kanri;

Frm_Kanri::Frm_Kanri(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Kanri"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));
    Label1 = window_parts::heading(t::Label1.in(sw), this);
    Cmd_Id = window_parts::button("Cmd_Id", t::Cmd_Id.in(sw), this);
    Cmd_Kiki = window_parts::button("Cmd_Kiki", t::Cmd_Kiki.in(sw), this);
    Cmd_LMaster = window_parts::button("Cmd_LMaster", t::Cmd_LMaster.in(sw), this);
    Cmd_DB = window_parts::button("Cmd_DB", t::Cmd_DB.in(sw), this);
    Cmd_Rireki = window_parts::button("Cmd_Rireki", t::Cmd_Rireki.in(sw), this);
    Cmd_Modoru = window_parts::button("Cmd_Modoru", t::Cmd_Modoru.in(sw), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 16, 28, 20);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addSpacing(4);
    for (QPushButton* b : {Cmd_Id, Cmd_Kiki, Cmd_LMaster, Cmd_DB, Cmd_Rireki}) {
        b->setMinimumHeight(b->sizeHint().height() * 3 / 2);
        layout->addWidget(b);
    }
    layout->addSpacing(8);
    layout->addWidget(Cmd_Modoru, 0, Qt::AlignRight);
    const int width = fontMetrics().horizontalAdvance(t::Cmd_Kiki.en_()) + 80;
    Cmd_Id->setMinimumWidth(qMax(width, Cmd_Id->sizeHint().width()));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {Cmd_Id, Cmd_Modoru, Cmd_Kiki, Cmd_LMaster, Cmd_DB, Cmd_Rireki};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Cmd_Id, &QPushButton::clicked, this, &Frm_Kanri::Cmd_Id_Click);
    connect(Cmd_Kiki, &QPushButton::clicked, this, &Frm_Kanri::Cmd_Kiki_Click);
    connect(Cmd_LMaster, &QPushButton::clicked, this, &Frm_Kanri::Cmd_LMaster_Click);
    connect(Cmd_DB, &QPushButton::clicked, this, &Frm_Kanri::Cmd_DB_Click);
    connect(Cmd_Rireki, &QPushButton::clicked, this, &Frm_Kanri::Cmd_Rireki_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Kanri::Cmd_Modoru_Click);

    Cmd_Id->setFocus(); // taken when the menu opens
}

// Each opening creates the window afresh, so its load runs each time; the
// menu waits beneath it until it is closed.
template <class Window> bool Frm_Kanri::openModal()
{
    Window window(ctx_, this);
    return window.exec() == QDialog::Accepted;
}

void Frm_Kanri::Cmd_Id_Click()
{
    openModal<Frm_ID>(); // login IDs show nowhere in the main window
}

void Frm_Kanri::Cmd_Kiki_Click()
{
    if (openModal<Frm_Kiki>())
        shownLogsChanged_ = true;
}

void Frm_Kanri::Cmd_LMaster_Click()
{
    if (openModal<Frm_LMaster>())
        shownLogsChanged_ = true;
}

void Frm_Kanri::Cmd_DB_Click()
{
    if (openModal<Frm_DB>())
        shownLogsChanged_ = true;
}

void Frm_Kanri::Cmd_Rireki_Click()
{
    openModal<Frm_Rireki>();
}

void Frm_Kanri::Cmd_Modoru_Click()
{
    // Names given or removed in the handset name window show in the opener.
    accept();
}

void Frm_Kanri::done(int result)
{
    QDialog::done(result | (shownLogsChanged_ ? ShownLogsChanged : 0));
}

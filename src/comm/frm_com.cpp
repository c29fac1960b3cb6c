#include "comm/frm_com.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/comm.h"
#include "base/window_parts.h"
#include "comm/port_number.h"
#include "comm/serial_port.h"
#include "db/database.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = texts::com;

Frm_Com::Frm_Com(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Com"));
    setWindowTitle(t::Caption.ja_());

    Label1 = window_parts::heading(t::Label1.ja_(), this);

    Label2 = new QLabel(t::Label2.ja_(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Cmb_Port = new QComboBox(this);
    Cmb_Port->setObjectName(QStringLiteral("Cmb_Port"));
    Cmb_Port->setEditable(true);
    Cmb_Port->setInsertPolicy(QComboBox::NoInsert);
    Label2->setBuddy(Cmb_Port);
    LB_Device = new QLabel(this);
    LB_Device->setObjectName(QStringLiteral("LB_Device"));
    LB_Device->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Cmd_Add = new QPushButton(t::Cmd_Add.ja_(), this);
    Cmd_Add->setObjectName(QStringLiteral("Cmd_Add"));
    Cmd_Modoru = new QPushButton(t::Cmd_Modoru.ja_(), this);
    Cmd_Modoru->setObjectName(QStringLiteral("Cmd_Modoru"));
    // Enter presses a focused button; in the port box it neither changes the
    // port nor closes the window.
    window_parts::pressOnEnter(Cmd_Add);
    window_parts::pressOnEnter(Cmd_Modoru);

    auto* port = new QGridLayout;
    port->addWidget(Label2, 0, 0);
    port->addWidget(Cmb_Port, 0, 1);
    port->addWidget(LB_Device, 1, 1);
    port->setColumnStretch(1, 1);

    QHBoxLayout* buttons = window_parts::buttonsAtRight({Cmd_Add, Cmd_Modoru});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(Label1);
    layout->addLayout(port);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(Cmd_Add, &QPushButton::clicked, this, &Frm_Com::Cmd_Add_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Com::Cmd_Modoru_Click);
    connect(Cmb_Port, &QComboBox::currentTextChanged, this, &Frm_Com::showDevice);

    Form_Load();
}

void Frm_Com::Set_English()
{
    setWindowTitle(t::Caption.en_());
    Label1->setText(t::Label1.en_());
    Label2->setText(t::Label2.en_());
    Cmd_Add->setText(t::Cmd_Add.en_());
    Cmd_Modoru->setText(t::Cmd_Modoru.en_());
}

void Frm_Com::Form_Load()
{
    if (ctx_.sw.english())
        Set_English();
    Cmb_Port->clear();
    for (int n = kFirstPort; n <= kLastPort; ++n)
        Cmb_Port->addItem(QString::number(n));
    short port = 1;
    try {
        port = Com_Read(*ctx_.db);
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, t::DbError.in(ctx_.sw).arg(e.message()), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
    }
    showPort(QString::number(port));
    showDevice();
}

void Frm_Com::showPort(const QString& text)
{
    const int index = Cmb_Port->findText(text);
    if (index >= 0)
        Cmb_Port->setCurrentIndex(index);
    Cmb_Port->setEditText(text);
}

void Frm_Com::showDevice()
{
    const std::optional<int> port = parsePortNumber(Cmb_Port->currentText());
    const QString device = port ? portDevicePath(*port, ctx_.appDir) : QString();
    if (device.isEmpty()) {
        LB_Device->setText(t::NoDevice.in(ctx_.sw));
        return;
    }
    const QFileInfo info(device);
    if (info.isSymLink() && info.exists())
        LB_Device->setText(t::DeviceLink.in(ctx_.sw).arg(device, info.canonicalFilePath()));
    else if (info.isSymLink())
        LB_Device->setText(t::DeviceLinkGone.in(ctx_.sw).arg(device, info.symLinkTarget()));
    else
        LB_Device->setText(t::Device.in(ctx_.sw).arg(device));
}

void Frm_Com::Cmd_Add_Click()
{
    const std::optional<int> port = parsePortNumber(Cmb_Port->currentText());
    if (!port) {
        ctx_.dialogs->message(this, t::BadPort.in(ctx_.sw), t::Caption.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
        Cmb_Port->setFocus();
        return;
    }
    const QString text = QString::number(*port);
    showPort(text);
    bool stored = false;
    try {
        Recordset rs = ctx_.db->openRecordset(QStringLiteral("SELECT * FROM Com_Port ;"));
        if (!rs.eof()) {
            rs.setField(QStringLiteral("Port"), *port);
            rs.update();
            stored = true;
        }
        rs.close();
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, t::DbError.in(ctx_.sw).arg(e.message()), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Without its one row the setting cannot be kept: say so rather than
    // confirming a change that did not happen.
    if (!stored) {
        ctx_.dialogs->message(this, t::NoPortRow.in(ctx_.sw), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    ctx_.dialogs->message(this, t::Changed.in(ctx_.sw).arg(text), t::Caption.in(ctx_.sw));
}

void Frm_Com::Cmd_Modoru_Click()
{
    accept();
}

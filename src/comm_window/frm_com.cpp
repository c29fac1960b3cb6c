#include "comm_window/frm_com.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/comm.h"
#include "base/texts/history.h"
#include "comm/port_access.h"
#include "comm/port_number.h"
#include "comm/serial_port.h"
#include "db/database.h"
#include "db/write_outcome.h"
#include "history/op_history.h"
#include "ui/window_parts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace t = texts::com;

namespace {

enum Column { ColNumber, ColDevice, ColDescription, ColMaker, ColSerial, ColState, Columns };

QStringList headings(const Switches& sw)
{
    QStringList out;
    for (const BiText* text : {&t::ColNumber, &t::ColDevice, &t::ColDescription, &t::ColMaker,
                               &t::ColSerial, &t::ColState})
        out << text->in(sw);
    return out;
}

QString numbersText(const QList<int>& numbers)
{
    QStringList out;
    for (const int n : numbers)
        out << QString::number(n);
    return out.join(QStringLiteral(", "));
}

} // namespace

Frm_Com::Frm_Com(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), place_(PortPlace::of(ctx))
{
    setObjectName(QStringLiteral("Frm_Com"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));

    Label1 = window_parts::heading(t::Label1.in(sw), this);

    Label2 = new QLabel(t::Label2.in(sw), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Cmb_Port = new QComboBox(this);
    Cmb_Port->setObjectName(QStringLiteral("Cmb_Port"));
    Cmb_Port->setEditable(true);
    Cmb_Port->setInsertPolicy(QComboBox::NoInsert);
    Label2->setBuddy(Cmb_Port);
    LB_Device = new QLabel(this);
    LB_Device->setObjectName(QStringLiteral("LB_Device"));
    LB_Device->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LB_Device->setWordWrap(true);

    LB_List = new QLabel(t::LB_List.in(sw), this);
    LB_List->setObjectName(QStringLiteral("LB_List"));
    List_Port = new QTreeWidget(this);
    List_Port->setObjectName(QStringLiteral("List_Port"));
    List_Port->setColumnCount(Columns);
    List_Port->setHeaderLabels(headings(sw));
    List_Port->setRootIsDecorated(false);
    List_Port->setAllColumnsShowFocus(true);
    List_Port->setSelectionMode(QAbstractItemView::SingleSelection);
    List_Port->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    List_Port->header()->setStretchLastSection(true);
    LB_List->setBuddy(List_Port);

    Cmd_Add = new QPushButton(t::Cmd_Add.in(sw), this);
    Cmd_Add->setObjectName(QStringLiteral("Cmd_Add"));
    Cmd_Modoru = new QPushButton(t::Cmd_Modoru.in(sw), this);
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
    layout->addWidget(LB_List);
    layout->addWidget(List_Port, 1);
    layout->addLayout(buttons);
    setMinimumSize(640, 360);

    connect(Cmd_Add, &QPushButton::clicked, this, &Frm_Com::Cmd_Add_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Com::Cmd_Modoru_Click);
    connect(Cmb_Port, &QComboBox::currentTextChanged, this, &Frm_Com::numberChosen);
    connect(List_Port, &QTreeWidget::itemSelectionChanged, this, &Frm_Com::rowChosen);
    // Adapters plugged in or out while the window is open.
    auto* follow = new QTimer(this);
    connect(follow, &QTimer::timeout, this, &Frm_Com::refreshList);
    follow->start(1000);

    Form_Load();
}

void Frm_Com::Form_Load()
{
    Cmb_Port->clear();
    for (int n = kFirstPort; n <= kLastPort; ++n)
        Cmb_Port->addItem(QString::number(n));
    kept_ = {};
    try {
        kept_ = readPort(*ctx_.db, place_);
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, t::DbError.in(ctx_.sw).arg(e.message()), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
    }
    picked_.clear();
    entries_.clear();
    refreshList();
    showPort(QString::number(kept_.number));
    numberChosen();
}

QString Frm_Com::opens(int n) const
{
    return portOpens(n, kept_, place_);
}

void Frm_Com::refreshList()
{
    const QList<PortEntry> entries =
        listPorts({PortSources::systemPorts(), QStringLiteral("/dev/serial/by-id"), place_.linkDir,
                   [this](int n) { return opens(n); }});
    QStringList states;
    for (const PortEntry& e : entries)
        states << portAccessState(portAccess(e.device.isEmpty() ? e.path : e.device), ctx_.sw);
    if (entries == entries_ && states == states_)
        return;
    entries_ = entries;
    states_ = states;
    selecting_ = true;
    List_Port->clear();
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const PortEntry& e = entries_[i];
        auto* item = new QTreeWidgetItem(List_Port);
        item->setText(ColNumber, numbersText(e.numbers));
        item->setText(ColDevice, e.path);
        item->setToolTip(ColDevice, e.names.join(QLatin1Char('\n')));
        item->setText(ColDescription, e.description);
        item->setText(ColMaker, e.manufacturer);
        item->setText(ColSerial, e.serialNumber);
        item->setText(ColState, states_[i]);
    }
    selecting_ = false;
    // A chosen device that was unplugged is no longer a choice.
    if (!picked_.isEmpty() && std::none_of(entries_.cbegin(), entries_.cend(),
                                           [&](const auto& e) { return e.path == picked_; }))
        picked_.clear();
    selectOpenedRow();
    showDevice();
}

// The list shows the device the number opens, or the one chosen for it.
void Frm_Com::selectOpenedRow()
{
    const std::optional<int> port = parsePortNumber(Cmb_Port->currentText());
    QTreeWidgetItem* row = nullptr;
    for (qsizetype i = 0; i < entries_.size() && !row; ++i) {
        const PortEntry& e = entries_[i];
        const bool match =
            picked_.isEmpty() ? port && e.numbers.contains(*port) : e.path == picked_;
        if (match)
            row = List_Port->topLevelItem(int(i));
    }
    selecting_ = true;
    List_Port->clearSelection();
    if (row) {
        row->setSelected(true);
        List_Port->scrollToItem(row);
    }
    selecting_ = false;
}

void Frm_Com::numberChosen()
{
    picked_.clear();
    selectOpenedRow();
    showDevice();
}

void Frm_Com::rowChosen()
{
    if (selecting_)
        return;
    const QList<QTreeWidgetItem*> rows = List_Port->selectedItems();
    const int index = rows.isEmpty() ? -1 : List_Port->indexOfTopLevelItem(rows.first());
    picked_ = index >= 0 ? entries_[index].path : QString();
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
    const QString device = !picked_.isEmpty() ? picked_ : port ? opens(*port) : QString();
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
    const QString picked = picked_;
    showPort(text);
    // Kept per PC on a server: the number with its device, or with none (the
    // usual rule) when another number is chosen without one.
    const PortChoice choice{*port, !picked.isEmpty()       ? picked
                                   : *port == kept_.number ? kept_.device
                                                           : QString()};
    QString failure;
    if (place_.inSettings)
        failure = keepPortInSettings(place_, choice);
    else if (!keepNumber(*port))
        return;
    else if (!picked.isEmpty())
        failure = linkPort(place_.linkDir, *port, picked);
    if (!failure.isEmpty()) {
        ctx_.dialogs->message(
            this, (place_.inSettings ? t::DbError : t::LinkFailed).in(ctx_.sw).arg(failure),
            t::Caption.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    kept_ = place_.inSettings ? choice : PortChoice{*port, {}};
    refreshList();
    numberChosen();
    op_history::add(ctx_, this, op_history::Op::Port,
                    texts::history::PortDetails.in(ctx_.sw).arg(text) +
                        (choice.device.isEmpty() ? QString() : QLatin1Char(' ') + choice.device));
    ctx_.dialogs->message(this, t::Changed.in(ctx_.sw).arg(text), t::Caption.in(ctx_.sw));
    // The next read would fail on a device this user may not open or that
    // another program holds: say so now, and what to do.
    const QString warning = portAccessMessage(portAccess(opens(*port)), ctx_.sw);
    if (!warning.isEmpty())
        ctx_.dialogs->message(this, warning, t::Caption.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
}

// The number in the database's one Com_Port row; false (and said) when it
// cannot be kept.
bool Frm_Com::keepNumber(int port)
{
    bool stored = false;
    try {
        stored = keepPortInDatabase(*ctx_.db, port);
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, failureText(e, t::DbError.in(ctx_.sw)), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    // Without its one row the setting cannot be kept: say so rather than
    // confirming a change that did not happen.
    if (!stored)
        ctx_.dialogs->message(this, t::NoPortRow.in(ctx_.sw), t::Caption.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
    return stored;
}

void Frm_Com::Cmd_Modoru_Click()
{
    accept();
}

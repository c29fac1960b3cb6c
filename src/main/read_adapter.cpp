#include "main/read_adapter.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/comm.h"
#include "base/texts/history.h"
#include "base/texts/main.h"
#include "comm/port_access.h"
#include "comm/port_setting.h"
#include "comm/serial_port.h"
#include "db/database.h"
#include "history/op_history.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>

namespace t = texts::handset_read;
using State = HandsetReader::State;

ReadAdapter::ReadAdapter(AppContext& ctx, ReadControls controls, QWidget* window)
    : QObject(window), MSCM(new QSerialPort(this)), ctx_(ctx), controls_(controls), window_(window),
      reader_(*ctx.db, ctx.now, ReadTimings{}, this)
{
    MSCM->setObjectName(QStringLiteral("MSCM"));
    connect(&reader_, &HandsetReader::stateChanged, this, &ReadAdapter::showState);
    connect(&reader_, &HandsetReader::finished, this, &ReadAdapter::readFinished);
    // The status line shows that a read is alive: the records received so far.
    connect(&reader_, &HandsetReader::progress, this, [this](int records) {
        controls_.status->setText(texts::read_status::Receiving.in(ctx_.sw).arg(records));
    });
}

void ReadAdapter::click()
{
    if (!usable_)
        return;
    emit gridToClear();
    if (reader_.running())
        reader_.stop();
    else
        start();
}

void ReadAdapter::start()
{
    busy_.emplace();
    const PortPlace place = PortPlace::of(ctx_);
    QString device;
    short number = 1;
    try {
        const PortChoice kept = readPort(*ctx_.db, place);
        number = kept.number;
        device = portOpens(kept.number, kept, place);
    } catch (const DbError& e) {
        busy_.reset();
        const QString failed = t::PortSettingFailed.in(ctx_.sw);
        controls_.status->setText(
            texts::read_status::NotRead.in(ctx_.sw).arg(failed.section(QLatin1Char('\n'), 0, 0)));
        ctx_.dialogs->message(window_, failed.arg(e.message()), t::Title.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (!Com_Open(*MSCM, device)) {
        busy_.reset();
        controls_.status->setText(
            texts::read_status::NotRead.in(ctx_.sw).arg(t::PortNotOpened.in(ctx_.sw).arg(number)));
        // A device this user may not open, or one another program holds, is
        // said with what to do; then the port window lets the operator
        // choose another port.
        const QString why =
            device.isEmpty() ? QString() : portAccessMessage(whyNotOpened(device), ctx_.sw);
        if (!why.isEmpty())
            ctx_.dialogs->message(window_, why, t::Title.in(ctx_.sw), MsgButtons::Ok,
                                  MsgIcon::Exclamation);
        emit portWindowWanted();
        return;
    }
    // A link beside the program names the device it points to.
    const QFileInfo opened(device);
    device_ = !opened.isSymLink() ? opened.filePath()
              : opened.exists()   ? opened.canonicalFilePath()
                                  : opened.symLinkTarget();
    reader_.start(*MSCM);
}

void ReadAdapter::showState(State state)
{
    // The button is usable exactly when its caption names what a click does:
    // "Read" when no read runs, "Stop" while the answer arrives. A read that
    // is done first shows its closing message.
    const bool stop = state == State::Receiving || state == State::Stopping;
    usable_ = state == State::Idle || state == State::Receiving;
    controls_.button->setText((stop ? t::Stop : t::Idle).in(ctx_.sw));
    controls_.button->setEnabled(usable_);
    controls_.menuEntry->setEnabled(usable_);
    controls_.indicator->setVisible(stop);
    // Busy from the start of a read and during a stop request; after the
    // two "C" the pointer is normal while the last bytes come.
    if (state == State::Stopping && !busy_)
        busy_.emplace();
    else if (state == State::Draining)
        busy_.reset();
    namespace s = texts::read_status;
    if (state == State::Connecting)
        controls_.status->setText(s::Connecting.in(ctx_.sw));
    else if (state == State::Storing)
        controls_.status->setText(s::Storing.in(ctx_.sw));
}

void ReadAdapter::readFinished(const HandsetReader::Outcome& outcome)
{
    const DecodeOutcome& figures = outcome.figures;
    QString closing = t::NoCommunication.in(ctx_.sw);
    MsgIcon icon = MsgIcon::None;
    const QString check = t::CheckDevice.in(ctx_.sw).arg(device_);
    switch (outcome.ending) {
    case HandsetReader::Ending::Received:
        closing = t::ReceptionEnd.in(ctx_.sw);
        break;
    case HandsetReader::Ending::NoCommunication:
        closing += QLatin1Char('\n') + check;
        break;
    case HandsetReader::Ending::PortLost:
        closing += QLatin1Char('\n') + t::PortLostStored.in(ctx_.sw).arg(figures.stored) +
                   QLatin1Char('\n') + check;
        break;
    case HandsetReader::Ending::StoreFailed:
        closing = (figures.storeUnknown ? t::StoreUnknown : t::StoreFailed)
                      .in(ctx_.sw)
                      .arg(figures.error);
        icon = MsgIcon::Exclamation;
        break;
    }
    // The status line says how the read ended before the message does.
    controls_.status->setText(texts::read_status::Figures.in(ctx_.sw)
                                  .arg(figures.records)
                                  .arg(figures.stored)
                                  .arg(figures.duplicates)
                                  .arg(figures.archived)
                                  .arg(figures.invalid)
                                  .arg(closing.section(QLatin1Char('\n'), 0, 0)));
    op_history::add(ctx_, window_, op_history::Op::Read,
                    texts::history::ReadDetails.in(ctx_.sw)
                        .arg(figures.records)
                        .arg(figures.stored)
                        .arg(figures.duplicates)
                        .arg(figures.archived)
                        .arg(figures.invalid));
    ctx_.dialogs->message(window_, closing, t::Title.in(ctx_.sw), MsgButtons::Ok, icon);
    Com_Close(*MSCM);
    // Show what was stored; a read that lost its port or its storage after
    // receiving stored records too.
    if (outcome.answered)
        emit searchWanted();
    busy_.reset();
    showState(State::Idle);
}

bool ReadAdapter::endForExit()
{
    if (!reader_.running())
        return true;
    const DecodeOutcome figures = reader_.endForExit().figures;
    Com_Close(*MSCM);
    busy_.reset();
    showState(State::Idle);
    if (figures.ok())
        return true;
    ctx_.dialogs->message(
        window_,
        (figures.storeUnknown ? t::StoreUnknown : t::StoreFailed).in(ctx_.sw).arg(figures.error),
        t::Title.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

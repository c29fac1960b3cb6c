#include "comm/read_command.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/comm.h"
#include "comm/serial_port.h"
#include "db/database.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>

namespace t = texts::handset_read;

namespace {
// What the port keeps for us between two looks: a handset faster than the
// storing waits in the operating system's buffer instead of in our memory.
constexpr qint64 kPortBuffer = 64 * 1024;
} // namespace

ReadCommand::ReadCommand(AppContext& ctx, ReadUi ui, ReadTimings timings, QObject* parent)
    : QObject(parent), MSCM(new QSerialPort(this)), ctx_(ctx), ui_(std::move(ui)), timings_(timings)
{
    MSCM->setObjectName(QStringLiteral("MSCM"));
    MSCM->setReadBufferSize(kPortBuffer);
    // Precise timers: the waits measure whole seconds and must not end early.
    for (QTimer* timer :
         {&startTimer_, &silenceTimer_, &stopTimer_, &cutoffTimer_, &commitTimer_}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&startTimer_, &QTimer::timeout, this, &ReadCommand::sendRequest);
    connect(&silenceTimer_, &QTimer::timeout, this, &ReadCommand::silenceElapsed);
    connect(&stopTimer_, &QTimer::timeout, this, &ReadCommand::stopWaitElapsed);
    connect(&cutoffTimer_, &QTimer::timeout, this, [this] {
        if (state_ == State::Receiving)
            endReception(Ending::Received);
    });
    connect(&commitTimer_, &QTimer::timeout, this, &ReadCommand::commitElapsed);
    connect(MSCM, &QSerialPort::readyRead, this, &ReadCommand::takeBytes);
    connect(MSCM, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // An unplugged adapter shows as a resource error; a failed read or
        // write leaves no way to finish the conversation either.
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
            error == QSerialPort::WriteError)
            portError();
    });
}

ReadCommand::~ReadCommand()
{
    Com_Close(*MSCM);
    setBusy(false);
}

void ReadCommand::Cmd_Read_Click()
{
    switch (state_) {
    case State::Idle:
        start();
        break;
    case State::Receiving:
        // Only a read that shows "Stop" can be stopped; the button is
        // disabled otherwise, and the menu entry with it.
        if (showingStop_ && !stopPending_)
            requestStop();
        break;
    case State::Starting:
    case State::Finishing:
        break;
    }
}

void ReadCommand::start()
{
    english_ = ctx_.sw.english();
    setBusy(true);
    ui_.clearGrid();
    reception_ = Reception();
    stopPending_ = false;

    short port = 1;
    try {
        port = Com_Read(*ctx_.db);
    } catch (const DbError& e) {
        setBusy(false);
        ctx_.dialogs->message(window(), t::PortSettingFailed.pick(english_).arg(e.message()),
                              t::Title.pick(english_), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (!Com_Open(*MSCM, port, ctx_.appDir)) {
        // No message: the port window lets the operator choose another port.
        setBusy(false);
        if (ui_.openPortWindow)
            ui_.openPortWindow();
        return;
    }
    intake_ = std::make_unique<LogIntake>(*ctx_.db, ctx_.now);
    state_ = State::Starting;
    updateButton();
    startTimer_.start(timings_.startWaitMs);
}

void ReadCommand::sendRequest()
{
    if (state_ != State::Starting)
        return;
    state_ = State::Receiving;
    send('A');
    if (state_ != State::Receiving)
        return;
    silenceTimer_.start(timings_.silenceMs);
    takeBytes();
}

void ReadCommand::takeBytes()
{
    if (state_ != State::Receiving)
        return;
    const QByteArray data = MSCM->readAll();
    if (data.isEmpty())
        return;
    switch (consume(data)) {
    case Taken::Refused:
        endReception(Ending::Failed);
        return;
    case Taken::StoreFailed:
        send('C');
        endReception(Ending::StoreFailed);
        return;
    case Taken::Kept:
        if (!showingStop_)
            showStop(true);
        if (intake_->waiting() > 0 && !commitTimer_.isActive())
            commitTimer_.start(timings_.commitMs);
        break;
    case Taken::Nothing:
        break;
    }
    // The silence is counted from the last byte; during a stop request it
    // starts after the second "C".
    if (!stopPending_)
        silenceTimer_.start(timings_.silenceMs);
}

ReadCommand::Taken ReadCommand::consume(const QByteArray& data)
{
    bool refused = false;
    const QByteArrayView kept = reception_.take(data, refused);
    if (refused)
        return Taken::Refused;
    if (kept.isEmpty())
        return Taken::Nothing;
    intake_->feedBytes(kept);
    // A full chunk is stored at once, between two arrivals: the button
    // stays usable, and a click waits at most for one chunk.
    return intake_->storeChunks(false) ? Taken::Kept : Taken::StoreFailed;
}

void ReadCommand::commitElapsed()
{
    if (state_ != State::Receiving)
        return;
    if (!intake_->storeChunks(true)) {
        send('C');
        endReception(Ending::StoreFailed);
    }
}

void ReadCommand::silenceElapsed()
{
    if (state_ != State::Receiving || stopPending_)
        return;
    // Look once more at the port itself: a byte may be waiting that the
    // event loop has not delivered yet.
    const qint64 before = reception_.byteCount();
    if (MSCM->bytesAvailable() == 0)
        MSCM->waitForReadyRead(0);
    takeBytes();
    if (state_ != State::Receiving || reception_.byteCount() != before)
        return;
    if (reception_.received()) {
        endReception(Ending::Received);
        return;
    }
    send('C');
    endReception(Ending::Failed);
}

void ReadCommand::requestStop()
{
    setBusy(true);
    ui_.clearGrid();
    stopPending_ = true;
    updateButton();
    silenceTimer_.stop();
    send('C');
    if (state_ == State::Receiving)
        stopTimer_.start(timings_.stopWaitMs);
}

void ReadCommand::stopWaitElapsed()
{
    if (state_ != State::Receiving || !stopPending_)
        return;
    send('C');
    if (state_ != State::Receiving)
        return;
    stopPending_ = false;
    showStop(false);
    setBusy(false);
    silenceTimer_.start(timings_.silenceMs);
    // A handset that obeys falls silent; one that goes on is cut off.
    if (!cutoffTimer_.isActive())
        cutoffTimer_.start(timings_.stopCutoffMs);
}

void ReadCommand::portError()
{
    if (state_ == State::Starting || state_ == State::Receiving)
        endReception(Ending::PortLost);
}

void ReadCommand::endReception(Ending ending)
{
    if (state_ != State::Starting && state_ != State::Receiving)
        return;
    state_ = State::Finishing;
    for (QTimer* timer : {&startTimer_, &silenceTimer_, &stopTimer_, &cutoffTimer_, &commitTimer_})
        timer->stop();
    stopPending_ = false;
    // The last records are stored under the idle caption, the button
    // disabled: no click is taken that would not be carried out.
    showStop(false);
    // The rest runs from the event loop, outside the port's own signals, as
    // it shows a message and closes the port.
    QMetaObject::invokeMethod(
        this, [this, ending] { finish(ending); }, Qt::QueuedConnection);
}

void ReadCommand::finish(Ending ending)
{
    // The program's exit may have ended the read meanwhile.
    if (state_ != State::Finishing)
        return;
    intake_->storeChunks(true);
    lastRead_ = intake_->outcome();
    intake_.reset();

    // A storage failure is the message: the read did not end as it should.
    QString closing;
    MsgIcon icon = MsgIcon::None;
    if (!lastRead_.ok()) {
        closing = t::StoreFailed.pick(english_).arg(lastRead_.error);
        icon = MsgIcon::Exclamation;
    } else if (ending == Ending::Received) {
        closing = t::ReceptionEnd.pick(english_);
    } else {
        closing = t::NoCommunication.pick(english_);
        if (ending == Ending::PortLost)
            closing += QLatin1Char('\n') + t::PortLostStored.pick(english_).arg(lastRead_.stored);
    }
    ctx_.dialogs->message(window(), closing, t::Title.pick(english_), MsgButtons::Ok, icon);

    Com_Close(*MSCM);
    // Show what was stored; a read that lost its port or its storage after
    // receiving stored records too.
    if (reception_.received() && ui_.search)
        ui_.search();
    setBusy(false);
    state_ = State::Idle;
    updateButton();
    emit readFinished();
}

bool ReadCommand::endForExit()
{
    if (state_ == State::Idle)
        return true;
    const bool receiving = state_ == State::Receiving;
    // From here the port's own signals no longer feed the read.
    state_ = State::Finishing;
    for (QTimer* timer : {&startTimer_, &silenceTimer_, &stopTimer_, &cutoffTimer_, &commitTimer_})
        timer->stop();
    if (receiving) {
        send('C');
        drainForExit();
    }
    intake_->storeChunks(true);
    lastRead_ = intake_->outcome();
    intake_.reset();
    Com_Close(*MSCM);
    stopPending_ = false;
    showStop(false);
    setBusy(false);
    state_ = State::Idle;
    updateButton();
    if (lastRead_.ok())
        return true;
    ctx_.dialogs->message(window(), t::StoreFailed.pick(english_).arg(lastRead_.error),
                          t::Title.pick(english_), MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

// Takes what the handset sent before it saw "C", until the line is quiet
// for a moment; a handset that does not stop is cut off as a stop request
// cuts it off.
void ReadCommand::drainForExit()
{
    QElapsedTimer clock;
    clock.start();
    while (MSCM->isOpen() && clock.elapsed() < timings_.stopCutoffMs) {
        if (MSCM->bytesAvailable() == 0 && !MSCM->waitForReadyRead(timings_.exitDrainMs))
            return;
        const Taken taken = consume(MSCM->readAll());
        if (taken == Taken::Refused || taken == Taken::StoreFailed)
            return;
    }
}

void ReadCommand::send(char byte)
{
    MSCM->write(&byte, 1);
    MSCM->flush();
}

void ReadCommand::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ReadCommand::showStop(bool stop)
{
    showingStop_ = stop;
    if (ui_.button)
        ui_.button->setText(stop ? t::Stop.pick(english_) : t::Idle.pick(english_));
    if (ui_.indicator)
        ui_.indicator->setVisible(stop);
    updateButton();
}

// "Read" starts a read only when none runs; "Stop" is taken while receiving
// unless a stop request is already under way.
void ReadCommand::updateButton()
{
    const bool usable =
        state_ == State::Idle || (state_ == State::Receiving && showingStop_ && !stopPending_);
    if (ui_.button)
        ui_.button->setEnabled(usable);
    if (ui_.menuEntry)
        ui_.menuEntry->setEnabled(usable);
}

QWidget* ReadCommand::window() const
{
    return ui_.button ? ui_.button->window() : nullptr;
}

#include "comm/read_command.h"

#include "app/app_context.h"
#include "app/database.h"
#include "app/dialogs.h"
#include "app/texts.h"
#include "comm/log_decode.h"
#include "comm/serial_port.h"

#include <QApplication>
#include <QPushButton>
#include <QSerialPort>

namespace t = texts::handset_read;

ReadCommand::ReadCommand(AppContext& ctx, ReadUi ui, ReadTimings timings, QObject* parent)
    : QObject(parent), MSCM(new QSerialPort(this)), ctx_(ctx), ui_(std::move(ui)), timings_(timings)
{
    MSCM->setObjectName(QStringLiteral("MSCM"));
    // Precise timers: the waits measure whole seconds and must not end early.
    for (QTimer* timer : {&startTimer_, &silenceTimer_, &stopTimer_}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&startTimer_, &QTimer::timeout, this, &ReadCommand::sendRequest);
    connect(&silenceTimer_, &QTimer::timeout, this, &ReadCommand::silenceElapsed);
    connect(&stopTimer_, &QTimer::timeout, this, &ReadCommand::stopWaitElapsed);
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
        // Only a read that shows "Stop" can be stopped; before the first
        // byte, during a stop request and after one, the click is ignored.
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
    state_ = State::Starting;
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
    for (const char c : data) {
        switch (reception_.take(static_cast<quint8>(c))) {
        case Reception::Step::Dropped:
            break;
        case Reception::Step::Kept:
            if (!showingStop_)
                showStop(true);
            break;
        case Reception::Step::BadPreamble:
            endReception(Ending::Failed);
            return;
        }
    }
    // The silence is counted from the last byte; during a stop request it
    // starts after the second "C".
    if (!data.isEmpty() && !stopPending_)
        silenceTimer_.start(timings_.silenceMs);
}

void ReadCommand::silenceElapsed()
{
    if (state_ != State::Receiving || stopPending_)
        return;
    // Look once more at the port itself: a byte may be waiting that the
    // event loop has not delivered yet.
    const int before = reception_.byteCount();
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
    showStop(false);
    setBusy(false);
    stopPending_ = false;
    silenceTimer_.start(timings_.silenceMs);
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
    startTimer_.stop();
    silenceTimer_.stop();
    stopTimer_.stop();
    stopPending_ = false;
    // The rest runs from the event loop, outside the port's own signals, as
    // it shows a message and closes the port.
    QMetaObject::invokeMethod(
        this, [this, ending] { finish(ending); }, Qt::QueuedConnection);
}

void ReadCommand::finish(Ending ending)
{
    const QString closing = ending == Ending::Received ? t::ReceptionEnd.pick(english_)
                                                       : t::NoCommunication.pick(english_);
    // What was received is stored also after a failure (it is then empty or
    // partial); the window stays responsive while it is stored.
    const DecodeOutcome outcome = Log_Decode(*ctx_.db, reception_.text(), ctx_.now,
                                             [] { QCoreApplication::processEvents(); });
    // The end command stays usable while the records are stored; when the
    // program's exit path has closed the connection meanwhile, the program
    // is ending: the port is closed without telling or searching anything.
    const bool programEnding = !ctx_.db->isOpen();

    if (ui_.indicator)
        ui_.indicator->hide();
    if (!programEnding) {
        ctx_.dialogs->message(window(), closing, t::Title.pick(english_), MsgButtons::Ok,
                              MsgIcon::None);
        if (!outcome.ok())
            ctx_.dialogs->message(window(), t::StoreFailed.pick(english_).arg(outcome.error),
                                  t::Title.pick(english_), MsgButtons::Ok, MsgIcon::Exclamation);
    }

    Com_Close(*MSCM);
    showStop(false);
    // Show what was stored; a read that lost its port after receiving stored
    // records too.
    if (!programEnding && reception_.received() && ui_.search)
        ui_.search();
    setBusy(false);
    state_ = State::Idle;
    emit readFinished();
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
}

QWidget* ReadCommand::window() const
{
    return ui_.button ? ui_.button->window() : nullptr;
}

#include "comm/handset_reader.h"

#include <QIODevice>
#include <QSerialPort>

namespace {
// What the port keeps for us between two looks: a handset faster than the
// storing waits in the operating system's buffer instead of in our memory.
constexpr qint64 kPortBuffer = 64 * 1024;
// The shortest time between two progress reports.
constexpr int kProgressMs = 250;
} // namespace

HandsetReader::HandsetReader(Database& db, Clock now, ReadTimings timings, QObject* parent)
    : QObject(parent), db_(db), now_(std::move(now)), timings_(timings)
{
    // Precise timers: the waits measure whole seconds and must not end early.
    for (QTimer* timer : timers()) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&startTimer_, &QTimer::timeout, this, &HandsetReader::sendRequest);
    connect(&silenceTimer_, &QTimer::timeout, this, &HandsetReader::silenceElapsed);
    connect(&stopTimer_, &QTimer::timeout, this, &HandsetReader::stopWaitElapsed);
    connect(&cutoffTimer_, &QTimer::timeout, this, [this] { endReception(Ending::Received); });
    connect(&commitTimer_, &QTimer::timeout, this, &HandsetReader::commitElapsed);
}

bool HandsetReader::start(QIODevice& device)
{
    if (running())
        return false;
    device_ = &device;
    connect(&device, &QIODevice::readyRead, this, &HandsetReader::takeBytes);
    if (auto* port = qobject_cast<QSerialPort*>(&device)) {
        port->setReadBufferSize(kPortBuffer);
        connect(port, &QSerialPort::errorOccurred, this,
                [this](QSerialPort::SerialPortError error) {
                    // An unplugged adapter shows as a resource error; a failed read or
                    // write leaves no way to finish the conversation either.
                    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                        error == QSerialPort::WriteError)
                        portError();
                });
    }
    reception_ = Reception();
    intake_ = std::make_unique<LogIntake>(db_, now_);
    requested_ = false;
    sinceProgress_.invalidate();
    startTimer_.start(timings_.startWaitMs);
    setState(State::Connecting);
    return true;
}

// The device is in use and reception has not ended.
bool HandsetReader::reading() const
{
    return state_ == State::Connecting || state_ == State::Receiving || state_ == State::Stopping ||
           state_ == State::Draining;
}

void HandsetReader::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void HandsetReader::sendRequest()
{
    if (state_ != State::Connecting)
        return;
    requested_ = true;
    send('A');
    if (!reading())
        return;
    silenceTimer_.start(timings_.silenceMs);
    takeBytes();
}

void HandsetReader::takeBytes()
{
    if (!requested_ || !reading())
        return;
    const QByteArray data = device_->readAll();
    if (data.isEmpty())
        return;
    const Taken taken = consume(data);
    switch (taken) {
    case Taken::Refused:
        endReception(Ending::NoCommunication);
        return;
    case Taken::StoreFailed:
        send('C');
        endReception(Ending::StoreFailed);
        return;
    case Taken::Kept:
        if (intake_->waiting() > 0 && !commitTimer_.isActive())
            commitTimer_.start(timings_.commitMs);
        break;
    case Taken::Nothing:
        break;
    }
    // The silence is counted from the last byte; during a stop request it
    // starts after the second "C".
    if (state_ != State::Stopping)
        silenceTimer_.start(timings_.silenceMs);
    // The answer has begun, or goes on after a stop request: a stop may be asked (again).
    if (taken == Taken::Kept && (state_ == State::Connecting || state_ == State::Draining))
        setState(State::Receiving);
    reportProgress();
}

HandsetReader::Taken HandsetReader::consume(const QByteArray& data)
{
    bool refused = false;
    const QByteArrayView kept = reception_.take(data, refused);
    if (refused)
        return Taken::Refused;
    if (kept.isEmpty())
        return Taken::Nothing;
    intake_->feedBytes(kept);
    // A full chunk is stored at once, between two arrivals: a stop request
    // waits at most for one chunk.
    return intake_->storeChunks(false) ? Taken::Kept : Taken::StoreFailed;
}

void HandsetReader::commitElapsed()
{
    if (!reading())
        return;
    if (!intake_->storeChunks(true)) {
        send('C');
        endReception(Ending::StoreFailed);
        return;
    }
    reportProgress();
}

void HandsetReader::silenceElapsed()
{
    if (!requested_ || !reading() || state_ == State::Stopping)
        return;
    // Look once more at the device itself: a byte may be waiting that the
    // event loop has not delivered yet.
    const qint64 before = reception_.byteCount();
    if (device_->bytesAvailable() == 0)
        device_->waitForReadyRead(0);
    takeBytes();
    if (!reading() || reception_.byteCount() != before)
        return;
    if (reception_.received()) {
        endReception(Ending::Received);
        return;
    }
    send('C');
    endReception(Ending::NoCommunication);
}

void HandsetReader::stop()
{
    if (state_ != State::Receiving)
        return;
    silenceTimer_.stop();
    setState(State::Stopping);
    send('C');
    if (state_ == State::Stopping)
        stopTimer_.start(timings_.stopWaitMs);
}

void HandsetReader::stopWaitElapsed()
{
    if (state_ != State::Stopping)
        return;
    send('C');
    if (state_ != State::Stopping)
        return;
    silenceTimer_.start(timings_.silenceMs);
    // A handset that obeys falls silent; one that goes on is cut off.
    if (!cutoffTimer_.isActive())
        cutoffTimer_.start(timings_.stopCutoffMs);
    setState(State::Draining);
}

void HandsetReader::portError()
{
    endReception(Ending::PortLost);
}

void HandsetReader::endReception(Ending ending)
{
    if (!reading())
        return;
    for (QTimer* timer : timers())
        timer->stop();
    // The rest runs from the event loop, outside the device's own signals,
    // as the owner closes the device once it has heard of the end.
    QMetaObject::invokeMethod(
        this, [this, ending] { finish(ending); }, Qt::QueuedConnection);
    setState(State::Storing);
}

void HandsetReader::finish(Ending ending)
{
    // The program's exit may have ended the read meanwhile.
    if (state_ != State::Storing)
        return;
    intake_->storeChunks(true);
    const Outcome outcome = conclude(ending);
    setState(State::Done);
    emit finished(outcome);
}

// The figures of the read that ends; the device is let go.
HandsetReader::Outcome HandsetReader::conclude(Ending ending)
{
    Outcome outcome;
    outcome.figures = intake_->outcome();
    // A storage failure is the ending: the read did not end as it should.
    outcome.ending = outcome.figures.ok() ? ending : Ending::StoreFailed;
    outcome.answered = reception_.received();
    intake_.reset();
    if (device_)
        device_->disconnect(this);
    device_ = nullptr;
    return outcome;
}

HandsetReader::Outcome HandsetReader::endForExit()
{
    if (!running())
        return {};
    const bool asked = requested_ && reading();
    for (QTimer* timer : timers())
        timer->stop();
    // From here the device's own signals no longer feed the read.
    setState(State::Storing);
    if (asked) {
        send('C');
        drainForExit();
    }
    intake_->storeChunks(true);
    const Outcome outcome = conclude(Ending::Received);
    setState(State::Done);
    return outcome;
}

// Takes what the handset sent before it saw "C", until the line is quiet
// for a moment; a handset that does not stop is cut off as a stop request
// cuts it off.
void HandsetReader::drainForExit()
{
    QElapsedTimer clock;
    clock.start();
    while (device_ && device_->isOpen() && clock.elapsed() < timings_.stopCutoffMs) {
        if (device_->bytesAvailable() == 0 && !device_->waitForReadyRead(timings_.exitDrainMs))
            return;
        const Taken taken = consume(device_->readAll());
        if (taken == Taken::Refused || taken == Taken::StoreFailed)
            return;
    }
}

void HandsetReader::send(char byte)
{
    if (!device_)
        return;
    device_->write(&byte, 1);
    if (auto* port = qobject_cast<QSerialPort*>(device_.data()))
        port->flush();
}

void HandsetReader::reportProgress()
{
    if (!reading() || (sinceProgress_.isValid() && sinceProgress_.elapsed() < kProgressMs))
        return;
    sinceProgress_.start();
    const DecodeOutcome figures = intake_->outcome();
    emit progress(figures.records, figures.stored);
}

#pragma once

#include "base/clock.h"
#include "comm/log_store.h"
#include "comm/reception.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>

class Database;
class QIODevice;

// The waits of one read, in milliseconds.
struct ReadTimings {
    int startWaitMs = 2000;  // after the start, before "A"
    int silenceMs = 1000;    // a second without a byte ends the answer
    int stopWaitMs = 1000;   // between the two "C" of a stop request
    int stopCutoffMs = 3000; // a handset still sending this long after the second "C" is cut off
    int commitMs = 1000;     // the longest a received record waits before it is stored
    int exitDrainMs = 250;   // at exit, after "C": the quiet that ends the bytes still on the way
};

// One read of a handset's logs over a device open for reading and writing:
// the serial port in the program, a pseudo-terminal or a buffer in tests.
// After a wait it asks the handset for its logs with "A", decodes the answer
// as it arrives and stores its complete records in chunks while receiving,
// until a second passes without a byte. A stop request sends "C", waits a
// second and sends "C" again; a handset that goes on sending is cut off a
// few seconds later. Everything is driven by the event loop and nothing
// sleeps. Nothing is shown either: the owner turns the states and the
// outcome into captions and messages. The device stays its owner's, who
// opens it before start() and closes it once the read is done.
class HandsetReader : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,       // no read has run yet
        Connecting, // waiting before "A", then for the first byte of the answer that is kept
        Receiving,  // the answer arrives; stop() is taken
        Stopping,   // between the two "C" of a stop request
        Draining,   // after them: what still comes is taken until a silence or the cut-off
        Storing,    // reception has ended; the last records are being stored
        Done,       // the read has ended; the next one may start
    };
    Q_ENUM(State)

    enum class Ending {
        Received,        // the answer ended by a silence, a stop or the cut-off
        NoCommunication, // no answer, or a preamble whose byte 29 is not 0x0A
        PortLost,        // the device failed during the read
        StoreFailed,     // the database refused records; the chunks stored before stay
    };
    Q_ENUM(Ending)

    struct Outcome {
        Ending ending = Ending::Received;
        bool answered = false; // a byte of the answer was kept
        DecodeOutcome figures;
    };

    HandsetReader(Database& db, Clock now, ReadTimings timings = {}, QObject* parent = nullptr);

    // Starts a read on `device`. False, doing nothing, while a read runs.
    bool start(QIODevice& device);
    // Asks the handset to stop sending; taken only while Receiving.
    void stop();
    // Ends a running read because the program ends: "C" stops the handset,
    // the bytes still on their way are taken and every complete record
    // received is stored. Ends in Done without finished().
    Outcome endForExit();

    State state() const { return state_; }
    bool running() const { return state_ != State::Idle && state_ != State::Done; }
    // Bytes taken from the device by the current or the last read.
    qint64 bytesReceived() const { return reception_.byteCount(); }

signals:
    void stateChanged(HandsetReader::State state);
    // Complete records decoded and rows stored so far, a few times a second
    // at most while the answer arrives.
    void progress(int records, int stored);
    // The read has ended (state Done); the device may be closed.
    void finished(const HandsetReader::Outcome& outcome);

private:
    enum class Taken { Nothing, Kept, Refused, StoreFailed };

    bool reading() const;
    void setState(State state);
    void sendRequest();
    void takeBytes();
    Taken consume(const QByteArray& data);
    void commitElapsed();
    void silenceElapsed();
    void stopWaitElapsed();
    void portError();
    void endReception(Ending ending);
    void finish(Ending ending);
    Outcome conclude(Ending ending);
    void drainForExit();
    void send(char byte);
    void reportProgress();
    std::array<QTimer*, 5> timers()
    {
        return {&startTimer_, &silenceTimer_, &stopTimer_, &cutoffTimer_, &commitTimer_};
    }

    Database& db_;
    Clock now_;
    ReadTimings timings_;
    State state_ = State::Idle;
    QPointer<QIODevice> device_;
    bool requested_ = false; // "A" has been sent
    Reception reception_;
    std::unique_ptr<LogIntake> intake_;
    QElapsedTimer sinceProgress_;
    QTimer startTimer_;
    QTimer silenceTimer_;
    QTimer stopTimer_;
    QTimer cutoffTimer_;
    QTimer commitTimer_;
};

#pragma once

#include "comm/log_store.h"
#include "comm/reception.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

struct AppContext;
class QAction;
class QPushButton;
class QSerialPort;
class QWidget;

// The waits of one read, in milliseconds.
struct ReadTimings {
    int startWaitMs = 2000;  // after opening the port, before "A"
    int silenceMs = 1000;    // a second without a byte ends the answer
    int stopWaitMs = 1000;   // between the two "C" of a stop request
    int stopCutoffMs = 3000; // a handset still sending this long after the second "C" is cut off
    int commitMs = 1000;     // the longest a received record waits before it is stored
    int exitDrainMs = 250;   // at exit, after "C": the quiet that ends the bytes still on the way
};

// The controls of the main window that a read uses.
struct ReadUi {
    QPushButton* button;                  // Cmd_Read: its caption shows the state
    QWidget* indicator;                   // Txt_Yomi: visible while receiving
    std::function<void()> clearGrid;      // cuts the grid back to its heading row
    std::function<void()> search;         // Cmd_Find_Click
    std::function<void()> openPortWindow; // shows Frm_Com modally
    QAction* menuEntry = nullptr;         // M_Read: usable exactly when the button is
};

// The read command of the main window: opens the port, asks the handset for
// its logs with "A", decodes the answer as it arrives and stores its complete
// records in chunks while receiving, until a second passes without a byte;
// then tells the operator how the read ended and shows the stored logs. A
// second click while receiving asks the handset to stop; a handset that goes
// on sending is cut off a few seconds after the second "C". The button is
// usable exactly when its caption names what a click does. Everything is
// driven by the event loop; nothing sleeps.
class ReadCommand : public QObject {
    Q_OBJECT
public:
    ReadCommand(AppContext& ctx, ReadUi ui, ReadTimings timings = {}, QObject* parent = nullptr);
    ~ReadCommand() override;

    // Starts a read, or asks a read that is receiving to stop. Ignored while
    // the button is disabled: before the first byte, during a stop request
    // and while the last records are stored.
    void Cmd_Read_Click();
    bool isReading() const { return state_ != State::Idle; }

    // Ends a running read because the program ends: "C" stops the handset,
    // the bytes still on their way are taken, every complete record received
    // is stored and the port is closed, without the closing message. A
    // storage failure is shown; false then.
    bool endForExit();

    // What the last read did: records received, stored, already stored, invalid.
    const DecodeOutcome& lastRead() const { return lastRead_; }
    // Bytes taken from the port by the current or last read.
    qint64 bytesReceived() const { return reception_.byteCount(); }

    QSerialPort* const MSCM; // the serial control

signals:
    // After the closing message, the port closed and the search run.
    void readFinished();

private:
    enum class State {
        Idle,
        Starting,  // port open, waiting before "A"
        Receiving, // "A" sent, decoding and storing the answer as it comes
        Finishing, // storing the last records and telling the operator
    };
    enum class Ending { Received, Failed, PortLost, StoreFailed };
    enum class Taken { Nothing, Kept, Refused, StoreFailed };

    void start();
    void requestStop();
    void sendRequest();
    void takeBytes();
    Taken consume(const QByteArray& data);
    void silenceElapsed();
    void stopWaitElapsed();
    void commitElapsed();
    void portError();
    void endReception(Ending ending);
    void finish(Ending ending);
    void drainForExit();

    void send(char byte);
    void setBusy(bool busy);
    void showStop(bool stop);
    void updateButton();
    QWidget* window() const;

    AppContext& ctx_;
    ReadUi ui_;
    ReadTimings timings_;
    bool english_ = false;
    State state_ = State::Idle;
    bool stopPending_ = false;
    bool busy_ = false;
    bool showingStop_ = false;
    Reception reception_;
    std::unique_ptr<LogIntake> intake_;
    DecodeOutcome lastRead_;
    QTimer startTimer_;
    QTimer silenceTimer_;
    QTimer stopTimer_;
    QTimer cutoffTimer_;
    QTimer commitTimer_;
};

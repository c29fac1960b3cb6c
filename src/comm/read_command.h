#pragma once

#include "comm/reception.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

struct AppContext;
class QPushButton;
class QSerialPort;
class QWidget;

// The waits of one read, in milliseconds.
struct ReadTimings {
    int startWaitMs = 2000; // after opening the port, before "A"
    int silenceMs = 1000;   // a second without a byte ends the answer
    int stopWaitMs = 1000;  // between the two "C" of a stop request
};

// The controls of the main window that a read uses.
struct ReadUi {
    QPushButton* button;                  // Cmd_Read: its caption shows the state
    QWidget* indicator;                   // Txt_Yomi: visible while receiving
    std::function<void()> clearGrid;      // cuts the grid back to its heading row
    std::function<void()> search;         // Cmd_Find_Click
    std::function<void()> openPortWindow; // shows Frm_Com modally
};

// The read command of the main window: opens the port, asks the handset for
// its logs with "A", collects the answer until a second passes without a
// byte, stores it through Log_Decode, tells the operator how the read ended
// and shows the stored logs. A second click while receiving asks the handset
// to stop. Everything is driven by the event loop; nothing sleeps.
class ReadCommand : public QObject {
    Q_OBJECT
public:
    ReadCommand(AppContext& ctx, ReadUi ui, ReadTimings timings = {}, QObject* parent = nullptr);
    ~ReadCommand() override;

    // Starts a read, or asks a read that is receiving to stop. Ignored while
    // a read waits for its first byte or is being stored.
    void Cmd_Read_Click();
    bool isReading() const { return state_ != State::Idle; }

    QSerialPort* const MSCM; // the serial control

signals:
    // After the closing message, the port closed and the search run.
    void readFinished();

private:
    enum class State {
        Idle,
        Starting,  // port open, waiting before "A"
        Receiving, // "A" sent, collecting the answer
        Finishing, // storing and telling the operator
    };
    enum class Ending { Received, Failed, PortLost };

    void start();
    void requestStop();
    void sendRequest();
    void takeBytes();
    void silenceElapsed();
    void stopWaitElapsed();
    void portError();
    void endReception(Ending ending);
    void finish(Ending ending);

    void send(char byte);
    void setBusy(bool busy);
    void showStop(bool stop);
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
    QTimer startTimer_;
    QTimer silenceTimer_;
    QTimer stopTimer_;
};

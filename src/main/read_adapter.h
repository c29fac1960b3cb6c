#pragma once

#include "comm/handset_reader.h"
#include "ui/busy_cursor.h"

#include <QObject>
#include <optional>

struct AppContext;
class QAction;
class QLabel;
class QPushButton;
class QSerialPort;
class QWidget;

// The main window's controls of a read.
struct ReadControls {
    QPushButton* button; // Cmd_Read: "Read", or "Stop" while the answer arrives
    QAction* menuEntry;  // M_Read: usable exactly when the button is
    QWidget* indicator;  // Txt_Yomi: shown with "Stop"
    QLabel* status;      // LB_Status: what the read does, then its figures
};

// The read command of the main window: a HandsetReader on the window's
// serial control, shown on the read button, its menu entry, the indicator,
// the busy pointer, the closing message and the status line. What the window
// does around a read it is asked by signals.
class ReadAdapter : public QObject {
    Q_OBJECT
public:
    ReadAdapter(AppContext& ctx, ReadControls controls, QWidget* window);

    // Cmd_Read_Click: starts a read, or asks one that is receiving to stop.
    // A click counts only while the button is usable.
    void click();
    // Ends a running read because the program ends, without the closing
    // message. A storage failure is shown; false then.
    bool endForExit();

    QSerialPort* const MSCM; // the serial control

signals:
    void gridToClear();      // a click was taken
    void searchWanted();     // a read that kept part of an answer has ended
    void portWindowWanted(); // the port cannot be opened

private:
    void start();
    void showState(HandsetReader::State state);
    void readFinished(const HandsetReader::Outcome& outcome);

    AppContext& ctx_;
    ReadControls controls_;
    QWidget* window_;
    HandsetReader reader_;
    QString device_; // the device the read opened, named in its failure message
    bool usable_ = true;
    std::optional<BusyCursor> busy_;
};

#pragma once

#include "comm/port_list.h"
#include "comm/port_setting.h"

#include <QDialog>

struct AppContext;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// The port window ("通信設定"): chooses the COM port number the read command
// opens and, from the list of the serial devices present, the device that
// number opens. Shown modally by the main window's communication command and
// by a read whose port cannot be opened. The constructor runs Form_Load.
// The list follows adapters plugged in or out while the window is open.
class Frm_Com : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Com(AppContext& ctx, QWidget* parent = nullptr);

    void Form_Load();
    void Cmd_Add_Click();
    void Cmd_Modoru_Click();
    // Reads the devices present again; the window does so every second.
    void refreshList();

    QLabel* Label1;
    QLabel* Label2;
    QComboBox* Cmb_Port;
    QLabel* LB_Device; // the device the chosen number opens here
    QLabel* LB_List;
    QTreeWidget* List_Port; // the devices present, and the numbers that open each
    QPushButton* Cmd_Add;
    QPushButton* Cmd_Modoru;

private:
    void showPort(const QString& text);
    void showDevice();
    void numberChosen();
    void rowChosen();
    void selectOpenedRow();
    bool keepNumber(int port);
    QString opens(int n) const;

    AppContext& ctx_;
    PortPlace place_;
    PortChoice kept_;
    QList<PortEntry> entries_;
    QStringList states_;
    QString picked_;         // the device chosen from the list for the number; ""
    bool selecting_ = false; // the window itself moves the list's selection
};

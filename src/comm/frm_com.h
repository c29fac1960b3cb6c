#pragma once

#include <QDialog>

struct AppContext;
class QComboBox;
class QLabel;
class QPushButton;

// The port window ("通信設定"): chooses the COM port number the read command
// opens. Shown modally by the main window's communication command and by a
// read whose port cannot be opened. The constructor runs Form_Load.
class Frm_Com : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Com(AppContext& ctx, QWidget* parent = nullptr);

    void Form_Load();
    void Cmd_Add_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label2;
    QComboBox* Cmb_Port;
    QLabel* LB_Device; // the device the chosen number opens here
    QPushButton* Cmd_Add;
    QPushButton* Cmd_Modoru;

private:
    void Set_English();
    void showPort(const QString& text);
    void showDevice();

    AppContext& ctx_;
};

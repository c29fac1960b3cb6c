#pragma once

#include <QMainWindow>

struct AppContext;
class QPushButton;

// Placeholder of the main window until it is built: its end command runs the
// program's exit path.
class Frm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Frm_Main(AppContext& ctx, QWidget* parent = nullptr);
    void Form_Load();
    void Cmd_End_Click();

    QPushButton* Cmd_End;

private:
    AppContext& ctx_;
};

#pragma once

#include <QDialog>
#include <functional>

class QPushButton;

// A window whose controls are not built yet: only its close button
// `Cmd_Modoru`, which runs what closing the full window will run (refreshing
// a list of the main window) and closes it.
class PendingDialog : public QDialog {
    Q_OBJECT
public:
    PendingDialog(const QString& name, const QString& caption, const QString& closeCaption,
                  std::function<void()> onClose, QWidget* parent);

    void Cmd_Modoru_Click();

    QPushButton* Cmd_Modoru;

private:
    std::function<void()> onClose_;
};

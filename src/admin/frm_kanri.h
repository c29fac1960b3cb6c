#pragma once

#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;

// The administration menu: opens the login ID, handset name, log master and
// preservation windows and the operation history, each modally and afresh.
// exec() tells the opener what to read again, as flags: ClosedByButton when the menu was closed by
// its close button (the unit list: handset names may have changed; closing
// by the frame does not), ShownLogsChanged when a window deleted or restored
// logs or changed the texts a search shows (handset names, the log master), however
// the menu was closed.
class Frm_Kanri : public QDialog {
    Q_OBJECT
public:
    enum Result { ClosedByButton = QDialog::Accepted, ShownLogsChanged = 2 };

    explicit Frm_Kanri(AppContext& ctx, QWidget* parent = nullptr);
    void done(int result) override;

    void Cmd_Id_Click();
    void Cmd_Kiki_Click();
    void Cmd_LMaster_Click();
    void Cmd_DB_Click();
    void Cmd_Rireki_Click();
    void Cmd_Modoru_Click();

    QLabel* Label1;
    QPushButton* Cmd_Id;
    QPushButton* Cmd_Kiki;
    QPushButton* Cmd_LMaster;
    QPushButton* Cmd_DB;
    QPushButton* Cmd_Rireki;
    QPushButton* Cmd_Modoru;

private:
    // Runs the window; true when it reports a change (its exec() result).
    template <class Window> bool openModal();

    AppContext& ctx_;
    bool shownLogsChanged_ = false;
};

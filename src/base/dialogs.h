#pragma once

#include <QString>

class QPrinter;
class QWidget;

// Every message box, question, file dialog and print dialog of the program
// goes through this interface. The real one (QtDialogs, ui/qt_dialogs.h)
// shows Qt dialogs; tests answer it and read what was asked.
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
// A question's default button (the one Enter presses) is Yes, or No for a
// question that deletes or overwrites.
enum class MsgButtons { Ok, YesNo, YesNoDefaultNo };
enum class MsgAnswer { Ok, Yes, No };

// What Enter answers in a box with these buttons.
constexpr MsgAnswer defaultAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::Yes;
    case MsgButtons::YesNoDefaultNo:
        return MsgAnswer::No;
    }
    return MsgAnswer::Ok;
}

struct FileDialogRequest {
    QString title;       // empty: the platform's own title
    QString filter;      // "Text (*.csv)|*.csv|All (*.*)|*.*" style, as the windows quote it
    QString startFolder; // empty: no starting folder
    QString fileName;    // proposed file name (save dialogs)
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                              MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None) = 0;
    // The chosen path, or "" when the operator cancels. The save dialog asks
    // before it overwrites an existing file.
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // True when the operator chose to print; the printer carries the choice.
    // The dialog offers no printing into a file.
    virtual bool printDialog(QWidget* parent, QPrinter& printer) = 0;

    // The file where the save dialogs keep, for this user, the folder each
    // was last confirmed in (output/save_dialog.h); "" keeps none.
    void keepFoldersIn(const QString& iniFile) { folderFile_ = iniFile; }
    const QString& folderFile() const { return folderFile_; }

private:
    QString folderFile_;
};

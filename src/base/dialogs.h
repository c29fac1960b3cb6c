#pragma once

#include <QString>

class QPrinter;
class QWidget;

// Every message box, question, file dialog and print dialog of the program
// goes through this interface. The real one (QtDialogs) shows Qt dialogs;
// tests answer it and read what was asked.
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
};

// Qt's own texts (the buttons of message boxes, the file and print dialogs)
// in the program's language: Japanese installs Qt's Japanese translation
// (qtbase_ja from Qt's translations folder), English keeps Qt's own texts.
// False when the translation is not installed; Qt then stays English.
bool useQtTranslation(bool japanese);

// Turns a "Name|pattern|Name|pattern" filter into Qt's ";;" form.
QString qtFileFilter(const QString& filter);

class QtDialogs final : public Dialogs {
public:
    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
};

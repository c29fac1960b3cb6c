#pragma once

#include "base/dialogs.h"

// Qt's own texts (the buttons of message boxes, the file and print dialogs)
// in the program's language: Japanese installs Qt's Japanese translation
// (qtbase_ja from Qt's translations folder), English keeps Qt's own texts.
// False when the translation is not installed; Qt then stays English.
bool useQtTranslation(bool japanese);

class QtDialogs final : public Dialogs {
public:
    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
};

#include "support/scripted_dialogs.h"

MsgAnswer ScriptedDialogs::message(QWidget*, const QString& text, const QString& title,
                                   MsgButtons buttons, MsgIcon icon)
{
    const Message m{text, title, buttons, icon};
    messages << m;
    if (onMessage)
        onMessage(m);
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return answers.isEmpty() ? MsgAnswer::Yes : answers.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget*, const FileDialogRequest& request)
{
    fileRequests << FileRequest{true, request};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget*, const FileDialogRequest& request)
{
    fileRequests << FileRequest{false, request};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

bool ScriptedDialogs::printDialog(QWidget*, QPrinter&)
{
    ++printDialogs;
    return printAnswers.isEmpty() ? true : printAnswers.takeFirst();
}

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
    if (answers.isEmpty())
        return MsgAnswer::Yes;
    return answers.takeFirst().value_or(defaultAnswer(buttons));
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

bool ScriptedDialogs::printDialog(QWidget*, QPrinter& printer)
{
    ++printDialogs;
    const bool confirmed = printAnswers.isEmpty() ? true : printAnswers.takeFirst();
    if (confirmed && onPrint)
        onPrint(printer);
    return confirmed;
}

QStringList ScriptedDialogs::shown() const
{
    QStringList out;
    for (const Message& m : messages)
        out << m.title + QStringLiteral(": ") + m.text +
                   (m.icon == MsgIcon::None ? QString() : QStringLiteral(" (icon)"));
    return out;
}

#pragma once

#include "base/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The message interface as tests use it: every request is recorded, and answers are taken from
// queues (Yes for a question and "" for a file dialog when a queue is empty). A question answered
// by Enter gets its default button's answer.
class ScriptedDialogs final : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
    };
    struct FileRequest {
        bool save;
        FileDialogRequest request;
    };

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    int printDialogs = 0;

    // Answers to questions, in order; Enter presses the question's default button.
    static constexpr std::nullopt_t Enter = std::nullopt;
    QList<std::optional<MsgAnswer>> answers;
    QStringList fileAnswers;  // paths for the file dialogs, in order
    QList<bool> printAnswers; // answers to print dialogs, in order
    // Runs when a message is shown (e.g. to check the state at that moment).
    std::function<void(const Message&)> onMessage;
    // Runs when a print dialog is confirmed: the operator's choice of printer.
    std::function<void(QPrinter&)> onPrint;

    MsgAnswer message(QWidget* parent, const QString& text, const QString& title,
                      MsgButtons buttons, MsgIcon icon) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;

    // Each message as "title: text", followed by " (icon)" when it has an icon.
    QStringList shown() const;
    QString lastText() const { return messages.isEmpty() ? QString() : messages.constLast().text; }
    void clear()
    {
        messages.clear();
        fileRequests.clear();
        printDialogs = 0;
    }
};

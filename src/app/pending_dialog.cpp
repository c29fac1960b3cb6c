#include "app/pending_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

PendingDialog::PendingDialog(const QString& name, const QString& caption,
                             const QString& closeCaption, std::function<void()> onClose,
                             QWidget* parent)
    : QDialog(parent), onClose_(std::move(onClose))
{
    setObjectName(name);
    setWindowTitle(caption);
    Cmd_Modoru = new QPushButton(closeCaption, this);
    Cmd_Modoru->setObjectName(QStringLiteral("Cmd_Modoru"));
    connect(Cmd_Modoru, &QPushButton::clicked, this, &PendingDialog::Cmd_Modoru_Click);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->addWidget(Cmd_Modoru);
}

void PendingDialog::Cmd_Modoru_Click()
{
    if (onClose_)
        onClose_();
    close();
}

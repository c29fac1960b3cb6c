#include "support/modal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

void onNextModal(const std::function<void(QWidget*)>& act)
{
    QWidget* current = QApplication::activeModalWidget();
    auto* poll = new QTimer(QCoreApplication::instance());
    auto deadline = std::make_shared<QElapsedTimer>();
    deadline->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool opened = modal && modal != current;
        if (!opened && deadline->elapsed() < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        if (opened)
            act(modal);
    });
    poll->start(5);
}

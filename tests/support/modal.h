// Answering a modal dialog from a test: the action runs on the dialog once
// it is the active modal window, from the event loop the dialog runs.
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

template <class Dialog> void OnModal(std::function<void(Dialog*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

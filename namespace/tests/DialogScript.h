#pragma once
// Answers a modal dialog from the event loop while the code under test waits in its exec():
// the next visible top-level dialog of type D is handed to act.

#include <QApplication>
#include <QTimer>
#include <functional>

template <typename D> void onDialog(std::function<void(D*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<D*>(w); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(dialog);
                return;
            }
    });
    timer->start(10);
}

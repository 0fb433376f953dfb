#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <functional>

// Runs action on the modal window as soon as one shows, then closes it if the
// action left it open, so a failing check never leaves a test waiting forever.
// *seen tells whether a modal window showed within waitMs.
inline void OnModal(std::function<void(QDialog *)> action, bool *seen = nullptr, int waitMs = 3000)
{
    if (seen)
        *seen = false;
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, seen, waitMs] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal && clock->elapsed() < waitMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return;
        if (seen)
            *seen = true;
        QPointer<QDialog> guard = modal;
        action(modal);
        if (guard && guard->isVisible())
            guard->reject();
    });
    timer->start(10);
}

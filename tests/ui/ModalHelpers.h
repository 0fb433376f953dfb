#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Modal windows block the test; these act on the next one from a timer.

// The widget a key typed now would reach inside `modal`.
inline QWidget *keyTarget(QWidget *modal)
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == modal)
        return focus;
    return modal->focusWidget() ? modal->focusWidget() : modal;
}

inline void pressKey(QWidget *modal, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(modal), key, modifiers);
}

// Runs `action` once a modal window other than the current one is up. A
// watchdog closes it if it is still open after `timeoutMs`, so a failing
// test cannot hang.
inline void onNextModal(std::function<void(QWidget *)> action, int timeoutMs = 5000)
{
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto *poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [=]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != before && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            QPointer<QWidget> watched = modal;
            QTimer::singleShot(timeoutMs, [watched] {
                if (watched && watched->isVisible()) {
                    qWarning("modal window %s still open: closed by the watchdog",
                             qPrintable(watched->objectName()));
                    watched->close();
                }
            });
            action(modal);
            return;
        }
        if (started->elapsed() > timeoutMs) {
            qWarning("no modal window appeared");
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start();
}

#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#define SHOW_ACTIVE(window)                                                                                      \
    (window)->show();                                                                                            \
    QApplication::setActiveWindow(window);                                                                       \
    QVERIFY(QTest::qWaitForWindowActive(window))

#define FOCUS(widget)                                                                                            \
    (widget)->setFocus(Qt::TabFocusReason);                                                                      \
    QTRY_VERIFY((widget)->hasFocus())

inline QString focusName()
{
    QWidget *f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("(none)");
}

// Runs action on the modal window as soon as one shows, then closes it if still
// open, so a failing check never leaves the test waiting. *seen: whether one showed.
inline void OnModal(std::function<void(QDialog *)> action, bool *seen = nullptr, int waitMs = 3000)
{
    if (seen)
        *seen = false;
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        QPointer<QDialog> modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal && clock->elapsed() < waitMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (seen)
            *seen = modal != nullptr;
        if (modal)
            action(modal);
        if (modal && modal->isVisible())
            modal->reject();
    });
    timer->start(10);
}

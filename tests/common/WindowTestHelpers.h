#pragma once

#include "ui/DesktopUserInterface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

#define SHOW_ACTIVE(window)                                                                                            \
    (window)->show();                                                                                                  \
    QApplication::setActiveWindow(window);                                                                             \
    QVERIFY(QTest::qWaitForWindowActive(window))

#define FOCUS(widget)                                                                                                  \
    (widget)->setFocus(Qt::TabFocusReason);                                                                            \
    QTRY_VERIFY((widget)->hasFocus())

inline QString focusName()
{
    QWidget *f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("(none)");
}

// The widget a key typed now would reach inside `modal`.
inline QWidget *keyTarget(QWidget *modal)
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == modal)
        return focus;
    return modal->focusWidget() ? modal->focusWidget() : modal;
}

// A key typed into `modal`'s focus widget. Straight at the widget: through the
// window, "Space answers No" in the message box test never returns under Wine.
inline void pressKey(QWidget *modal, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(modal), key, modifiers);
}

// A modal window blocks the test, so `action` runs from a timer once the next
// one shows (within waitMs); the window is then closed if still open, so a
// failing check cannot leave the test waiting. *seen: whether one showed.
inline void onNextModal(std::function<void(QWidget *)> action, bool *seen = nullptr, int waitMs = 5000)
{
    QPointer<QWidget> before = QApplication::activeModalWidget();
    if (seen)
        *seen = false;
    auto *poll = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        const bool fresh = modal && modal != before && modal->isVisible();
        if (!fresh && clock->elapsed() < waitMs)
            return;
        poll->stop();
        poll->deleteLater();
        if (!fresh)
            return;
        if (seen)
            *seen = true;
        action(modal);
        if (modal && modal->isVisible())
            modal->close();
    });
    poll->start(5);
}

// Input as the window system delivers it: to the widget's top-level QWindow,
// which passes keys on to the focus widget and clicks to the widget under the
// mouse, through the shortcut map and every event filter on the way.
inline QWindow *windowOf(QWidget *w)
{
    return w->window()->windowHandle();
}
inline void sendKey(QWidget *w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(windowOf(w), key, modifiers);
}
inline void sendText(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(windowOf(w), c.toLatin1());
}
inline void sendClick(QWidget *w, QPoint at = QPoint(-1, -1))
{
    const QPoint local = at == QPoint(-1, -1) ? w->rect().center() : at;
    QTest::mouseClick(windowOf(w), Qt::LeftButton, {}, w->mapTo(w->window(), local));
}

// The desktop indicator with messages recorded; Esc typed into `typeInto`'s
// window at the first progress report, which arrives while the work lets events run.
struct EscDuringRun : DesktopUserInterface
{
    QStringList texts;
    QWidget *typeInto = nullptr;
    int showMessage(const QString &text, const QString &, MsgBoxType, MsgButtons, bool) override
    {
        texts << text;
        return 0;
    }
    void showProgress(const ProgressState &s) override
    {
        if (QWidget *w = std::exchange(typeInto, nullptr))
            QTimer::singleShot(0, w, [w] { sendKey(w, Qt::Key_Escape); });
        DesktopUserInterface::showProgress(s);
    }
};

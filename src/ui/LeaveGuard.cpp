#include "LeaveGuard.h"

#include "KeyboardNavigation.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <QWindow>

bool SkipsValidation(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QVariant v = w->property("CausesValidation");
        if (v.isValid() && !v.toBool())
            return true;
    }
    return false;
}

LeaveGuard::LeaveGuard(QWidget *box, std::function<bool()> check, QWidget *owner, std::function<void()> refused)
    : QObject(box)
    , m_box(box)
    , m_owner(owner ? owner : box)
    , m_check(std::move(check))
    , m_refused(std::move(refused))
{
    box->installEventFilter(this);
}

LeaveGuard::~LeaveGuard()
{
    watchApplication(false);
}

void LeaveGuard::watchApplication(bool on)
{
    if (on == m_watching || !qApp)
        return;
    m_watching = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool LeaveGuard::mayLeave()
{
    if (m_check())
        return true;
    if (m_refused)
        m_refused(); // may reword the hint
    showHint();
    // The release of the refused key or click hides any tooltip: show it again after that.
    m_hintPending = true;
    return false;
}

void LeaveGuard::showHint()
{
    // The box's own tooltip is the hint, shown where the user looks.
    if (m_box && m_box->isVisible() && !m_box->toolTip().isEmpty())
        QToolTip::showText(m_box->mapToGlobal(QPoint(0, m_box->height())), m_box->toolTip(), m_box);
}

bool LeaveGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        return onBoxEvent(event);
    if (m_watching && m_box)
        return onApplicationEvent(watched, event);
    return false;
}

bool LeaveGuard::onBoxEvent(QEvent *event)
{
    auto *focus = static_cast<QFocusEvent *>(event);
    if (event->type() == QEvent::FocusIn) {
        m_refusing = false;
        watchApplication(true);
        return false;
    }

    const Qt::FocusReason reason = focus->reason();
    const bool otherWindow = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    QWidget *next = QApplication::focusWidget();
    if (otherWindow || !m_box->isVisible() || SkipsValidation(next) || (next && !isElsewhere(next)) || mayLeave()) {
        watchApplication(false);
        return false;
    }
    // The focus got past the checks: bring it back once the move has finished.
    m_refusing = true;
    QPointer<QWidget> box = m_box;
    QTimer::singleShot(0, box, [this, box] {
        m_refusing = false;
        if (box && box->isVisible())
            box->setFocus(Qt::OtherFocusReason);
        else
            watchApplication(false);
    });
    return false;
}

bool LeaveGuard::isElsewhere(QWidget *widget) const
{
    // Another MDI child window is another form: going there checks nothing.
    return widget && widget != m_box && !(m_owner && m_owner->isAncestorOf(widget)) && widget != m_owner
           && FormScope(widget) == FormScope(m_box);
}

bool LeaveGuard::mayTakeFocus(QWidget *widget) const
{
    QWidget *control = widget;
    // A click on a list's or grid's viewport lands on the view itself.
    if (control->parentWidget() && qobject_cast<QAbstractScrollArea *>(control->parentWidget())
        && !(control->focusPolicy() & Qt::ClickFocus))
        control = control->parentWidget();
    return (control->focusPolicy() & Qt::ClickFocus) || qobject_cast<QAbstractButton *>(control);
}

bool LeaveGuard::onApplicationEvent(QObject *watched, QEvent *event)
{
    if (m_hintPending && (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease)) {
        m_hintPending = false;
        QTimer::singleShot(0, this, [this] { showHint(); });
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        QWidget *target = qobject_cast<QWidget *>(watched);
        // A click from the window system reaches the window first, before the
        // focus moves: find the control under the pointer there.
        if (auto *window = qobject_cast<QWindow *>(watched)) {
            QWidget *top = m_box->window();
            if (top->windowHandle() != window)
                return false;
            target = top->childAt(mouse->position().toPoint());
        }
        // The window's own frame (title bar, close box) never waits for the box.
        if (!target || !isElsewhere(target) || SkipsValidation(target) || target == FormScope(m_box))
            return false;
        if (m_refusing)
            return true;
        if (event->type() == QEvent::MouseButtonRelease || !mayTakeFocus(target))
            return false;
        return !mayLeave();
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            return false;
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        auto *target = qobject_cast<QWidget *>(watched);
        if (!target || FormScope(target) != FormScope(m_box) || m_box != QApplication::focusWidget())
            return false;
        return !mayLeave();
    }
    default:
        return false;
    }
}

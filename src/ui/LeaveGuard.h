#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Keeps the focus in a box whose text must be valid before it may be left.
// While the box has the focus, a click on another control of its window and a
// Tab or Shift+Tab first run the check; when it fails the click or key is
// dropped. A move that gets past (a program setting the focus elsewhere) is
// undone. A control whose "CausesValidation" property is false (a Close
// button) may always take the focus, the frame of the box's own window (its
// title bar and close box) is never held, and losing the focus to another
// window (a pop-up, a modal dialog) checks nothing. Each refusal shows the
// box's tooltip at the box, so the user sees why nothing happened.
class LeaveGuard : public QObject
{
public:
    // check: true when the box may be left; it may rewrite the box's text.
    // owner: the composite control the box belongs to; its own parts do not count
    // as elsewhere.
    // refused, when given, runs after each refusal (the box may mark itself).
    LeaveGuard(QWidget *box, std::function<bool()> check, QWidget *owner = nullptr, std::function<void()> refused = {});
    ~LeaveGuard() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onBoxEvent(QEvent *event);
    bool onApplicationEvent(QObject *watched, QEvent *event);
    bool isElsewhere(QWidget *widget) const;
    bool mayTakeFocus(QWidget *widget) const;
    void watchApplication(bool on);
    // The check; on a refusal the hint and the refused callback.
    bool mayLeave();
    void showHint();

    QPointer<QWidget> m_box;
    QPointer<QWidget> m_owner;
    std::function<bool()> m_check;
    std::function<void()> m_refused;
    bool m_watching = false;
    bool m_refusing = false; // a move was refused; the focus is on its way back
    bool m_hintPending = false; // a refusal's hint waits for the key or button to be released
};

// True when the widget or one of its parents has "CausesValidation" set to false.
bool SkipsValidation(const QWidget *widget);

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
// button) may always take the focus, and losing the focus to another window
// (a pop-up, a modal dialog) checks nothing.
class LeaveGuard : public QObject
{
public:
    // check: true when the box may be left; it may rewrite the box's text.
    // owner: the composite control the box belongs to; its own parts do not count
    // as elsewhere.
    LeaveGuard(QWidget *box, std::function<bool()> check, QWidget *owner = nullptr);
    ~LeaveGuard() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onBoxEvent(QEvent *event);
    bool onApplicationEvent(QObject *watched, QEvent *event);
    bool isElsewhere(QWidget *widget) const;
    bool mayTakeFocus(QWidget *widget) const;
    void watchApplication(bool on);

    QPointer<QWidget> m_box;
    QPointer<QWidget> m_owner;
    std::function<bool()> m_check;
    bool m_watching = false;
    bool m_refusing = false; // a move was refused; the focus is on its way back
};

// True when the widget or one of its parents has "CausesValidation" set to false.
bool SkipsValidation(const QWidget *widget);

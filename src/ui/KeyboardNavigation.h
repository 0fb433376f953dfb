#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// The keyboard contract of the data-entry windows. A widget's "Tag" dynamic
// property configures it: "E" keeps Enter for the field itself, "N" lets only
// digits, "." and Backspace through.

// Acts on a key about to reach the form's active control. Enter (any Shift state)
// moves to the next field and selects its text, unless the control's Tag holds "E";
// Down and Up in a single-line text box move to the next and previous field and
// leave the left box's text selected; Ctrl+Enter in a combo box clears its
// selection; Enter on a command button presses it. True when the key has been acted on; the caller then keeps it from
// the control, which would otherwise also take it (a new line, a default button).
bool HandleFormKeyDown(QWidget *control, int key, Qt::KeyboardModifiers modifiers);

// Sets ch to the null character when the control may not take it.
void HandleFormKeyPress(QWidget *control, QChar &ch);

// Selects the whole text of a text box (line edit or multi-line box).
void SelectAllText(QWidget *textBox);

// The control of the form that holds the focus: the focus widget, or the
// composite control (a date control, a spin box) whose focus proxy it is.
QWidget *ActiveControl(QWidget *form);

// The window or MDI child window whose tab chain the widget belongs to.
QWidget *FormScope(QWidget *widget);

// Moves the focus along the tab chain of from's window as Tab (or Shift+Tab)
// pressed in from would, through a real key event so every check of the field
// being left runs.
void SendTabKey(QWidget *from, bool forward);

// Key preview for a form: the form sees each key before the control that has the
// focus and hands it to HandleFormKeyDown and/or HandleFormKeyPress. Owned by the form.
class KeyPreview : public QObject
{
public:
    enum Handler { KeyDown = 1, KeyPress = 2 };

    explicit KeyPreview(QWidget *form, int handlers = KeyDown | KeyPress);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_form;
    int m_handlers;
    bool m_busy = false;
};

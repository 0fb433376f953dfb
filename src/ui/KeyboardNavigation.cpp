#include "KeyboardNavigation.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

QString tagOf(const QWidget *control)
{
    return control ? control->property("Tag").toString() : QString();
}

bool isSingleLineTextBox(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) != nullptr;
}

QWidget *focusIn(QWidget *scope)
{
    QWidget *f = QApplication::focusWidget();
    if (f && scope && (scope == f || scope->isAncestorOf(f)))
        return f;
    return scope ? scope->focusWidget() : nullptr;
}

void sendKey(QWidget *to, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(to, &release);
}

// Home then Shift+End in the field that now holds the focus, so a text box shows
// its whole text selected. Drop-down lists, buttons and grids keep their state:
// Home and End would change a list's choice behind the user's back.
void selectFromHomeToEnd(QWidget *focus)
{
    if (!focus)
        return;
    const auto *combo = qobject_cast<QComboBox *>(focus);
    const bool editsText = qobject_cast<QLineEdit *>(focus) || qobject_cast<QTextEdit *>(focus)
                           || qobject_cast<QPlainTextEdit *>(focus) || qobject_cast<QAbstractSpinBox *>(focus)
                           || (combo && combo->isEditable());
    if (!editsText)
        return;
    sendKey(focus, Qt::Key_Home, Qt::NoModifier);
    sendKey(focus, Qt::Key_End, Qt::ShiftModifier);
}

} // namespace

QWidget *FormScope(QWidget *widget)
{
    QWidget *w = widget;
    while (w && !w->isWindow() && w->windowType() != Qt::SubWindow && w->parentWidget())
        w = w->parentWidget();
    return w;
}

void SendTabKey(QWidget *from, bool forward)
{
    QWidget *scope = FormScope(from);
    if (!scope)
        return;
    // Sent to the window rather than the field: a multi-line box would take a
    // Tab as a character. QWidget::event turns it into focusNextPrevChild.
    if (forward)
        sendKey(scope, Qt::Key_Tab, Qt::NoModifier);
    else
        sendKey(scope, Qt::Key_Backtab, Qt::ShiftModifier);
}

void SelectAllText(QWidget *textBox)
{
    if (auto *line = qobject_cast<QLineEdit *>(textBox)) {
        line->setSelection(0, int(line->text().size()));
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(textBox)) {
        plain->selectAll();
    } else if (auto *rich = qobject_cast<QTextEdit *>(textBox)) {
        rich->selectAll();
    }
}

QWidget *ActiveControl(QWidget *form)
{
    QWidget *control = focusIn(form);
    if (!control)
        return nullptr;
    // Climb while the parent hands its focus down to what we have so far.
    for (QWidget *p = control->parentWidget(); p && p != form && !p->isWindow(); p = p->parentWidget()) {
        QWidget *proxy = p->focusProxy();
        while (proxy && proxy != control && proxy->focusProxy())
            proxy = proxy->focusProxy();
        if (proxy != control)
            break;
        control = p;
    }
    return control;
}

bool HandleFormKeyDown(QWidget *control, int key, Qt::KeyboardModifiers modifiers)
{
    if (!control)
        return false;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const Qt::KeyboardModifiers shift = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);

    if (isSingleLineTextBox(control) && (key == Qt::Key_Down || key == Qt::Key_Up)) {
        SendTabKey(control, key == Qt::Key_Down);
        SelectAllText(control);
        return true;
    }

    if (qobject_cast<QComboBox *>(control) && enter && shift == Qt::ControlModifier) {
        static_cast<QComboBox *>(control)->setCurrentIndex(-1);
        return true;
    }

    // Enter on a command button presses it rather than passing it by.
    if (auto *button = qobject_cast<QPushButton *>(control); button && enter) {
        button->click();
        return true;
    }

    if (enter && !tagOf(control).contains(QLatin1Char('E'))) {
        SendTabKey(control, true);
        selectFromHomeToEnd(focusIn(FormScope(control)));
        return true;
    }
    return false;
}

void HandleFormKeyPress(QWidget *control, QChar &ch)
{
    if (!tagOf(control).contains(QLatin1Char('N')))
        return;
    const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    if (!digit && ch != QLatin1Char('.') && ch != QLatin1Char('\b'))
        ch = QChar();
}

KeyPreview::KeyPreview(QWidget *form, int handlers)
    : QObject(form)
    , m_form(form)
    , m_handlers(handlers)
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || m_busy || !m_form)
        return false;
    // Only the key's first stop: the widget with the focus, inside this form.
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target || target != QApplication::focusWidget() || !(target == m_form || m_form->isAncestorOf(target)))
        return false;

    auto *key = static_cast<QKeyEvent *>(event);
    QWidget *control = ActiveControl(m_form);
    m_busy = true;
    bool eaten = false;
    if ((m_handlers & KeyDown) && HandleFormKeyDown(control, key->key(), key->modifiers()))
        eaten = true;
    // Characters only; Escape, Tab, Enter and other control keys keep their meaning.
    const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!eaten && (m_handlers & KeyPress) && !shortcut && !key->text().isEmpty()) {
        QChar ch = key->text().at(0);
        if (ch.isPrint() || ch == QLatin1Char('\b')) {
            HandleFormKeyPress(control, ch);
            eaten = ch.isNull();
        }
    }
    m_busy = false;
    return eaten;
}

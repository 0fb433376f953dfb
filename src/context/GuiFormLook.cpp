#include "GuiFormLook.h"

#include <QKeyEvent>
#include <QWidget>

void PaintBackground(QWidget *widget, const QColor &back, const QColor &text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

bool IsEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

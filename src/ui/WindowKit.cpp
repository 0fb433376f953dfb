#include "WindowKit.h"

QFont ArialFont(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void PaintBackground(QWidget *widget, const QColor &back, const QColor &text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, back);
    if (text.isValid())
        p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void PaintText(QWidget *widget, const QColor &text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
}

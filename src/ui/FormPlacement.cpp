#include "FormPlacement.h"

#include "ui/Twips.h"

#include <QWidget>

void PlaceFormBelow(QWidget *window, QWidget *form, double leftShiftTwips)
{
    if (!window || !form)
        return;
    const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
    double left = PixelsToTwipsX(topLeft.x());
    const double top = PixelsToTwipsY(topLeft.y() + window->height());
    if (leftShiftTwips != 0)
        left -= leftShiftTwips;
    form->move(TwipsToPixelsX(left), TwipsToPixelsY(top));
}

#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
double logicalDpi(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96.0;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? dpi : 96.0;
}
} // namespace

double TwipsPerPixelX()
{
    return 1440.0 / logicalDpi(true);
}

double TwipsPerPixelY()
{
    return 1440.0 / logicalDpi(false);
}

int TwipsToPixelsX(double twips)
{
    return int(std::lround(twips / TwipsPerPixelX()));
}

int TwipsToPixelsY(double twips)
{
    return int(std::lround(twips / TwipsPerPixelY()));
}

double PixelsToTwipsX(int pixels)
{
    return pixels * TwipsPerPixelX();
}

double PixelsToTwipsY(int pixels)
{
    return pixels * TwipsPerPixelY();
}

QRect TwipsRect(double left, double top, double width, double height)
{
    return QRect(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(height));
}

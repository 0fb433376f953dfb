#pragma once

#include <QRect>

// Twips are 1/1440 inch. Every position and size given in twips goes through
// these conversions; twips per pixel is 1440 / the screen's logical DPI.
double TwipsPerPixelX();
double TwipsPerPixelY();
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);
// A rectangle given as left, top, width, height in twips, in pixels.
QRect TwipsRect(double left, double top, double width, double height);

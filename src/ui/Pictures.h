#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// Where the pictures come from: drawn from their SVG files (PicturesSvg.cpp)
// or, in a build without Qt Svg, from PNGs rendered from the same files at
// build time at one and two times their size (PicturesPng.cpp).
bool PictureAvailable(const QString &name);
void DrawPicture(QPainter *painter, const QString &name, const QRectF &target);

#pragma once

#include <QRectF>
#include <QResource>
#include <QString>

class QPainter;

// Where the pictures come from: drawn from their SVG files (PicturesSvg.cpp)
// or, in a build without Qt Svg, from PNGs rendered from the same files at
// build time at one and two times their size (PicturesPng.cpp).
bool PictureAvailable(const QString &name);
void DrawPicture(QPainter *painter, const QString &name, const QRectF &target);

// The picture store's resources: a static library's resources have to be
// pulled in by hand, from outside any namespace, once.
inline void InitPictureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(done);
}

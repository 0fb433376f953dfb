#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The picture store: small pictures drawn for this program, kept as a Qt
// resource and loaded once. Forms ask for them by name ("ImgOk", "ImgInfo",
// ...). An unknown name gives a null icon or pixmap.
class FrmImages
{
public:
    static QStringList names();
    static bool contains(const QString &name);
    static QIcon icon(const QString &name);
    // Rendered at `size` logical pixels for the given device pixel ratio.
    static QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio = 1.0);
};

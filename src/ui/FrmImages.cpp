#include "FrmImages.h"

#include "Pictures.h"

#include <QHash>
#include <QPainter>

namespace {
const QStringList kNames = {
    QStringLiteral("ImgInfo"),   QStringLiteral("ImgQuestion"), QStringLiteral("ImgCritical"),
    QStringLiteral("ImgExit"),   QStringLiteral("ImgClose"),    QStringLiteral("ImgOk"),
    QStringLiteral("ImgCancel"), QStringLiteral("ImgXML"),      QStringLiteral("ImgWorkbook"),
};

bool known(const QString &name)
{
    return kNames.contains(name) && PictureAvailable(name);
}
} // namespace

QStringList FrmImages::names()
{
    return kNames;
}

bool FrmImages::contains(const QString &name)
{
    return known(name);
}

QPixmap FrmImages::pixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    if (!known(name) || size.isEmpty())
        return QPixmap();
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPicture(&p, name, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

QIcon FrmImages::icon(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QIcon icon;
    if (known(name)) {
        for (int side : {16, 20, 24, 32, 40, 48, 64, 96})
            icon.addPixmap(pixmap(name, QSize(side, side)));
    }
    cache.insert(name, icon);
    return icon;
}

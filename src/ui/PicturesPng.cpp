#include "Pictures.h"

#include <QHash>
#include <QImage>
#include <QPainter>

namespace {
// The picture at one times its size and at two.
const QImage &image(const QString &name, bool twice)
{
    static QHash<QString, QImage> cache;
    const QString key = name + (twice ? QStringLiteral("@2x") : QString());
    auto it = cache.find(key);
    if (it == cache.end()) {
        InitPictureResources();
        it = cache.insert(key, QImage(QStringLiteral(":/pictures/%1.png").arg(key)));
    }
    return *it;
}
} // namespace

bool PictureAvailable(const QString &name)
{
    return !image(name, false).isNull();
}

void DrawPicture(QPainter *painter, const QString &name, const QRectF &target)
{
    const QImage &small = image(name, false);
    const qreal pixels = target.width() * painter->device()->devicePixelRatioF();
    const QImage &best = pixels > small.width() && !image(name, true).isNull() ? image(name, true) : small;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, best);
}

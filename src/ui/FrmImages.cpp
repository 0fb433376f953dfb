#include "FrmImages.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

// Resources of a static library have to be pulled in by hand.
static void initPictureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
const QStringList kNames = {
    QStringLiteral("ImgInfo"),   QStringLiteral("ImgQuestion"), QStringLiteral("ImgCritical"),
    QStringLiteral("ImgExit"),   QStringLiteral("ImgClose"),    QStringLiteral("ImgOk"),
    QStringLiteral("ImgCancel"), QStringLiteral("ImgXML"),      QStringLiteral("ImgWorkbook"),
};

QSvgRenderer *renderer(const QString &name)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    if (!kNames.contains(name))
        return nullptr;
    auto it = cache.find(name);
    if (it == cache.end()) {
        initPictureResources();
        auto r = std::make_shared<QSvgRenderer>(QStringLiteral(":/pictures/%1.svg").arg(name));
        it = cache.insert(name, r->isValid() ? r : nullptr);
    }
    return it->get();
}
} // namespace

QStringList FrmImages::names()
{
    return kNames;
}

bool FrmImages::contains(const QString &name)
{
    return renderer(name) != nullptr;
}

QPixmap FrmImages::pixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    QSvgRenderer *r = renderer(name);
    if (!r || size.isEmpty())
        return QPixmap();
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    r->render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

QIcon FrmImages::icon(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QIcon icon;
    if (renderer(name)) {
        for (int side : {16, 20, 24, 32, 40, 48, 64, 96})
            icon.addPixmap(pixmap(name, QSize(side, side)));
    }
    cache.insert(name, icon);
    return icon;
}

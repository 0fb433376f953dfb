#include "Pictures.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace {
QSvgRenderer *renderer(const QString &name)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        InitPictureResources();
        auto r = std::make_shared<QSvgRenderer>(QStringLiteral(":/pictures/%1.svg").arg(name));
        it = cache.insert(name, r->isValid() ? r : nullptr);
    }
    return it->get();
}
} // namespace

bool PictureAvailable(const QString &name)
{
    return renderer(name) != nullptr;
}

void DrawPicture(QPainter *painter, const QString &name, const QRectF &target)
{
    if (QSvgRenderer *r = renderer(name))
        r->render(painter, target);
}

#include "JunkPixmap.h"

#include "kit/ResPath.h"

#include <QPixmapCache>

QPixmap JunkPixmap(const QString& file)
{
    const QString path = GetResHostPath(file, QStringLiteral("res"));
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap) && pixmap.load(path))
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}

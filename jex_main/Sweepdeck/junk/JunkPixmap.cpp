#include "JunkPixmap.h"

#include "kit/ResPath.h"

#include <QPixmapCache>

QPixmap CachedPixmap(const QString& hostPath)
{
    QPixmap pixmap;
    if (!QPixmapCache::find(hostPath, &pixmap) && pixmap.load(hostPath))
        QPixmapCache::insert(hostPath, pixmap);
    return pixmap;
}

QPixmap JunkPixmap(const QString& file) { return CachedPixmap(GetResHostPath(file, QStringLiteral("res"))); }

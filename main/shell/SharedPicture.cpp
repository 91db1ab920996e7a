#include "SharedPicture.h"

#include <QPixmapCache>

namespace {

// Pictures are Qt pixmaps, so they are made and kept on the GUI thread only, as the cache is.
QPixmap Cached(const QString& key, QPixmap (*make)(const QString& path), const QString& path)
{
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    picture = make(path);
    if (!picture.isNull())
        QPixmapCache::insert(key, picture);
    return picture;
}

QPixmap Decode(const QString& path) { return QPixmap(path); }

QPixmap MaskOf(const QString& path) { return SharedPicture(path).mask(); }

} // namespace

QPixmap SharedPicture(const QString& path) { return Cached(path, &Decode, path); }

QBitmap SharedMask(const QString& path)
{
    return QBitmap(Cached(QStringLiteral("mask:") + path, &MaskOf, path));
}

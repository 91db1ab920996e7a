#include "common/MachinePicture.h"

#include "common/MachineFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmapCache>

#include <algorithm>
#include <sys/stat.h>

namespace {

QByteArray PictureBytes(QFile& file)
{
    QByteArray bytes;
    machine_file::ReadWhole(file, machine_file::kLargestPicture, bytes);
    return bytes;
}

QByteArray PictureBytes(const QString& windowsPath)
{
    QFile file;
    return machine_file::OpenForReading(windowsPath, file) ? PictureBytes(file) : QByteArray();
}

// Which file the descriptor reached and which version of it: a picture is decoded again once its
// file changed, as Qt's own loading by name does. Empty when the file cannot be told.
QString VersionKey(const QFile& file)
{
    struct stat st {};
    if (fstat(file.handle(), &st) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(static_cast<qulonglong>(st.st_dev))
        .arg(static_cast<qulonglong>(st.st_ino))
        .arg(static_cast<qlonglong>(st.st_size))
        .arg(static_cast<qlonglong>(st.st_mtim.tv_sec))
        .arg(static_cast<qlonglong>(st.st_mtim.tv_nsec));
}

// The ICO reader keeps the depth an image had in the file, as Qt's icons read it.
int OriginalIcoDepth(const QImage& image)
{
    bool known = false;
    const int depth = image.text(QStringLiteral("_q_icoOrigDepth")).toInt(&known);
    return known ? depth : image.depth();
}

// What make turns the file's picture into, made once per version of the file (see VersionKey).
QPixmap Cached(const QString& windowsPath, const QString& kind, QPixmap (*make)(const QImage&))
{
    QFile file;
    if (!machine_file::OpenForReading(windowsPath, file))
        return QPixmap();
    const QString version = VersionKey(file);
    const QString key = kind + QLatin1Char(':') + version;
    QPixmap made;
    if (!version.isEmpty() && QPixmapCache::find(key, &made))
        return made;
    made = make(QImage::fromData(PictureBytes(file)));
    if (!version.isEmpty() && !made.isNull())
        QPixmapCache::insert(key, made);
    return made;
}

} // namespace

QImage ReadPicture(const QString& windowsPath) { return QImage::fromData(PictureBytes(windowsPath)); }

QPixmap CachedPicture(const QString& windowsPath)
{
    return Cached(windowsPath, QStringLiteral("picture"),
                  [](const QImage& image) { return QPixmap::fromImage(image); });
}

QBitmap CachedMask(const QString& windowsPath)
{
    return QBitmap(Cached(windowsPath, QStringLiteral("mask"),
                          [](const QImage& image) -> QPixmap { return QPixmap::fromImage(image).mask(); }));
}

QIcon ReadIcon(const QString& windowsPath)
{
    QBuffer buffer;
    buffer.setData(PictureBytes(windowsPath));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QList<QImage> images;
    // The reader stays at an image until told to go on; a file of one image has no next.
    for (QImage image; reader.read(&image) && !image.isNull(); ) {
        const auto sameSize = std::find_if(images.begin(), images.end(),
                                           [&](const QImage& kept) { return kept.size() == image.size(); });
        if (sameSize == images.end())
            images.append(image);
        else if (OriginalIcoDepth(image) > OriginalIcoDepth(*sameSize))
            *sameSize = image;
        if (!reader.jumpToNextImage())
            break;
    }
    QIcon icon;
    for (const QImage& image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QMovie* OpenMovie(const QString& windowsPath, QObject* parent)
{
    auto* movie = new QMovie(parent);
    auto* buffer = new QBuffer(movie);
    buffer->setData(PictureBytes(windowsPath));
    buffer->open(QIODevice::ReadOnly);
    movie->setDevice(buffer);
    return movie;
}

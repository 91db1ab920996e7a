#include "FileIconCache.h"

#include "platform/Windows.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace {

const QString kUnknownExtension = QStringLiteral(".UnknownExt");
// The point included.
constexpr int kLongestExtension = 5;
constexpr int kMostIcons = 501;

bool IsRegisteredType(const QString& extension)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, extension.toStdWString().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The type a file of the extension has by its name, as the desktop's type database knows it. No
// sample file is made: one in the host's temporary folder would lie outside the machine, and one in
// the machine's would have to be handed to Qt by its host name.
QMimeType TypeOf(const QString& extension)
{
    return QMimeDatabase().mimeTypeForFile(QStringLiteral("sample") + extension, QMimeDatabase::MatchExtension);
}

} // namespace

// The desktop's icon for the type where its icon theme has one, else the plain file icon that the
// icon provider gives any file it knows nothing more of.
QIcon MakeFileTypeIcon(const QString& extension)
{
    const QMimeType type = TypeOf(extension);
    const QIcon plainFile = QFileIconProvider().icon(QFileIconProvider::File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), plainFile));
}

QString MakeFileTypeName(const QString& extension)
{
    const QMimeType type = TypeOf(extension);
    return type.comment().isEmpty() ? type.name() : type.comment();
}

QString CFileIconCache::ExtensionOf(const QString& fileName)
{
    const int separator = std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char('/')));
    const QString name = fileName.mid(separator + 1);
    const int point = name.lastIndexOf(QLatin1Char('.'));
    if (point < 0 || point == name.size() - 1)
        return kUnknownExtension;
    const QString extension = name.mid(point);
    return extension.size() > kLongestExtension ? kUnknownExtension : extension;
}

QIcon CFileIconCache::Icon(const QString& fileName)
{
    QString extension = ExtensionOf(fileName);
    auto cached = icons_.constFind(extension);
    if (cached != icons_.constEnd())
        return *cached;
    if (extension != kUnknownExtension && !IsRegisteredType(extension)) {
        extension = kUnknownExtension;
        cached = icons_.constFind(extension);
        if (cached != icons_.constEnd())
            return *cached;
    }
    const QIcon icon = MakeFileTypeIcon(extension);
    if (icons_.size() >= kMostIcons)
        icons_.erase(icons_.begin());
    icons_.insert(extension, icon);
    return icon;
}

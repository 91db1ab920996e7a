#include "FileIconCache.h"

#include "platform/Windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QTemporaryFile>

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

// What the shell says of an empty file of the type, asked while the file exists; it is gone after.
template <class Answer>
auto AskAboutSample(const QString& extension, Answer answer) -> decltype(answer(QFileInfo()))
{
    QTemporaryFile file(QDir::tempPath() + QDir::separator() + QCoreApplication::applicationName() +
                        QStringLiteral("_XXXXXX") + extension);
    if (!file.open())
        return {};
    const QFileInfo sample(file.fileName());
    file.close();
    return answer(sample);
}

} // namespace

QIcon MakeFileTypeIcon(const QString& extension)
{
    return AskAboutSample(extension, [](const QFileInfo& sample) { return QFileIconProvider().icon(sample); });
}

QString MakeFileTypeName(const QString& extension)
{
    return AskAboutSample(extension, [](const QFileInfo& sample) { return QFileIconProvider().type(sample); });
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

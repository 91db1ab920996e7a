#include "ResPicture.h"

#include "ResPath.h"

#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QPixmapCache>
#include <QSet>

#include <utility>

namespace {

const QString kResFolder = QStringLiteral("res");

QString HostPathOf(const QString& windowsPath)
{
    return QString::fromStdString(platform::HostPath(windowsPath.toStdWString()));
}

// Each log names each unreadable picture once, however often it is asked for. The log lies in the
// machine's temporary folder, so its host folder tells one log from another. Pictures are read on the GUI thread
// only, as Qt's pixmaps must be.
void LogUnreadable(const QString& windowsPath)
{
    static QSet<QString> logged;
    wchar_t logFolder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, logFolder);
    const std::wstring folder(logFolder, length < MAX_PATH ? length : 0);
    const QString key = HostPathOf(QString::fromStdWString(folder)) + QLatin1Char('|') + windowsPath;
    if (logged.contains(key))
        return;
    logged.insert(key);
    const std::wstring path = windowsPath.toStdWString();
    WriteLog(L"[Sweepdeck] picture cannot be loaded: %ls", path.c_str());
}

} // namespace

QPixmap LoadPicture(const QString& windowsPath)
{
    // Kept by host path: one Windows path leads to other files when the machine changes.
    const QString hostPath = windowsPath.isEmpty() ? QString() : HostPathOf(windowsPath);
    QPixmap picture;
    if (!hostPath.isEmpty() && QPixmapCache::find(hostPath, &picture))
        return picture;
    if (!hostPath.isEmpty() && picture.load(hostPath))
        QPixmapCache::insert(hostPath, picture);
    else
        LogUnreadable(windowsPath);
    return picture;
}

QPixmap ResPicture(const QString& file) { return LoadPicture(GetResPath(file, kResFolder)); }

QIcon ResIcon(const QString& file)
{
    const QPixmap picture = ResPicture(file);
    return picture.isNull() ? QIcon() : QIcon(picture);
}

QIcon ResStatesIcon(const QString& stem)
{
    QIcon icon;
    const std::pair<const char*, QIcon::Mode> states[] = {
        {"_nomal.png", QIcon::Normal}, {"_hover.png", QIcon::Active}, {"_press.png", QIcon::Selected},
        {"_disable.png", QIcon::Disabled}};
    for (const auto& [suffix, mode] : states)
        icon.addPixmap(ResPicture(stem + QLatin1String(suffix)), mode);
    return icon;
}

QString ResPictureUrl(const QString& file)
{
    const QString windowsPath = GetResPath(file, kResFolder);
    LoadPicture(windowsPath);
    return QStringLiteral("url(\"%1\")").arg(HostPathOf(windowsPath));
}

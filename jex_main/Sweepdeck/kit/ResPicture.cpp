#include "ResPicture.h"

#include "ResPath.h"

#include "common/MachinePicture.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"

#include <QSet>

#include <utility>

namespace {

const QString kResFolder = QStringLiteral("res");

// Each log names each unreadable picture once, however often it is asked for; the machine's root
// tells one log from another. Pictures are read on the GUI thread only, as Qt's pixmaps must be.
void LogUnreadable(const QString& windowsPath)
{
    static QSet<QString> logged;
    const QString key = QString::fromStdString(platform::Machine().root) + QLatin1Char('|') + windowsPath;
    if (logged.contains(key))
        return;
    logged.insert(key);
    const std::wstring path = windowsPath.toStdWString();
    WriteLog(L"[Sweepdeck] picture cannot be loaded: %ls", path.c_str());
}

} // namespace

QPixmap LoadPicture(const QString& windowsPath)
{
    const QPixmap picture = windowsPath.isEmpty() ? QPixmap() : CachedPicture(windowsPath);
    if (picture.isNull())
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

// Qt's style sheets take pictures by host path only. Such a picture is one of the program
// folder's, the layer's own place, not a name of the machine's user; one whose name leads out of
// the machine is no url at all.
QString ResPictureUrl(const QString& file)
{
    const QString windowsPath = GetResPath(file, kResFolder);
    LoadPicture(windowsPath);
    const std::string hostPath = platform::HostPath(windowsPath.toStdWString());
    return hostPath.empty() ? QString() : QStringLiteral("url(\"%1\")").arg(QString::fromStdString(hostPath));
}

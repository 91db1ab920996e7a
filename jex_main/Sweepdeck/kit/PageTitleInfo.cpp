#include "PageTitleInfo.h"

#include "common/ModuleDir.h"
#include "platform/Machine.h"

#include <QSettings>

int HeaderFontPixelSize()
{
    constexpr int kDefault = 14;
    const std::wstring folder = GetModuleDir();
    if (folder.empty())
        return kDefault;
    const QSettings config(QString::fromStdString(platform::HostPath(folder + L"UIConfigAdd.ini")),
                           QSettings::IniFormat);
    bool isNumber = false;
    const int size = config.value(QStringLiteral("Cleanup/titleFontPixcelSize")).toInt(&isNumber);
    return isNumber && size > 0 ? size : kDefault;
}

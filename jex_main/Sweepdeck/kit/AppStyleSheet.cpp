#include "AppStyleSheet.h"

#include "common/ModuleDir.h"
#include "platform/Machine.h"

#include <QFile>

QString ReadAppStyleSheet()
{
    const std::wstring folder = GetModuleDir();
    if (folder.empty())
        return {};
    QFile sheet(QString::fromStdString(platform::HostPath(folder + L"res\\StyleSheet.css")));
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(sheet.readAll());
}

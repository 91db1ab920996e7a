#include "ElevatedRestart.h"

#include "common/ModuleDir.h"
#include "platform/Machine.h"
#include "platform/win/Process.h"

#include <QSettings>
#include <QString>

#include <string>

namespace {

// The record size Windows' 32-bit shell checks.
constexpr DWORD kRecordSize = 60;

std::wstring ProgramName(const std::wstring& folder)
{
    const QSettings config(QString::fromStdString(platform::HostPath(folder + L"UIConfigAdd.ini")),
                           QSettings::IniFormat);
    const QString name = config.value(QStringLiteral("Cleanup/Name"), QStringLiteral("Sweepdeck.exe")).toString();
    return name.toStdWString();
}

} // namespace

bool RestartElevated(int page)
{
    const std::wstring folder = GetModuleDir();
    const std::wstring file = folder + ProgramName(folder);
    const std::wstring parameters = L"restart " + std::to_wstring(page);
    SHELLEXECUTEINFOW info{};
    info.cbSize = kRecordSize;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info))
        return true;
    info.lpVerb = nullptr;
    return ShellExecuteExW(&info) != FALSE;
}

#include "ElevatedRestart.h"

#include "common/ModuleDir.h"
#include "common/WriteLog.h"
#include "kit/UIConfig.h"
#include "platform/win/Process.h"

#include <QString>

#include <string>

namespace {

// The record size Windows' 32-bit shell checks.
constexpr DWORD kRecordSize = 60;

// The configured program's file name; empty when the name is no plain name of the program folder's:
// the file may be the user's to write, and what it names is started with administrator rights.
std::wstring ProgramName()
{
    const QString name = UIConfigText(L"Name", QStringLiteral("Sweepdeck.exe"));
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')) ||
        name.contains(QLatin1String(".."))) {
        WriteLogText((L"[Sweepdeck] restart refused, the program name leaves the program folder: " +
                      name.toStdWString()).c_str());
        return std::wstring();
    }
    return name.toStdWString();
}

} // namespace

bool RestartElevated(int page)
{
    const std::wstring folder = GetModuleDir();
    const std::wstring name = ProgramName();
    if (name.empty())
        return false;
    const std::wstring file = folder + name;
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

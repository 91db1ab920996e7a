#include "StartupGuards.h"

#include <QByteArray>

#include <cstring>

namespace {

constexpr DWORD kLinesPerScaleStep = 810;

} // namespace

std::wstring GetProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program = path;
    const size_t slash = program.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : program.substr(0, slash);
}

bool IsStartupLocked(const std::wstring& programFolder)
{
    const std::wstring ini = programFolder + L"\\kyphtupdate.ini";
    return GetPrivateProfileIntW(L"block", L"main", 0, ini.c_str()) != 0;
}

void WaitWhileStartupLocked(const std::wstring& programFolder)
{
    if (!IsStartupLocked(programFolder))
        return;
    // The installer or updater that set the lock ends this process.
    for (;;)
        Sleep(1);
}

unsigned ScaleFactorForHeight(DWORD height)
{
    const unsigned factor = height / kLinesPerScaleStep;
    return factor > 1 ? factor : 0;
}

void ApplyScaleFactor()
{
    DEVMODEW mode {};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return;
    if (const unsigned factor = ScaleFactorForHeight(mode.dmPelsHeight))
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor));
}

SStartupWords ReadStartupWords(int argc, char** argv)
{
    SStartupWords words;
    if (argc > 1 && argv[1]) {
        words.autostart = std::strcmp(argv[1], "autostart") == 0;
        words.autoscan = std::strcmp(argv[1], "autoscan") == 0;
    }
    return words;
}

bool IsInstanceRunning(const wchar_t* mutexName)
{
    if (!mutexName || !*mutexName)
        return false;
    SetLastError(ERROR_SUCCESS);
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName);
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        if (mutex)
            CloseHandle(mutex);
        return true;
    }
    return false;
}

#include "PluginLoader.h"

#include "common/WriteLog.h"

FARPROC LoadProcFromLibrary(const wchar_t* file, const char* proc)
{
    if (!file || !proc)
        return nullptr;
    const HMODULE module = LoadLibraryW(file);
    if (module)
        return GetProcAddress(module, proc);
    const DWORD error = GetLastError();
    if (_wcsicmp(file, L"Jotwell.dll") != 0)
        WriteLog(L"Loadd %ls err=%u", file, static_cast<unsigned>(error));
    return nullptr;
}

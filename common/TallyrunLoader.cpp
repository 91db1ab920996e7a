#include "common/TallyrunLoader.h"

#include <cstring>
#include <string>

bool GetModuleDirA(char* buffer)
{
    if (!buffer)
        return false;
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&GetModuleDirA), &self))
        return false;
    if (GetModuleFileNameA(self, buffer, MAX_PATH) == 0)
        return false;
    buffer[MAX_PATH - 1] = '\0';
    char* lastBackslash = std::strrchr(buffer, '\\');
    if (!lastBackslash)
        return false;
    lastBackslash[1] = '\0';
    return true;
}

HMODULE LoadLibFromModuleDir(const char* name)
{
    char folder[MAX_PATH] = {};
    if (GetModuleDirA(folder))
        return LoadLibraryA((std::string(folder) + name).c_str());
    return LoadLibraryA(name);
}

FARPROC TallyrunGetProc(const char* entryPoint)
{
    HMODULE library = LoadLibFromModuleDir("Tallyrun.dll");
    if (!library)
        library = LoadLibFromModuleDir("Tallyrun.dll");
    return library ? GetProcAddress(library, entryPoint) : nullptr;
}

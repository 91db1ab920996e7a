#include "jex_main/Scatterscope/MiscFunc.h"

namespace {

typedef void (*RtlGetNtVersionNumbersProc)(LPDWORD, LPDWORD, LPDWORD);
typedef BOOL (*IsWow64ProcessProc)(HANDLE, PBOOL);
typedef BOOLEAN (*Wow64EnableWow64FsRedirectionProc)(BOOLEAN);

// Through void (*)(), the pointer type that stands for any function.
template <class Proc>
Proc Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool ReportedVersion(OSVERSIONINFOW& version)
{
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) != FALSE;
}

} // namespace

OpResult IsVistaOrLater(bool& vistaOrLater)
{
    OSVERSIONINFOW version;
    if (!ReportedVersion(version))
        return MakeResult(0x12B, RESULT_SYSTEM_CALL);
    vistaOrLater = version.dwMajorVersion > 5;
    return RESULT_OK;
}

OpResult IsWin7OrLater(bool& win7OrLater)
{
    OSVERSIONINFOW version;
    if (!ReportedVersion(version))
        return MakeResult(0x140, RESULT_SYSTEM_CALL);
    win7OrLater = (version.dwMajorVersion == 6 && version.dwMinorVersion != 0) || version.dwMajorVersion > 6;
    return RESULT_OK;
}

OpResult GetNtVersion(DWORD& major, DWORD& minor)
{
    const HMODULE ntdll = LoadLibraryW(L"Ntdll.dll");
    if (!ntdll)
        return MakeResult(0x158, RESULT_SYSTEM_CALL);
    if (const auto numbers = Entry<RtlGetNtVersionNumbersProc>(ntdll, "RtlGetNtVersionNumbers")) {
        DWORD build = 0;
        numbers(&major, &minor, &build);
        return RESULT_OK;
    }
    OSVERSIONINFOW version;
    if (!ReportedVersion(version))
        return MakeResult(0x168, RESULT_SYSTEM_CALL);
    major = version.dwMajorVersion;
    minor = version.dwMinorVersion;
    return RESULT_OK;
}

OpResult SetWow64FsRedirection(bool on)
{
    const HMODULE kernel32 = LoadLibraryW(L"Kernel32.dll");
    if (!kernel32)
        return MakeResult(0xF2, RESULT_SYSTEM_CALL);
    const auto isWow64 = Entry<IsWow64ProcessProc>(kernel32, "IsWow64Process");
    if (!isWow64)
        return RESULT_OK;
    BOOL wow64 = FALSE;
    if (!isWow64(GetCurrentProcess(), &wow64))
        return MakeResult(0xFF, RESULT_SYSTEM_CALL);
    if (!wow64)
        return RESULT_OK;
    const auto enable = Entry<Wow64EnableWow64FsRedirectionProc>(kernel32, "Wow64EnableWow64FsRedirection");
    if (!enable)
        return MakeResult(0x10B, RESULT_SYSTEM_CALL);
    if (!enable(on ? TRUE : FALSE))
        return MakeResult(0x112, RESULT_SYSTEM_CALL);
    return RESULT_OK;
}

OpResult GetHostFolder(std::wstring& folder)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return MakeResult(0x38, RESULT_SYSTEM_CALL);
    const std::wstring text(path, length);
    const size_t backslash = text.rfind(L'\\');
    if (backslash == std::wstring::npos)
        return MakeResult(0x3F, RESULT_NO_CALLBACK);
    folder = text.substr(0, backslash);
    return RESULT_OK;
}

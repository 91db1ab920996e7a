#include "KyCrush.h"

#include <cwchar>
#include <iterator>

namespace {

// Found when the filter is installed, so that a crash only formats the command line and starts
// the writer.
wchar_t g_programPath[MAX_PATH];
wchar_t g_dumperPath[MAX_PATH + 16];
wchar_t g_commandLine[2 * MAX_PATH + 64];

void FindPaths()
{
    g_dumperPath[0] = L'\0';
    if (!GetModuleFileNameW(nullptr, g_programPath, MAX_PATH))
        return;
    const wchar_t* slash = std::wcsrchr(g_programPath, L'\\');
    if (!slash)
        return;
    const size_t folder = static_cast<size_t>(slash - g_programPath);
    std::wmemcpy(g_dumperPath, g_programPath, folder);
    std::wcscpy(g_dumperPath + folder, L"\\dumper.exe");
}

} // namespace

void CKyCrush::Install()
{
    FindPaths();
    SetUnhandledExceptionFilter(CrashFilter);
}

LONG CrashFilter(EXCEPTION_POINTERS* exceptionInfo)
{
    if (!exceptionInfo || !exceptionInfo->ExceptionRecord || !g_dumperPath[0])
        return EXCEPTION_CONTINUE_SEARCH;
    std::swprintf(g_commandLine, std::size(g_commandLine), L"\"%ls\" %lu %lu %p", g_programPath,
                  static_cast<unsigned long>(GetCurrentProcessId()), static_cast<unsigned long>(GetCurrentThreadId()),
                  static_cast<void*>(exceptionInfo));
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(g_dumperPath, g_commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process))
        return EXCEPTION_CONTINUE_SEARCH;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return EXCEPTION_EXECUTE_HANDLER;
}

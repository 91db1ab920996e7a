#include "RenewerRun.h"

#include "common/ModuleDir.h"

#include <vector>

std::wstring RenewerCommandLine(const std::wstring& word)
{
    const std::wstring folder = GetModuleDir();
    if (folder.empty())
        return std::wstring();
    // Quoted, so that a program folder with blanks starts Renewer and nothing else.
    std::wstring commandLine = L"\"" + folder + L"Renewer.exe\"";
    if (!word.empty())
        commandLine += L" " + word;
    return commandLine;
}

DWORD RunRenewer(const std::wstring& word, DWORD waitMs)
{
    const std::wstring commandLine = RenewerCommandLine(word);
    if (commandLine.empty())
        return 0;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return 0;
    const bool ended = WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0;
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    // A run given up on must not go on beside the next one: a second press would start a second
    // Renewer downloading into the same folder.
    if (!ended && TerminateProcess(process.hProcess, exitCode))
        WaitForSingleObject(process.hProcess, kRenewerEndMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

int RenewerTask(void* word)
{
    const auto* text = static_cast<const wchar_t*>(word);
    return static_cast<int>(RunRenewer(text ? text : L"", kRenewerWaitMs));
}

#include "UserToken.h"

HANDLE FindUserToken()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE userToken = nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !userToken; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, TRUE, entry.th32ProcessID);
        if (!process)
            continue;
        HANDLE token = nullptr;
        if (OpenProcessToken(process, TOKEN_ALL_ACCESS, &token)) {
            if (_wcsicmp(entry.szExeFile, L"explorer.exe") == 0)
                DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &userToken);
            CloseHandle(token);
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return userToken;
}

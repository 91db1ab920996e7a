#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::TempMachine;

namespace {

std::vector<PROCESSENTRY32W> Processes()
{
    std::vector<PROCESSENTRY32W> list;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        list.push_back(entry);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    CloseHandle(snapshot);
    return list;
}

} // namespace

TEST(UserShell, ExplorerRunsAndLendsItsTokenForImpersonation)
{
    TempMachine machine;
    const auto list = Processes();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].szExeFile, L"explorer.exe");
    EXPECT_EQ(std::wstring(list[1].szExeFile), L"platform_shell_tests.exe");

    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, TRUE, list[0].th32ProcessID);
    ASSERT_NE(process, nullptr);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(process, TOKEN_ALL_ACCESS, &token));
    HANDLE duplicate = nullptr;
    ASSERT_TRUE(DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &duplicate));
    EXPECT_NE(duplicate, token);
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_TRUE(CloseHandle(process));
    EXPECT_TRUE(ImpersonateLoggedOnUser(duplicate));
    EXPECT_TRUE(RevertToSelf());
    EXPECT_TRUE(CloseHandle(duplicate));
}

TEST(UserShell, WithoutTheShellNoExplorerIsListed)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nShellRunning=0\n");
    const auto list = Processes();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(std::wstring(list[0].szExeFile), L"platform_shell_tests.exe");
}

TEST(UserShell, WrongHandlesAndRecordsAreRefused)
{
    TempMachine machine;
    EXPECT_EQ(CreateToolhelp32Snapshot(0x8, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = 8;
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));

    HANDLE duplicate = nullptr;
    EXPECT_FALSE(DuplicateTokenEx(snapshot, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &duplicate));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ImpersonateLoggedOnUser(snapshot));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    entry.dwSize = sizeof(entry);
    EXPECT_FALSE(Process32FirstW(nullptr, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(snapshot);

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    EXPECT_FALSE(DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, static_cast<SECURITY_IMPERSONATION_LEVEL>(9),
                                  TokenPrimary, &duplicate));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_IMPERSONATION_LEVEL));
    CloseHandle(token);
}

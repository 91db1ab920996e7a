#include "KernelTestSupport.h"
#include "ProcessRecord.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using kernel_test::PipedChild;

std::vector<PROCESSENTRY32W> Snapshot()
{
    std::vector<PROCESSENTRY32W> list;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        list.push_back(entry);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    CloseHandle(snapshot);
    return list;
}

std::optional<PROCESSENTRY32W> Listed(DWORD id)
{
    for (const auto& entry : Snapshot())
        if (entry.th32ProcessID == id)
            return entry;
    return std::nullopt;
}

} // namespace

TEST(UserShell, ExplorerRunsAndLendsItsTokenForImpersonation)
{
    testing_support::TempMachine machine;
    const auto list = Snapshot();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].szExeFile, L"explorer.exe");
    EXPECT_EQ(std::wstring(list[1].szExeFile), L"platform_kernel_tests.exe");

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
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nShellRunning=0\n");
    const auto list = Snapshot();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(std::wstring(list[0].szExeFile), L"platform_kernel_tests.exe");
}

TEST(UserShell, WrongHandlesAndRecordsAreRefused)
{
    testing_support::TempMachine machine;
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

TEST(KernelProcessList, ProgramsStartedOnTheMachineAreListedAndEndWithTheirOwnCode)
{
    // an application of the machine that keeps running, which starts another process itself
    kernel_test::InstallHelper(platform::MachinePath("drive_c/Program Files/Browser"), "browser.exe");
    PipedChild browser;
    kernel_test::Start(browser, L"\"C:\\Program Files\\Browser\\browser.exe\" start sleep");
    ASSERT_TRUE(browser.started);
    const DWORD tab = static_cast<DWORD>(std::stoul(browser.ReadLine()));

    const auto list = Snapshot();
    ASSERT_GE(list.size(), 4u);
    EXPECT_STREQ(list.front().szExeFile, L"explorer.exe");
    EXPECT_GT(list.front().th32ProcessID, 1u << 22); // beyond every id the host gives
    EXPECT_EQ(list.back().th32ProcessID, GetCurrentProcessId());
    const auto started = Listed(browser.info.dwProcessId);
    ASSERT_TRUE(started);
    EXPECT_STREQ(started->szExeFile, L"browser.exe");
    EXPECT_EQ(started->th32ParentProcessID, GetCurrentProcessId());
    const auto startedThere = Listed(tab);
    ASSERT_TRUE(startedThere) << "a process started by another process of the machine is listed";
    EXPECT_STREQ(startedThere->szExeFile, L"browser.exe");
    EXPECT_EQ(startedThere->th32ParentProcessID, browser.info.dwProcessId);

    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, tab);
    ASSERT_NE(nullptr, opened);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(STILL_ACTIVE, code);
    EXPECT_TRUE(TerminateProcess(opened, 0x1234ABCDu));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(opened, 10000));
    EXPECT_TRUE(GetExitCodeProcess(opened, &code));
    EXPECT_EQ(0x1234ABCDu, code);
    EXPECT_FALSE(TerminateProcess(opened, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(opened);
    EXPECT_FALSE(Listed(tab));
    EXPECT_EQ(nullptr, OpenProcess(PROCESS_TERMINATE, FALSE, tab));

    EXPECT_TRUE(TerminateProcess(browser.info.hProcess, 0));
    EXPECT_EQ(0u, browser.Finish());
    EXPECT_FALSE(Listed(browser.info.dwProcessId));
}

TEST(KernelProcessList, HostProcessesOutsideTheMachineAreOutOfReach)
{
    pid_t host = 0;
    char sleepProgram[] = "/bin/sleep", seconds[] = "30";
    char* argv[] = {sleepProgram, seconds, nullptr};
    ASSERT_EQ(0, posix_spawn(&host, sleepProgram, nullptr, nullptr, argv, nullptr));
    for (const DWORD id : {static_cast<DWORD>(host), static_cast<DWORD>(getppid()), 1u}) {
        EXPECT_EQ(nullptr, OpenProcess(PROCESS_TERMINATE, FALSE, id)) << id;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_FALSE(Listed(id));
    }
    EXPECT_EQ(0, waitpid(host, nullptr, WNOHANG)) << "the host process was ended";
    kill(host, SIGKILL);
    waitpid(host, nullptr, 0);

    // the user's shell is reached but not ended from here
    const DWORD shellId = Snapshot().front().th32ProcessID;
    HANDLE shell = OpenProcess(PROCESS_ALL_ACCESS, FALSE, shellId);
    ASSERT_NE(nullptr, shell);
    EXPECT_FALSE(TerminateProcess(shell, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(shell, &code));
    EXPECT_EQ(STILL_ACTIVE, code);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(shell, 0));
    CloseHandle(shell);

    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nShellRunning=0\n");
    EXPECT_EQ(nullptr, OpenProcess(PROCESS_ALL_ACCESS, FALSE, shellId));
    EXPECT_FALSE(Listed(shellId));
}

// Every look at a process (listing, opening, finding a window's owner) reads when the host started
// it. Processes end and are reaped while that is read: one reaped between the open of its status
// and the read is a process that ended, never an error thrown out of the call.
TEST(KernelProcessList, AProcessReapedWhileItsStartIsReadHasEnded)
{
    constexpr int kChildren = 500;
    std::atomic<pid_t> latest {0};
    std::atomic<bool> done {false};
    std::thread reaper([&] {
        for (int made = 0; made < kChildren; ++made) {
            const pid_t child = fork();
            if (child == 0)
                _exit(0);
            latest = child;
            waitpid(child, nullptr, 0);
        }
        done = true;
    });
    size_t thrown = 0;
    size_t read = 0;
    while (!done) {
        try {
            read += platform::HostStartTime(latest.load(), true).has_value();
        } catch (const std::exception&) {
            ++thrown;
        }
    }
    reaper.join();
    EXPECT_EQ(thrown, 0u);
    EXPECT_GT(read, 0u) << "some children were read while they were there";
}

#include "KernelTestSupport.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

class KernelShellExecute : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = machine_.UseProgramFolder();
        record_ = machine_.Root() + "/opened.txt";
        setenv("QUARNEL_OPEN_COMMAND", kernel_test::HelperPath().c_str(), 1);
        setenv("KERNEL_HELPER_RECORD", record_.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("QUARNEL_OPEN_COMMAND");
        unsetenv("KERNEL_HELPER_RECORD");
    }

    // Runs the request to its end and gives the started process's exit code.
    DWORD Execute(SHELLEXECUTEINFOW& info)
    {
        info.cbSize = sizeof(info);
        info.fMask |= SEE_MASK_NOCLOSEPROCESS;
        if (!ShellExecuteExW(&info))
            return STILL_ACTIVE;
        EXPECT_NE(nullptr, info.hProcess);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 10000));
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        return code;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
    std::string record_;
};

TEST_F(KernelShellExecute, ProgramsStartWithTheirParameters)
{
    machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
    kernel_test::InstallHelper(folder_, "Sweepdeck");
    unsetenv("KERNEL_HELPER_RECORD");
    SHELLEXECUTEINFOW info {};
    const std::wstring file = platform::WindowsPath(folder_) + L"\\Sweepdeck.exe";
    info.lpFile = file.c_str();
    info.lpVerb = L"runas";
    info.lpParameters = L"exit 2A";
    info.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(0x2Au, Execute(info));
    EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);

    SHELLEXECUTEINFOW bare {};
    bare.lpFile = L"Sweepdeck.exe";
    bare.lpParameters = L"cwd";
    bare.lpDirectory = L"C:\\Users";
    EXPECT_EQ(0u, Execute(bare));
}

TEST_F(KernelShellExecute, RunAsWithoutAdministratorNeedsPkexec)
{
    if (access("/usr/bin/pkexec", X_OK) == 0)
        GTEST_SKIP() << "pkexec is installed here; it would ask for a password";
    machine_.WriteMachineIni("[Machine]\nAdministrator=0\n");
    kernel_test::InstallHelper(folder_, "Sweepdeck");
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof(info);
    info.lpVerb = L"runas";
    info.lpFile = L"Sweepdeck.exe";
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), GetLastError());
    EXPECT_EQ(SE_ERR_ACCESSDENIED, reinterpret_cast<INT_PTR>(info.hInstApp));
}

TEST_F(KernelShellExecute, FoldersAndDocumentsGoToTheOpener)
{
    SHELLEXECUTEINFOW info {};
    info.lpVerb = L"open";
    info.lpFile = L"C:\\Users";
    EXPECT_EQ(0u, Execute(info));
    const std::string users = platform::HostPath(std::wstring(L"C:\\Users"));
    EXPECT_EQ(users + "\n", testing_support::ReadFile(record_));

    const std::string document = machine_.WriteFile("drive_c/notes.txt", "text");
    std::filesystem::remove(record_);
    EXPECT_GT(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "Open", "C:\\NOTES.txt", nullptr, nullptr, SW_SHOWNORMAL)),
              32);
    testing_support::WaitUntil([this] { return !testing_support::ReadFile(record_).empty(); });
    EXPECT_EQ(document + "\n", testing_support::ReadFile(record_));
}

TEST_F(KernelShellExecute, FailuresGiveWindowsErrors)
{
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof(info);
    info.lpFile = L"C:\\missing.txt";
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(SE_ERR_FNF, reinterpret_cast<INT_PTR>(info.hInstApp));

    info.lpFile = L"C:\\Users";
    info.lpVerb = L"print";
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_ASSOCIATION), GetLastError());

    setenv("QUARNEL_OPEN_COMMAND", (machine_.Root() + "/no-opener").c_str(), 1);
    EXPECT_EQ(SE_ERR_NOASSOC,
              reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, L"C:\\Users", nullptr, nullptr, SW_SHOW)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_ASSOCIATION), GetLastError());
}

} // namespace

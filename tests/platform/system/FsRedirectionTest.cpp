#include "platform/Machine.h"
#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <thread>

using platform::HostPath;
using testing_support::TempMachine;

TEST(FsRedirection, IsOnByDefaultOn64BitWindowsAndSwitchedPerThread)
{
    TempMachine machine;
    const std::string windows = machine.Root() + "/drive_c/Windows/";
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32\\chkdsk.exe"), windows + "SysWOW64/chkdsk.exe");
    EXPECT_EQ(HostPath(L"c:/WINDOWS/system32"), windows + "SysWOW64");
    EXPECT_EQ(HostPath(L"\\\\?\\C:\\Windows\\System32\\drivers"), windows + "SysWOW64/drivers");
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32x\\a"), windows + "System32x/a");
    EXPECT_EQ(HostPath(L"C:\\Windows\\Fonts"), windows + "Fonts");

    PVOID old = reinterpret_cast<PVOID>(0x1234);
    ASSERT_TRUE(Wow64DisableWow64FsRedirection(&old));
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32\\chkdsk.exe"), windows + "System32/chkdsk.exe");
    std::string fromOtherThread;
    std::thread([&] { fromOtherThread = HostPath(L"C:\\Windows\\System32\\chkdsk.exe"); }).join();
    EXPECT_EQ(fromOtherThread, windows + "SysWOW64/chkdsk.exe");

    PVOID inner = nullptr;
    ASSERT_TRUE(Wow64DisableWow64FsRedirection(&inner));
    ASSERT_TRUE(Wow64RevertWow64FsRedirection(inner));
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32"), windows + "System32");
    ASSERT_TRUE(Wow64RevertWow64FsRedirection(old));
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32"), windows + "SysWOW64");

    EXPECT_TRUE(Wow64EnableWow64FsRedirection(FALSE));
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32"), windows + "System32");
    EXPECT_TRUE(Wow64EnableWow64FsRedirection(TRUE));
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32"), windows + "SysWOW64");
}

TEST(FsRedirection, DoesNotExistOn32BitWindows)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    EXPECT_EQ(HostPath(L"C:\\Windows\\System32\\chkdsk.exe"), machine.Root() + "/drive_c/Windows/System32/chkdsk.exe");
    PVOID old = nullptr;
    SetLastError(0);
    EXPECT_FALSE(Wow64DisableWow64FsRedirection(&old));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(Wow64RevertWow64FsRedirection(old));
    EXPECT_FALSE(Wow64EnableWow64FsRedirection(FALSE));
}

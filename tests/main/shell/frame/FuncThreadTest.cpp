#include "FuncThread.h"

#include "winlib/MVNRegKey.h"
#include "winlib/SpecialFolders.h"

#include "support/ShellLinks.h"
#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B6A3F0D2-7C41-4E8A-9D15-2F6E8C0A4B17}_is1";

class FuncThreadTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nIs64Bit=1\n");
        const std::string program = machine_.UseProgramFolder();
        std::ofstream(fs::path(program) / "kyphtupdate.ini") << "[update]\r\nbuild=2.0\r\n";
        bin_ = std::wstring(SpecialFolders().Path(CSIDL_PROGRAM_FILESX86)) + L"\\Orvane\\Orvane Quarnel\\bin";
        fs::create_directories(platform::HostPath(bin_));
        std::ofstream(platform::HostPath(bin_ + L"\\Renewer.exe")) << "x";
        const std::wstring desktop = SpecialFolders().Path(CSIDL_DESKTOPDIRECTORY);
        fs::create_directories(platform::HostPath(desktop));
        link_ = desktop + L"\\Update.lnk";
        ASSERT_TRUE(testing_support::WriteShellLink(link_, bin_ + L"\\Renewer.exe", L"", L"C:\\old.ico", 3));
    }

    void SetDisplayName(const std::wstring& name) const
    {
        CMVNRegKey key;
        ASSERT_FALSE(IsFailure(key.OpenOrCreate(HKEY_LOCAL_MACHINE, kUninstallKey, false)));
        ASSERT_FALSE(IsFailure(
            key.SetValue(L"DisplayName", REG_SZ, name.c_str(), static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)))));
    }

    static std::wstring DisplayName()
    {
        CMVNRegKey key;
        std::wstring name;
        key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, false, false);
        key.QueryString(L"DisplayName", &name);
        return name;
    }

    std::wstring LinkIcon(int* index) const
    {
        return testing_support::ShellLinkIcon(link_, index);
    }

    static void RunJob()
    {
        CFuncThread job(nullptr);
        job.start();
        ASSERT_TRUE(job.wait(testing_support::kPatience.count()));
    }

    testing_support::TempMachine machine_;
    std::wstring bin_;
    std::wstring link_;
};

TEST_F(FuncThreadTest, AnOlderEntryGetsTheNewVersionAndTheUpdatersShortcutsTheIcon)
{
    SetDisplayName(L"Quarnel 1.0");
    RunJob();
    EXPECT_EQ(L"Quarnel 2.0", DisplayName());
    int index = 0;
    EXPECT_EQ(bin_ + L"\\res\\icon.ico", LinkIcon(&index));
    EXPECT_EQ(3, index);
}

TEST_F(FuncThreadTest, AnEntryThatNamesTheVersionIsLeftAloneWithItsShortcuts)
{
    SetDisplayName(L"Quarnel 2.0");
    RunJob();
    EXPECT_EQ(L"Quarnel 2.0", DisplayName());
    int index = 0;
    EXPECT_EQ(L"C:\\old.ico", LinkIcon(&index));
}

TEST_F(FuncThreadTest, ANameWithoutABlankBecomesTheVersion)
{
    SetDisplayName(L"Quarnel");
    RunJob();
    EXPECT_EQ(L"2.0", DisplayName());
}

TEST_F(FuncThreadTest, ANameTooLongForItsBufferIsNotWritten)
{
    const std::wstring longName = std::wstring(600, L'Q') + L" 1.0";
    SetDisplayName(longName);
    RunJob();
    EXPECT_EQ(longName, DisplayName());
}

TEST_F(FuncThreadTest, WithoutAnEntryNothingHappens)
{
    RunJob();
    int index = 0;
    EXPECT_EQ(L"C:\\old.ico", LinkIcon(&index));
}

} // namespace

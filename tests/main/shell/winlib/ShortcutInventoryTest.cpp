#include "winlib/ShortcutInventory.h"

#include "winlib/SpecialFolders.h"

#include "support/AdvertisedShortcut.h"
#include "support/ShellLinks.h"
#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ShortcutInventoryTest : public testing::Test {
protected:
    void UseMachine(bool is64Bit) const
    {
        machine_.WriteMachineIni(std::string("[Machine]\nIs64Bit=") + (is64Bit ? "1" : "0") + "\n");
    }

    static std::wstring Folder(int csidl)
    {
        const wchar_t* path = SpecialFolders().Path(csidl);
        return path ? path : L"";
    }

    // A file at the Windows path, its folders made.
    static void Touch(const std::wstring& path)
    {
        const fs::path host = platform::HostPath(path);
        fs::create_directories(host.parent_path());
        std::ofstream(host) << "x";
    }

    static std::wstring MakeLink(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                                 int iconIndex = 0)
    {
        fs::create_directories(platform::HostPath(folder));
        const std::wstring path = folder + L"\\" + name;
        EXPECT_TRUE(testing_support::WriteShellLink(path, target, L"about " + name, L"C:\\old.ico", iconIndex));
        return path;
    }

    testing_support::TempMachine machine_;
};

TEST_F(ShortcutInventoryTest, FindsEveryShortcutOfAProgramInAnyLetterCase)
{
    UseMachine(false);
    const std::wstring program = Folder(CSIDL_PROGRAM_FILES) + L"\\Orvane\\Renewer.exe";
    Touch(program);
    Touch(L"C:\\Other\\other.exe");
    const std::wstring desktopLink = MakeLink(Folder(CSIDL_DESKTOPDIRECTORY), L"Renewer.lnk", program, 2);
    MakeLink(Folder(CSIDL_PROGRAMS) + L"\\Orvane", L"Update.LNK", program);
    MakeLink(Folder(CSIDL_COMMON_STARTUP), L"upper.lnk", L"C:\\PROGRAM FILES\\ORVANE\\RENEWER.EXE");
    MakeLink(Folder(CSIDL_STARTMENU), L"other.lnk", L"C:\\Other\\other.exe");
    MakeLink(Folder(CSIDL_APPDATA) + L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar",
             L"pinned.lnk", program);
    MakeLink(Folder(CSIDL_STARTMENU), L"gone.lnk", L"C:\\Other\\missing.exe");
    MakeLink(Folder(CSIDL_DESKTOPDIRECTORY) + L"\\below", L"deep.lnk", program); // the desktop's own folder only

    CShortcutInventory inventory;
    inventory.ScanAll();
    inventory.ScanAll(); // a second scan reads no file twice
    EXPECT_EQ(5u, inventory.Count());
    std::vector<S_SHORTCUT_INFO*> found;
    ASSERT_TRUE(inventory.FindByTarget(L"c:\\program files\\orvane\\renewer.exe", found));
    EXPECT_EQ(4u, found.size());
    const S_SHORTCUT_INFO* desktop = nullptr;
    for (const S_SHORTCUT_INFO* record : found)
        if (record->linkPath_ == desktopLink)
            desktop = record;
    ASSERT_NE(nullptr, desktop);
    EXPECT_EQ(L"Renewer", desktop->title_);
    EXPECT_EQ(Folder(CSIDL_DESKTOPDIRECTORY), desktop->folder_);
    EXPECT_EQ(L"about Renewer.lnk", desktop->description_);
    EXPECT_EQ(2, desktop->iconIndex_);
    EXPECT_EQ(1, desktop->showCmd_);

    inventory.CollectTargets();
    EXPECT_EQ(2u, inventory.Targets().size());
    found.clear();
    inventory.FindByFileName(L"RENEWER.EXE", found);
    EXPECT_EQ(4u, found.size());
}

TEST_F(ShortcutInventoryTest, AnAdvertisedShortcutIsFoundByWhereTheInstallerHasItsComponent)
{
    UseMachine(false);
    const std::wstring program = L"C:\\Program Files\\Suite\\suite.exe";
    const std::wstring product = L"{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    const std::wstring component = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
    ASSERT_TRUE(platform::ImportRegistryText(
                    L"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                    L"CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\C3D2E1F0A5B4879678695A4B3C2D1E0F]\n"
                    L"\"87654321CBA90FED21436587A9CBED0F\"=\"C:\\\\Program Files\\\\Suite\\\\suite.exe\"\n")
                    .ok);
    const fs::path link = platform::HostPath(Folder(CSIDL_STARTMENU) + L"\\Suite.lnk");
    fs::create_directories(link.parent_path());
    std::ofstream(link, std::ios::binary) << testing_support::AdvertisedShortcut(product + L"Main>" + component);

    CShortcutInventory inventory;
    inventory.ScanAll();
    EXPECT_EQ(0u, inventory.Count()) << "the component's file is not there";
    Touch(program);
    CShortcutInventory installed;
    installed.ScanAll();
    std::vector<S_SHORTCUT_INFO*> found;
    ASSERT_TRUE(installed.FindByTarget(program, found));
    EXPECT_EQ(L"Suite", found.front()->title_);
}

TEST_F(ShortcutInventoryTest, NewIconsKeepTheirIndexAndAreSaved)
{
    UseMachine(false);
    const std::wstring program = L"C:\\Apps\\tool.exe";
    Touch(program);
    MakeLink(Folder(CSIDL_DESKTOPDIRECTORY), L"a.lnk", program, 5);
    MakeLink(Folder(CSIDL_STARTMENU), L"b.lnk", program, 1);
    CShortcutInventory inventory;
    inventory.ScanAll();
    EXPECT_TRUE(inventory.SetIconForTarget(program, L"C:\\new.ico"));

    CShortcutInventory again;
    again.ScanAll();
    std::vector<S_SHORTCUT_INFO*> found;
    ASSERT_TRUE(again.FindByTarget(program, found));
    ASSERT_EQ(2u, found.size());
    for (const S_SHORTCUT_INFO* record : found) {
        EXPECT_EQ(L"C:\\new.ico", record->iconPath_);
        EXPECT_EQ(record->title_ == L"a" ? 5 : 1, record->iconIndex_);
        EXPECT_EQ(L"about " + record->title_ + L".lnk", record->description_);
    }
    EXPECT_FALSE(again.SetShortcutIcon(*found[0], L""));
    EXPECT_FALSE(again.SetShortcutIcon(S_SHORTCUT_INFO(), L"C:\\new.ico"));
}

TEST_F(ShortcutInventoryTest, A32BitProgramFolderTargetIsFoundInThe64BitOneOn64BitWindowsOnly)
{
    UseMachine(true);
    const std::wstring native = Folder(CSIDL_PROGRAM_FILES) + L"\\Vendor\\app.exe";
    Touch(native);
    const std::wstring link = MakeLink(L"C:\\links", L"app.lnk", Folder(CSIDL_PROGRAM_FILESX86) + L"\\Vendor\\app.exe");
    S_SHORTCUT_INFO record;
    ASSERT_TRUE(CShortcutInventory().ReadShortcut(link, record));
    EXPECT_EQ(native, record.target_);
}

TEST_F(ShortcutInventoryTest, A32BitWindowsDoesNotLookElsewhere)
{
    UseMachine(false);
    Touch(L"C:\\Program Files\\Vendor\\app.exe");
    const std::wstring link = MakeLink(L"C:\\links", L"app.lnk", L"C:\\Program Files (x86)\\Vendor\\app.exe");
    S_SHORTCUT_INFO record;
    EXPECT_FALSE(CShortcutInventory().ReadShortcut(link, record));
}

TEST_F(ShortcutInventoryTest, LinksWithoutAFolderOrExtensionDamagedLinksAndJunctionsAreLeftOut)
{
    UseMachine(false);
    Touch(L"C:\\Apps\\tool.exe");
    // A header whose link information is 12 bytes long, its local-path flag set: 88 bytes.
    std::string damaged("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46\x02\0\0\0", 24);
    damaged.resize(0x4C, '\0');
    damaged += std::string("\x0C\0\0\0\x24\0\0\0\x01\0\0\0", 12);
    const fs::path desktop = platform::HostPath(Folder(CSIDL_DESKTOPDIRECTORY));
    fs::create_directories(desktop);
    std::ofstream(desktop / "damaged.lnk", std::ios::binary) << damaged;
    const std::wstring noExtension = MakeLink(L"C:\\links", L"noextension", L"C:\\Apps\\tool.exe");
    S_SHORTCUT_INFO record;
    EXPECT_FALSE(CShortcutInventory().ReadShortcut(noExtension, record));
    MakeLink(L"C:\\elsewhere", L"linked.lnk", L"C:\\Apps\\tool.exe");
    const std::wstring startMenu = Folder(CSIDL_STARTMENU);
    fs::create_directories(platform::HostPath(startMenu));
    fs::create_directory_symlink(platform::HostPath(L"C:\\elsewhere"), platform::HostPath(startMenu + L"\\junction"));
    CShortcutInventory inventory;
    inventory.ScanAll();
    EXPECT_EQ(0u, inventory.Count());
}

TEST_F(ShortcutInventoryTest, RenamingATargetKeepsItsRecordsFiledUnderTheOldText)
{
    UseMachine(false);
    Touch(L"C:\\Apps\\tool.exe");
    MakeLink(Folder(CSIDL_DESKTOPDIRECTORY), L"a.lnk", L"C:\\Apps\\tool.exe");
    CShortcutInventory inventory;
    inventory.ScanAll();
    inventory.RenameTarget(L"C:\\Apps\\tool.exe", L"");
    inventory.RenameTarget(L"C:\\APPS\\TOOL.EXE", L"C:\\New\\tool.exe"); // exact text only
    std::vector<S_SHORTCUT_INFO*> found;
    ASSERT_TRUE(inventory.FindByTarget(L"C:\\Apps\\tool.exe", found));
    EXPECT_EQ(L"C:\\Apps\\tool.exe", found[0]->target_);
    inventory.RenameTarget(L"C:\\Apps\\tool.exe", L"C:\\New\\tool.exe");
    EXPECT_EQ(L"C:\\New\\tool.exe", found[0]->target_);
    ASSERT_NE(nullptr, CreateShortcutInventory());
}

} // namespace

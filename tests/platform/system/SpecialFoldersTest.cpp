#include "platform/Machine.h"
#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::TempMachine;
namespace fs = std::filesystem;

namespace {

std::wstring Folder(int csidl)
{
    wchar_t path[MAX_PATH] = L"stale";
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return SUCCEEDED(result) ? path : L"<" + std::to_wstring(result) + L">";
}

HRESULT FolderResult(int csidl, std::wstring* path = nullptr)
{
    wchar_t buffer[MAX_PATH] = L"stale";
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (path)
        *path = buffer;
    return result;
}

bool IsHostFolder(const std::wstring& windowsPath) { return fs::is_directory(platform::HostPath(windowsPath)); }

} // namespace

TEST(SpecialFolders, ProgramAndSystemFoldersAreThoseA32BitProcessSeesOn64BitWindows)
{
    TempMachine machine;
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES), L"C:\\Program Files (x86)");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILESX86), L"C:\\Program Files (x86)");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES_COMMON), L"C:\\Program Files (x86)\\Common Files");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES_COMMONX86), L"C:\\Program Files (x86)\\Common Files");
    EXPECT_EQ(Folder(CSIDL_WINDOWS), L"C:\\Windows");
    EXPECT_EQ(Folder(CSIDL_SYSTEM), L"C:\\Windows\\System32");
    EXPECT_EQ(Folder(CSIDL_SYSTEMX86), L"C:\\Windows\\SysWOW64");
    EXPECT_EQ(Folder(CSIDL_FONTS), L"C:\\Windows\\Fonts");
}

TEST(SpecialFolders, On32BitWindowsTheX86FoldersAreTheOnlyOnes)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\nUserName=Alex\n");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES), L"C:\\Program Files");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILESX86), L"C:\\Program Files");
    EXPECT_EQ(Folder(CSIDL_PROGRAM_FILES_COMMONX86), L"C:\\Program Files\\Common Files");
    EXPECT_EQ(Folder(CSIDL_SYSTEM), L"C:\\Windows\\System32");
    EXPECT_EQ(Folder(CSIDL_SYSTEMX86), L"C:\\Windows\\System32");
    EXPECT_EQ(Folder(CSIDL_PROFILE), L"C:\\Users\\Alex");
}

TEST(SpecialFolders, UserAndCommonFoldersLieInTheProfileAndProgramDataAndExist)
{
    TempMachine machine;
    const std::pair<int, const wchar_t*> expected[] = {
        {CSIDL_DESKTOP, L"C:\\Users\\Owner\\Desktop"},
        {CSIDL_DESKTOPDIRECTORY, L"C:\\Users\\Owner\\Desktop"},
        {CSIDL_PERSONAL, L"C:\\Users\\Owner\\Documents"},
        {CSIDL_APPDATA, L"C:\\Users\\Owner\\AppData\\Roaming"},
        {CSIDL_LOCAL_APPDATA, L"C:\\Users\\Owner\\AppData\\Local"},
        {CSIDL_STARTMENU, L"C:\\Users\\Owner\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
        {CSIDL_PROGRAMS, L"C:\\Users\\Owner\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {CSIDL_STARTUP, L"C:\\Users\\Owner\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData"},
        {CSIDL_COMMON_PROGRAMS, L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
        {CSIDL_COMMON_DESKTOPDIRECTORY, L"C:\\Users\\Public\\Desktop"},
        {CSIDL_COMMON_DOCUMENTS, L"C:\\Users\\Public\\Documents"},
        {CSIDL_PROFILE, L"C:\\Users\\Owner"},
        {CSIDL_CDBURN_AREA, L"C:\\Users\\Owner\\AppData\\Local\\Microsoft\\Windows\\Burn\\Burn"},
    };
    for (const auto& [csidl, path] : expected) {
        EXPECT_EQ(Folder(csidl), path) << csidl;
        EXPECT_TRUE(IsHostFolder(path)) << csidl;
    }
}

TEST(SpecialFolders, VirtualFoldersFailAndUnknownValuesAreRejected)
{
    TempMachine machine;
    for (int csidl : {CSIDL_INTERNET, CSIDL_CONTROLS, CSIDL_PRINTERS, CSIDL_BITBUCKET, CSIDL_DRIVES, CSIDL_NETWORK,
                      CSIDL_CONNECTIONS, CSIDL_COMPUTERSNEARME}) {
        std::wstring path;
        EXPECT_EQ(FolderResult(csidl, &path), E_FAIL) << csidl;
        EXPECT_EQ(path, L"") << csidl;
    }
    for (int csidl : {0x0f, 0x32, 0x3c, 0x3e, 0x7f})
        EXPECT_EQ(FolderResult(csidl), E_INVALIDARG) << csidl;
    // Every other value up to CSIDL_COMPUTERSNEARME has a folder.
    int answered = 0;
    for (int csidl = 0; csidl <= CSIDL_COMPUTERSNEARME; ++csidl)
        answered += FolderResult(csidl) == S_OK;
    EXPECT_EQ(answered, 0x3e - 8 - 5);
}

TEST(SpecialFolders, AMissingFolderFailsUnlessItIsToBeMadeOrNotVerified)
{
    TempMachine machine;
    ASSERT_EQ(Folder(CSIDL_FAVORITES), L"C:\\Users\\Owner\\Favorites");
    fs::remove_all(platform::HostPath(L"C:\\Users\\Owner\\Favorites"));

    EXPECT_EQ(FolderResult(CSIDL_FAVORITES), E_FAIL);
    wchar_t path[MAX_PATH];
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_FAVORITES, FALSE));
    EXPECT_EQ(Folder(CSIDL_FAVORITES | CSIDL_FLAG_DONT_VERIFY), L"C:\\Users\\Owner\\Favorites");
    EXPECT_FALSE(IsHostFolder(L"C:\\Users\\Owner\\Favorites"));

    EXPECT_EQ(Folder(CSIDL_FAVORITES | CSIDL_FLAG_CREATE), L"C:\\Users\\Owner\\Favorites");
    EXPECT_TRUE(IsHostFolder(L"C:\\Users\\Owner\\Favorites"));

    fs::remove_all(platform::HostPath(L"C:\\Users\\Owner\\Favorites"));
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_FAVORITES, TRUE));
    EXPECT_STREQ(path, L"C:\\Users\\Owner\\Favorites");
    EXPECT_TRUE(IsHostFolder(path));
}

TEST(TempPath, EndsInABackslashAndFollowsWindowsBufferRules)
{
    TempMachine machine;
    const std::wstring expected = L"C:\\Users\\Owner\\AppData\\Local\\Temp\\";
    const auto length = static_cast<DWORD>(expected.size());
    fs::remove_all(machine.Root() + "/drive_c/Users/Owner/AppData/Local/Temp");

    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), length);
    EXPECT_EQ(buffer, expected);
    EXPECT_TRUE(fs::is_directory(machine.Root() + "/drive_c/Users/Owner/AppData/Local/Temp"));

    EXPECT_EQ(GetTempPathW(length + 1, buffer), length);
    wchar_t small[MAX_PATH] = L"untouched";
    EXPECT_EQ(GetTempPathW(length, small), length + 1);
    EXPECT_STREQ(small, L"untouched");
    EXPECT_EQ(GetTempPathW(0, nullptr), length + 1);
}

TEST(TempPath, FollowsTheTmpVariable)
{
    TempMachine machine;
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", L"C:\\Scratch"));
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 11u);
    EXPECT_STREQ(buffer, L"C:\\Scratch\\");
    EXPECT_TRUE(fs::is_directory(machine.Root() + "/drive_c/Scratch"));
}

TEST(SystemDirectories, AnswerWindowsAndSystemFoldersWithWindowsBufferRules)
{
    TempMachine machine;
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryW(buffer, MAX_PATH), 10u);
    EXPECT_STREQ(buffer, L"C:\\Windows");
    EXPECT_EQ(GetSystemDirectoryW(buffer, MAX_PATH), 19u);
    EXPECT_STREQ(buffer, L"C:\\Windows\\System32");
    EXPECT_EQ(GetSystemDirectoryW(buffer, 19), 20u);
    EXPECT_EQ(GetSystemWow64DirectoryW(buffer, MAX_PATH), 19u);
    EXPECT_STREQ(buffer, L"C:\\Windows\\SysWOW64");

    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    SetLastError(0);
    EXPECT_EQ(GetSystemWow64DirectoryW(buffer, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

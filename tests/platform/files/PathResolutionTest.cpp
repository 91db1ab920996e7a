// Every path a Windows call takes stays inside the machine: driveless and relative paths, "..",
// host paths, links and machine.ini values that would lead out.
#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using files_test::ReadText;
using files_test::Root;
using files_test::WriteText;

namespace {

constexpr wchar_t kProgramFolder[] = L"C:\\Program Files (x86)\\Orvane\\Orvane Quarnel\\bin";

std::string DriveC() { return platform::Machine().Drive(L'C')->folder; }

// A host folder beside the machine root, outside the machine, removed at the end.
class Outside {
public:
    Outside() : folder_(Root() + "-outside")
    {
        fs::create_directories(folder_);
        std::ofstream(folder_ + "/inner.txt") << "host data";
    }
    ~Outside() { fs::remove_all(folder_); }
    const std::string& Folder() const { return folder_; }
    std::string File() const { return folder_ + "/inner.txt"; }
    bool Intact() const { return testing_support::ReadFile(File()) == "host data"; }

private:
    std::string folder_;
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

} // namespace

TEST(PathResolution, DrivelessRootedAndHostPathsAreOnTheCurrentDrive)
{
    Outside outside;
    // The host path of the outside file, given to the layer, names a file on drive C:.
    const std::wstring hostLike = Wide(outside.File());
    EXPECT_FALSE(DeleteFileW(hostLike.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(hostLike.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(outside.Intact());

    ASSERT_TRUE(CreateDirectoryW(L"C:\\etc", nullptr));
    ASSERT_TRUE(WriteText(L"\\etc\\hosts", "machine's own"));
    EXPECT_EQ(ReadText(L"C:\\etc\\hosts"), "machine's own");
    WIN32_FIND_DATAW data {};
    HANDLE find = FindFirstFileW(L"\\etc\\*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int entries = 0;
    do
        ++entries;
    while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_EQ(entries, 3); // ".", ".." and hosts
    EXPECT_EQ(platform::HostPath(L"\\etc\\hosts"), DriveC() + "/etc/hosts");
    EXPECT_EQ(platform::HostPath(L"/etc/hosts"), DriveC() + "/etc/hosts");
}

TEST(PathResolution, DotsNeverClimbAboveADrivesRoot)
{
    Outside outside;
    EXPECT_EQ(platform::HostPath(L"C:\\..\\..\\etc"), DriveC() + "/etc");
    EXPECT_EQ(platform::HostPath(L"C:\\Users\\..\\..\\..\\x"), DriveC() + "/x");
    const std::wstring climbing = L"C:\\..\\..\\..\\..\\..\\..\\..\\.." + Wide(outside.File());
    EXPECT_FALSE(DeleteFileW(climbing.c_str()));
    EXPECT_TRUE(outside.Intact());
}

TEST(PathResolution, RelativePathsAreUnderTheCurrentFolderOfTheMachine)
{
    wchar_t current[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    EXPECT_EQ(std::wstring(current), kProgramFolder); // the test runs from a host folder outside the machine

    ASSERT_TRUE(CreateDirectoryW(L"C:\\work", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\work"));
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    EXPECT_EQ(std::wstring(current), L"C:\\work");
    char host[4096];
    ASSERT_NE(getcwd(host, sizeof(host)), nullptr);
    EXPECT_EQ(std::string(host), DriveC() + "/work"); // so that Qt's relative paths follow

    ASSERT_TRUE(WriteText(L"note.txt", "relative"));
    EXPECT_EQ(testing_support::ReadFile(DriveC() + "/work/note.txt"), "relative");
    ASSERT_TRUE(WriteText(L"..\\..\\..\\..\\top.txt", "top"));
    EXPECT_EQ(testing_support::ReadFile(DriveC() + "/top.txt"), "top");
    EXPECT_EQ(platform::HostPath(L"..\\..\\x"), DriveC() + "/x");
}

TEST(PathResolution, ALinkOutOfTheMachineIsABrokenLink)
{
    Outside outside;
    fs::create_directories(DriveC() + "/t");
    fs::create_directory_symlink(outside.Folder(), DriveC() + "/t/dirlink");
    fs::create_symlink(outside.File(), DriveC() + "/t/filelink");
    fs::create_directory_symlink("../../..", DriveC() + "/t/climb");

    // In the middle of a path.
    EXPECT_FALSE(DeleteFileW(L"C:\\t\\dirlink\\inner.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(DeleteFileW(L"C:\\t\\climb\\..\\..\\x"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\t\\dirlink\\inner.txt"), INVALID_FILE_ATTRIBUTES);
    WIN32_FIND_DATAW data {};
    EXPECT_EQ(FindFirstFileW(L"C:\\t\\dirlink\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileW(L"C:\\t\\dirlink\\new.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform::HostPath(L"C:\\t\\dirlink\\inner.txt"), "");
    EXPECT_FALSE(fs::exists(outside.Folder() + "/new.txt"));

    // At the end of a path: the link is a reparse point that leads nowhere.
    const DWORD attributes = GetFileAttributesW(L"C:\\t\\filelink");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(GetFileAttributesW(L"C:\\t\\dirlink") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ReadText(L"C:\\t\\filelink"), "");
    EXPECT_FALSE(WriteText(L"C:\\t\\filelink", "overwritten"));
    EXPECT_FALSE(SetFileAttributesW(L"C:\\t\\filelink", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(platform::HostPath(L"C:\\t\\filelink"), "");
    EXPECT_TRUE(DeleteFileW(L"C:\\t\\filelink")); // the link goes, not what it named
    EXPECT_TRUE(outside.Intact());
    EXPECT_EQ(fs::status(outside.File()).permissions() & fs::perms::owner_write, fs::perms::owner_write);
}

TEST(PathResolution, LinksInsideTheMachineAreFollowed)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\real", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\real\\inside.txt", "inside"));
    fs::create_directories(DriveC() + "/t");
    fs::create_directory_symlink(DriveC() + "/real", DriveC() + "/t/absolute"); // absolute host target
    fs::create_directory_symlink("../real", DriveC() + "/t/relative");
    fs::create_directories(Root() + "/drive_d");
    std::ofstream(Root() + "/drive_d/other.txt") << "other drive";
    fs::create_symlink("../../drive_d/other.txt", DriveC() + "/t/across");

    EXPECT_EQ(ReadText(L"C:\\t\\absolute\\inside.txt"), "inside");
    EXPECT_EQ(ReadText(L"C:\\t\\relative\\inside.txt"), "inside");
    EXPECT_EQ(ReadText(L"C:\\t\\across"), "other drive");
    EXPECT_TRUE(GetFileAttributesW(L"C:\\t\\absolute") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(DeleteFileW(L"C:\\t\\relative\\inside.txt"));
    EXPECT_FALSE(fs::exists(DriveC() + "/real/inside.txt"));
}

TEST(PathResolution, TheProgramFolderIsAWindowsFolderOfTheMachine)
{
    testing_support::TempMachine machine;
    const std::string program = machine.UseProgramFolder();
    std::ofstream(program + "/Config.xml") << "<config/>";

    wchar_t module[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
    const std::wstring name = module;
    EXPECT_EQ(name.substr(0, name.find_last_of(L'\\')), kProgramFolder);
    const std::wstring config = std::wstring(kProgramFolder) + L"\\config.XML";
    EXPECT_EQ(ReadText(config), "<config/>");
    EXPECT_EQ(platform::HostPath(config), program + "/Config.xml");
    EXPECT_EQ(platform::WindowsPath(program + "/Config.xml"), std::wstring(kProgramFolder) + L"\\Config.xml");
    EXPECT_EQ(platform::WindowsPath("/etc/passwd"), L"");
    EXPECT_EQ(platform::HostPath(std::wstring(kProgramFolder) + L"\\..\\..\\x"),
              platform::Machine().Drive(L'C')->folder + "/Program Files (x86)/Orvane/x");

    machine.WriteMachineIni("[Machine]\nProgramFolder=D:\\Apps\\Quarnel\n[Drive D]\n");
    EXPECT_EQ(platform::Machine().programFolder, L"D:\\Apps\\Quarnel");
    EXPECT_EQ(ReadText(L"d:\\apps\\quarnel\\Config.xml"), "<config/>");
    machine.WriteMachineIni("[Machine]\nProgramFolder=Z:\\Nowhere\n");
    EXPECT_EQ(platform::Machine().programFolder, kProgramFolder);
}

TEST(PathResolution, MachineIniValuesThatLeaveTheMachineAreRefused)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nUserName=../../../x\nRegistryImport=/etc/passwd\n"
                            "[Drive D]\nFolder=/\n[Drive E]\nFolder=../elsewhere\n[Drive F]\nFolder=usb\n");
    const auto& description = platform::Machine();
    EXPECT_EQ(description.userName, L"Owner");
    EXPECT_EQ(description.registryImport, "");
    EXPECT_EQ(description.Drive(L'D')->folder, machine.Root() + "/drive_d");
    EXPECT_EQ(description.Drive(L'E')->folder, machine.Root() + "/drive_e");
    EXPECT_EQ(description.Drive(L'F')->folder, machine.Root() + "/usb");
    EXPECT_FALSE(fs::exists(machine.Root() + "/../elsewhere"));
    EXPECT_TRUE(fs::is_directory(machine.Root() + "/drive_c/Users/Owner/Documents"));
}

// A file's inode number is often given to the next file made. A path remembered from an earlier
// walk must not lead into the removed folder that once held a file with that number; a hard link
// carries the number over here for certain.
TEST(PathResolution, AFolderMadeAgainIsWalkedAgain)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\again", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\again\\file", "same inode"));
    ASSERT_EQ(ReadText(L"C:\\again\\file"), "same inode");
    fs::create_hard_link(DriveC() + "/again/file", DriveC() + "/kept");
    fs::remove_all(DriveC() + "/again");
    fs::create_directory(DriveC() + "/again");
    fs::create_hard_link(DriveC() + "/kept", DriveC() + "/again/file");

    EXPECT_TRUE(MoveFileExW(L"C:\\again\\file", L"C:\\again\\moved", 0));
    EXPECT_TRUE(fs::exists(DriveC() + "/again/moved"));
}

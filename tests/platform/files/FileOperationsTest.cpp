#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using files_test::ReadText;
using files_test::WriteText;

namespace {

DWORD ErrorOf(BOOL result)
{
    return result ? ERROR_SUCCESS : GetLastError();
}

// The names in a host folder as stored.
std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

TEST(FileOperations, DeletingReportsWhatIsMissingOrRefused)
{
    EXPECT_EQ(ErrorOf(DeleteFileW(L"C:\\missing.txt")), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf(DeleteFileW(L"C:\\nowhere\\missing.txt")), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf(DeleteFileW(L"C:\\Windows")), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf(DeleteFileW(nullptr)), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(WriteText(L"C:\\a.txt", "x"));
    EXPECT_TRUE(DeleteFileW(L"c:/A.TXT"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\a.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileOperations, FoldersAreMadeOneLevelAtATimeAndRemovedWhenEmpty)
{
    EXPECT_TRUE(CreateDirectoryW(L"C:\\one", nullptr));
    EXPECT_EQ(ErrorOf(CreateDirectoryW(L"C:\\one", nullptr)), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ErrorOf(CreateDirectoryW(L"C:\\two\\three", nullptr)), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(WriteText(L"C:\\one\\file", "x"));
    EXPECT_EQ(ErrorOf(CreateDirectoryW(L"C:\\one\\file", nullptr)), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    EXPECT_EQ(ErrorOf(RemoveDirectoryW(L"C:\\one")), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(ErrorOf(RemoveDirectoryW(L"C:\\one\\file")), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_EQ(ErrorOf(RemoveDirectoryW(L"C:\\none")), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf(RemoveDirectoryW(L"C:\\")), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(DeleteFileW(L"C:\\one\\file"));
    EXPECT_TRUE(RemoveDirectoryW(L"C:\\one"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\one"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileOperations, MovesRefuseOrReplaceAnExistingTarget)
{
    ASSERT_TRUE(WriteText(L"C:\\from.txt", "from"));
    ASSERT_TRUE(WriteText(L"C:\\to.txt", "to"));
    EXPECT_EQ(ErrorOf(MoveFileW(L"C:\\from.txt", L"C:\\to.txt")), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadText(L"C:\\to.txt"), "to");
    EXPECT_TRUE(MoveFileExW(L"C:\\from.txt", L"C:\\to.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadText(L"C:\\to.txt"), "from");
    EXPECT_EQ(GetFileAttributesW(L"C:\\from.txt"), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(ErrorOf(MoveFileW(L"C:\\from.txt", L"C:\\x.txt")), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\dir", nullptr));
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\to.txt", L"C:\\dir", MOVEFILE_REPLACE_EXISTING)),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(WriteText(L"C:\\locked.txt", "locked"));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\locked.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\to.txt", L"C:\\locked.txt", MOVEFILE_REPLACE_EXISTING)),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadText(L"C:\\locked.txt"), "locked");

    EXPECT_TRUE(MoveFileW(L"C:\\dir", L"C:\\Folder"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\folder"), FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FileOperations, ARenameMayChangeOnlyTheCase)
{
    ASSERT_TRUE(WriteText(L"C:\\readme.txt", "x"));
    ASSERT_TRUE(MoveFileW(L"C:\\readme.txt", L"C:\\README.TXT"));
    const auto names = NamesIn(platform::Machine().Drive(L'C')->folder);
    EXPECT_NE(std::find(names.begin(), names.end(), "README.TXT"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "readme.txt"), names.end());
}

TEST(FileOperations, ARenameUntilRebootIsRecordedForTheMachine)
{
    ASSERT_TRUE(WriteText(L"C:\\in-use.dll", "x"));
    EXPECT_TRUE(MoveFileExW(L"C:\\in-use.dll", L"C:\\new.dll", MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(MoveFileExW(L"C:\\in-use.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\in-use.dll", L"C:\\x", MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED)),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ReadText(L"C:\\in-use.dll"), "x");
    EXPECT_EQ(testing_support::ReadFile(files_test::Root() + "/pending-renames.txt"),
              "C:\\in-use.dll\tC:\\new.dll\nC:\\in-use.dll\t\n");

    // what the machine's user put in the record's place is neither written through nor waited on
    const std::string record = files_test::Root() + "/pending-renames.txt";
    const std::string elsewhere = files_test::Root() + "-elsewhere";
    std::filesystem::remove(record);
    std::filesystem::create_symlink(elsewhere, record);
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\in-use.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
    std::filesystem::remove(record);
    ASSERT_EQ(mkfifo(record.c_str(), 0644), 0);
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\in-use.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(FileOperations, CopiesKeepTheTargetUnlessAskedAndRefuseProtectedTargets)
{
    ASSERT_TRUE(WriteText(L"C:\\source.ini", "[a]\nb=1\n"));
    ASSERT_TRUE(CopyFileW(L"C:\\source.ini", L"C:\\copy.ini", TRUE));
    EXPECT_EQ(ReadText(L"C:\\copy.ini"), "[a]\nb=1\n");
    ASSERT_TRUE(WriteText(L"C:\\copy.ini", "old"));
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\source.ini", L"C:\\copy.ini", TRUE)), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadText(L"C:\\copy.ini"), "old");
    EXPECT_TRUE(CopyFileW(L"C:\\source.ini", L"C:\\copy.ini", FALSE));
    EXPECT_EQ(ReadText(L"C:\\copy.ini"), "[a]\nb=1\n");

    WIN32_FILE_ATTRIBUTE_DATA source {}, copy {};
    ASSERT_TRUE(GetFileAttributesExW(L"C:\\source.ini", GetFileExInfoStandard, &source));
    ASSERT_TRUE(GetFileAttributesExW(L"C:\\copy.ini", GetFileExInfoStandard, &copy));
    EXPECT_EQ(copy.ftLastWriteTime.dwLowDateTime, source.ftLastWriteTime.dwLowDateTime);

    ASSERT_TRUE(SetFileAttributesW(L"C:\\copy.ini", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\source.ini", L"C:\\copy.ini", FALSE)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\none.ini", L"C:\\x.ini", FALSE)), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\Windows", L"C:\\x.ini", FALSE)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\source.ini", L"C:\\nowhere\\x.ini", FALSE)),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // No half-made copies are left behind.
    for (const auto& name : NamesIn(platform::Machine().Drive(L'C')->folder))
        EXPECT_EQ(name.find(".quarnel-copy"), std::string::npos) << name;
}

TEST(FileOperations, ACopyTakesPermissionBitsOnlyAndOnlyFromAPlainFile)
{
    // another user's program, set-id and sticky as that user may make it: root's copy must not
    // run as root
    ASSERT_TRUE(WriteText(L"C:\\defrag.exe", "a program"));
    const std::string source = files_test::Root() + "/drive_c/defrag.exe";
    if (testing_support::WhyNotAsOtherUser().empty())
        ASSERT_EQ(chown(source.c_str(), testing_support::OtherUser().uid, testing_support::OtherUser().gid), 0);
    ASSERT_EQ(chmod(source.c_str(), 07755), 0);
    ASSERT_TRUE(CopyFileW(L"C:\\defrag.exe", L"C:\\copy.exe", FALSE));
    struct stat copy {};
    ASSERT_EQ(stat((files_test::Root() + "/drive_c/copy.exe").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_mode & 07777, 0755u);
    EXPECT_EQ(copy.st_uid, geteuid());
    EXPECT_EQ(ReadText(L"C:\\copy.exe"), "a program");

    // a FIFO is no file to copy, and is never waited on
    ASSERT_EQ(mkfifo((files_test::Root() + "/drive_c/pipe").c_str(), 0644), 0);
    EXPECT_EQ(ErrorOf(CopyFileW(L"C:\\pipe", L"C:\\pipe-copy", FALSE)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetFileAttributesW(L"C:\\pipe-copy"), INVALID_FILE_ATTRIBUTES);
}

namespace {

// A temporary folder on the host's memory file system, when that is another file system than the
// machine root's; removed again at the end.
class MemoryFolder {
public:
    MemoryFolder()
    {
        std::string pattern = "/dev/shm/quarnel-files-XXXXXX";
        struct stat shm {}, root {};
        if (stat("/dev/shm", &shm) == 0 && stat(files_test::Root().c_str(), &root) == 0 && shm.st_dev != root.st_dev &&
            mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~MemoryFolder()
    {
        if (!path_.empty())
            std::filesystem::remove_all(path_);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace

TEST(FileOperations, MovesBetweenHostFileSystemsCopyWhenAllowed)
{
    // Drives lie inside the machine root; the program folder, on a file system of its own, is the
    // part of the machine that can lie elsewhere.
    const MemoryFolder other;
    if (other.Path().empty())
        GTEST_SKIP() << "no second host file system for the test";
    platform::SetProgramFolder(other.Path());
    const std::wstring program = platform::Machine().programFolder;
    ASSERT_TRUE(WriteText(L"C:\\report.txt", "moved"));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\report.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(ErrorOf(MoveFileExW(L"C:\\report.txt", (program + L"\\report.txt").c_str(), 0)),
              static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(MoveFileW(L"C:\\report.txt", (program + L"\\report.txt").c_str()));
    EXPECT_EQ(ReadText(program + L"\\report.txt"), "moved");
    EXPECT_EQ(GetFileAttributesW((program + L"\\report.txt").c_str()), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesW(L"C:\\report.txt"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(CreateDirectoryW(L"C:\\folder", nullptr));
    EXPECT_EQ(ErrorOf(MoveFileW(L"C:\\folder", (program + L"\\folder").c_str())), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
}

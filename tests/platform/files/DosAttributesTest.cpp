#include "DosAttributeStore.h"
#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using files_test::HandleGuard;
using files_test::WriteText;
using platform::files::DosAttributeStore;

namespace {

std::string HostOf(const wchar_t* path) { return platform::HostPath(std::wstring(path)); }

std::string KeptValue(const wchar_t* path)
{
    char value[32] = {};
    const ssize_t n = getxattr(HostOf(path).c_str(), "user.DOSATTRIB", value, sizeof(value));
    return n > 0 ? std::string(value, static_cast<size_t>(n)) : std::string();
}

size_t EntriesBesideFiles()
{
    const std::filesystem::path folder = files_test::Root() + "/dosattrib";
    if (!std::filesystem::exists(folder))
        return 0;
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Every case runs against both stores: the files' extended attributes, and the store beside the
// files that host file systems without user extended attributes fall back to.
class DosAttributes : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { DosAttributeStore::UseStoreBesideFiles(GetParam()); }
    void TearDown() override { DosAttributeStore::UseStoreBesideFiles(false); }
};

} // namespace

TEST_P(DosAttributes, WithoutKeptBitsTheModeSpeaks)
{
    ASSERT_TRUE(WriteText(L"C:\\plain.txt", "x"));
    ASSERT_TRUE(WriteText(L"C:\\.profile", "x"));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\folder", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\locked.txt", "x"));
    ASSERT_EQ(chmod(HostOf(L"C:\\locked.txt").c_str(), 0444), 0);

    EXPECT_EQ(GetFileAttributesW(L"C:\\plain.txt"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesW(L"C:\\.profile"), FILE_ATTRIBUTE_ARCHIVE);  // a leading dot hides nothing
    EXPECT_EQ(GetFileAttributesW(L"C:\\folder"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(L"C:\\locked.txt"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributesW(L"C:\\missing.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(EntriesBesideFiles(), 0u);
}

TEST_P(DosAttributes, SetBitsRoundTrip)
{
    ASSERT_TRUE(WriteText(L"C:\\notes", "x"));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\notes", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(L"C:\\notes"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    if (GetParam()) {
        EXPECT_EQ(KeptValue(L"C:\\notes"), "");
        EXPECT_EQ(EntriesBesideFiles(), 1u);
    } else {
        EXPECT_EQ(KeptValue(L"C:\\notes"), "0x22");
    }

    ASSERT_TRUE(SetFileAttributesW(L"C:\\notes", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(L"C:\\notes"), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesW(L"C:\\notes", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(L"C:\\notes"), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(SetFileAttributesW(L"C:\\notes", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(L"C:\\notes"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(EntriesBesideFiles(), 0u);  // back to what the mode implies: nothing kept

    ASSERT_TRUE(CreateDirectoryW(L"C:\\Secret", nullptr));
    ASSERT_TRUE(SetFileAttributesW(L"c:\\secret", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(L"C:\\Secret"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    WIN32_FIND_DATAW found {};
    HandleGuard find(FindFirstFileW(L"C:\\Secret", &found));
    ASSERT_TRUE(find.valid());
    EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    EXPECT_FALSE(SetFileAttributesW(L"C:\\missing", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_P(DosAttributes, ReadOnlyRefusesDeletionAndWritingButNotRenaming)
{
    ASSERT_TRUE(WriteText(L"C:\\keep.txt", "x"));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\keep.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFileW(L"C:\\keep.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HandleGuard writer(CreateFileW(L"C:\\keep.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(files_test::ReadText(L"C:\\keep.txt"), "x");

    ASSERT_TRUE(MoveFileW(L"C:\\keep.txt", L"C:\\kept.txt"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\kept.txt"), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesW(L"C:\\kept.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(L"C:\\kept.txt"));

    ASSERT_TRUE(CreateDirectoryW(L"C:\\fixed", nullptr));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\fixed", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(RemoveDirectoryW(L"C:\\fixed"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(EntriesBesideFiles(), GetParam() ? 1u : 0u);
}

TEST_P(DosAttributes, AttributesTravelWithRenamesAndCopies)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\sub", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\boot.ini", "x"));
    const DWORD bits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesW(L"C:\\boot.ini", bits));
    ASSERT_TRUE(MoveFileW(L"C:\\boot.ini", L"C:\\sub\\boot.old"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\sub\\boot.old"), bits);
    ASSERT_TRUE(CopyFileW(L"C:\\sub\\boot.old", L"C:\\copy.ini", TRUE));
    EXPECT_EQ(GetFileAttributesW(L"C:\\copy.ini"), bits);
}

TEST_P(DosAttributes, CreationKeepsTheAttributesAskedFor)
{
    HANDLE created = CreateFileW(L"C:\\hidden.dat", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    EXPECT_EQ(GetFileAttributesW(L"C:\\hidden.dat"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    // Replacing a hidden file without saying hidden is refused, as on Windows.
    HandleGuard refused(CreateFileW(L"C:\\hidden.dat", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    EXPECT_FALSE(refused.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HandleGuard replaced(CreateFileW(L"C:\\hidden.dat", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr));
    EXPECT_TRUE(replaced.valid());
    EXPECT_EQ(GetFileAttributesW(L"C:\\hidden.dat"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

TEST_P(DosAttributes, DeletedFilesLeaveNothingBehind)
{
    ASSERT_TRUE(WriteText(L"C:\\gone.txt", "x"));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\gone.txt", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(DeleteFileW(L"C:\\gone.txt"));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\gone", nullptr));
    ASSERT_TRUE(SetFileAttributesW(L"C:\\gone", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(RemoveDirectoryW(L"C:\\gone"));
    EXPECT_EQ(EntriesBesideFiles(), 0u);
    ASSERT_TRUE(WriteText(L"C:\\gone.txt", "x"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\gone.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_P(DosAttributes, ANewFileOnAReusedInodeInheritsNothing)
{
    // Removed behind the layer's back, so that nothing is forgotten; the host hands the inode out again.
    for (int attempt = 0; attempt < 20; ++attempt) {
        ASSERT_TRUE(WriteText(L"C:\\old.txt", "x"));
        ASSERT_TRUE(SetFileAttributesW(L"C:\\old.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                          FILE_ATTRIBUTE_READONLY));
        ASSERT_EQ(unlink(HostOf(L"C:\\old.txt").c_str()), 0);
        ASSERT_TRUE(WriteText(L"C:\\new.txt", "x"));
        EXPECT_EQ(GetFileAttributesW(L"C:\\new.txt"), FILE_ATTRIBUTE_ARCHIVE) << attempt;
        ASSERT_TRUE(DeleteFileW(L"C:\\new.txt"));
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, DosAttributes, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "BesideFiles" : "ExtendedAttribute";
                         });

TEST(DosAttributeValue, ADamagedValueCountsAsNone)
{
    ASSERT_TRUE(WriteText(L"C:\\odd.txt", "x"));
    const std::string host = HostOf(L"C:\\odd.txt");
    ASSERT_EQ(setxattr(host.c_str(), "user.DOSATTRIB", "junk", 4, 0), 0);
    EXPECT_EQ(GetFileAttributesW(L"C:\\odd.txt"), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(setxattr(host.c_str(), "user.DOSATTRIB", "0x6", 3, 0), 0);
    EXPECT_EQ(GetFileAttributesW(L"C:\\odd.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using files_test::HandleGuard;
using files_test::ReadText;
using files_test::WriteText;

namespace {

HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

// Opens, notes the last error, and closes again.
DWORD ErrorOfOpen(const wchar_t* path, DWORD access, DWORD disposition)
{
    HandleGuard file(Open(path, access, FILE_SHARE_READ, disposition));
    return GetLastError();
}

} // namespace

TEST(CreateFile, DispositionsSetTheErrorsWindowsSets)
{
    const wchar_t* path = L"C:\\disp.txt";
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_WRITE, TRUNCATE_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOfOpen(L"C:\\nowhere\\a.txt", GENERIC_WRITE, CREATE_NEW), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOfOpen(L"Q:\\a.txt", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    EXPECT_EQ(ErrorOfOpen(path, GENERIC_WRITE, CREATE_NEW), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_WRITE, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, OPEN_ALWAYS), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ErrorOfOpen(L"C:\\other.txt", GENERIC_READ, OPEN_ALWAYS), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_SUCCESS));

    ASSERT_TRUE(WriteText(path, "content"));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadText(path), "");
    ASSERT_TRUE(WriteText(path, "content"));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, TRUNCATE_EXISTING), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ReadText(path), "content");
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_WRITE, TRUNCATE_EXISTING), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadText(path), "");
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ErrorOfOpen(path, GENERIC_READ, 6), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CreateFile, ReadsWritesSeeksAndSetsTheEnd)
{
    HandleGuard file(Open(L"C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW));
    ASSERT_TRUE(file.valid());
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file.get(), "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);

    EXPECT_EQ(SetFilePointer(file.get(), 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "world");
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(done, 0u);

    EXPECT_EQ(SetFilePointer(file.get(), -5, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(file.get(), -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));

    LARGE_INTEGER to {};
    LARGE_INTEGER now {};
    to.QuadPart = 5;
    ASSERT_TRUE(SetFilePointerEx(file.get(), to, &now, FILE_BEGIN));
    EXPECT_EQ(now.QuadPart, 5);
    ASSERT_TRUE(SetEndOfFile(file.get()));
    LARGE_INTEGER size {};
    ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
    EXPECT_EQ(size.QuadPart, 5);

    to.QuadPart = 100;
    ASSERT_TRUE(SetFilePointerEx(file.get(), to, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file.get(), &high), 100u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));

    // A 64-bit position needs the high part; without it the position must fit 32 bits.
    LONG distanceHigh = 1;
    EXPECT_EQ(SetFilePointer(file.get(), 0x10, &distanceHigh, FILE_BEGIN), 0x10u);
    EXPECT_EQ(distanceHigh, 1);
    EXPECT_EQ(SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    file.Close();

    const std::string content = ReadText(L"C:\\data.bin");
    EXPECT_EQ(content, std::string("hello") + std::string(95, '\0'));
}

TEST(CreateFile, AccessDecidesWhatAHandleMayDo)
{
    ASSERT_TRUE(WriteText(L"C:\\access.txt", "abc"));
    char buffer[4];
    DWORD done = 0;
    {
        HandleGuard reader(Open(L"C:\\access.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(SetEndOfFile(reader.get()));
    }
    {
        HandleGuard writer(Open(L"C:\\access.txt", GENERIC_WRITE, 0, OPEN_EXISTING));
        EXPECT_FALSE(ReadFile(writer.get(), buffer, sizeof(buffer), &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    {
        HandleGuard appender(Open(L"C:\\access.txt", FILE_APPEND_DATA, 0, OPEN_EXISTING));
        ASSERT_TRUE(WriteFile(appender.get(), "d", 1, &done, nullptr));
    }
    EXPECT_EQ(ReadText(L"C:\\access.txt"), "abcd");
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(CreateFile, SettingTheEndBeyondTheFreeSpaceFailsWithDiskFull)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Drive C]\nTotalBytes=4000000\nFreeBytes=1000000\n");
    HandleGuard file(Open(L"C:\\big.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER to {};
    to.QuadPart = 2000000;
    ASSERT_TRUE(SetFilePointerEx(file.get(), to, nullptr, FILE_BEGIN));
    EXPECT_FALSE(SetEndOfFile(file.get()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    LARGE_INTEGER size {};
    ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
    EXPECT_EQ(size.QuadPart, 0);

    to.QuadPart = 500000;
    ASSERT_TRUE(SetFilePointerEx(file.get(), to, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file.get()));
    ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
    EXPECT_EQ(size.QuadPart, 500000);
}

TEST(CreateFile, SharingModesAreEnforcedBetweenHandles)
{
    ASSERT_TRUE(WriteText(L"C:\\shared.txt", "x"));
    HandleGuard first(Open(L"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(first.valid());
    {
        HandleGuard writer(Open(L"C:\\shared.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        EXPECT_FALSE(writer.valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    {
        HandleGuard exclusive(Open(L"C:\\shared.txt", GENERIC_READ, 0, OPEN_EXISTING));
        EXPECT_FALSE(exclusive.valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    {
        HandleGuard reader(Open(L"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        EXPECT_TRUE(reader.valid());
        HandleGuard attributesOnly(Open(L"C:\\shared.txt", FILE_READ_ATTRIBUTES, 0, OPEN_EXISTING));
        EXPECT_TRUE(attributesOnly.valid());
    }
    // Replacing the file would lose what the open handle reads: refused before anything changes.
    EXPECT_EQ(ErrorOfOpen(L"C:\\shared.txt", GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(L"C:\\shared.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    first.Close();
    EXPECT_EQ(ReadText(L"C:\\shared.txt"), "x");

    HandleGuard deletable(Open(L"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING));
    EXPECT_TRUE(DeleteFileW(L"C:\\shared.txt"));
}

TEST(CreateFile, FoldersOpenOnlyWithBackupSemantics)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\folder", nullptr));
    EXPECT_EQ(ErrorOfOpen(L"C:\\folder", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HandleGuard folder(Open(L"C:\\folder", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    ASSERT_TRUE(folder.valid());
    BY_HANDLE_FILE_INFORMATION info {};
    ASSERT_TRUE(GetFileInformationByHandle(folder.get(), &info));
    EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    // Opened without FILE_SHARE_DELETE, the folder can be neither moved nor removed meanwhile.
    EXPECT_FALSE(MoveFileW(L"C:\\folder", L"C:\\moved"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(RemoveDirectoryW(L"C:\\folder"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(CreateFile, DeleteOnCloseRemovesTheFileWhenTheHandleCloses)
{
    HANDLE file = Open(L"C:\\scratch.tmp", GENERIC_WRITE, 0, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_NE(GetFileAttributesW(L"C:\\scratch.tmp"), INVALID_FILE_ATTRIBUTES);
    CloseHandle(file);
    EXPECT_EQ(GetFileAttributesW(L"C:\\scratch.tmp"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(CreateFile, TimesRoundTripAndTheHandleTellsItsFile)
{
    ASSERT_TRUE(WriteText(L"C:\\timed.txt", "12345"));
    HandleGuard file(Open(L"C:\\timed.txt", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    ASSERT_TRUE(file.valid());
    FILETIME when {};
    when.dwHighDateTime = 0x01C0F000;  // a day in 2001
    when.dwLowDateTime = 0x12345670;
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &when));
    FILETIME written {};
    FILETIME created {};
    ASSERT_TRUE(GetFileTime(file.get(), &created, nullptr, &written));
    EXPECT_EQ(written.dwHighDateTime, when.dwHighDateTime);
    EXPECT_EQ(written.dwLowDateTime, when.dwLowDateTime);
    EXPECT_NE(created.dwHighDateTime, 0u);

    BY_HANDLE_FILE_INFORMATION info {};
    ASSERT_TRUE(GetFileInformationByHandle(file.get(), &info));
    EXPECT_EQ(info.nFileSizeLow, 5u);
    EXPECT_EQ(info.nNumberOfLinks, 1u);
    EXPECT_EQ(info.dwVolumeSerialNumber, platform::Machine().Drive(L'C')->serial);
    EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);

    WIN32_FILE_ATTRIBUTE_DATA data {};
    ASSERT_TRUE(GetFileAttributesExW(L"c:\\TIMED.TXT", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, when.dwLowDateTime);
    EXPECT_EQ(data.nFileSizeLow, 5u);
}

TEST(CreateFile, NarrowNamesAreUtf8AndHostPathsAreOnTheCurrentDrive)
{
    HandleGuard narrow(CreateFileA("C:\\gr\xc3\xbc\xc3\x9f.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_TRUE(narrow.valid());
    EXPECT_NE(GetFileAttributesW(L"C:\\gr\u00fc\u00df.txt"), INVALID_FILE_ATTRIBUTES);

    const std::string folder = platform::Machine().Drive(L'C')->folder;
    // The drive's host path names a folder of drive C: that does not exist.
    EXPECT_FALSE(WriteText(platform::FromUtf8(folder + "/host.txt"), "not on the host"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(std::filesystem::exists(folder + "/host.txt"));
}

#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <unistd.h>

using files_test::WriteText;

namespace {

std::wstring FullPath(const wchar_t* path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(path, MAX_PATH, buffer, nullptr);
    return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

std::wstring CurrentFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

std::string ReadStream(const wchar_t* path)
{
    FILE* stream = _wfopen(path, L"rb");
    if (!stream)
        return {};
    std::string text;
    char buffer[256];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), stream)) > 0)
        text.append(buffer, n);
    std::fclose(stream);
    return text;
}

} // namespace

TEST(PathNames, FullPathsFoldDotsAndCompleteRelativeNames)
{
    EXPECT_EQ(FullPath(L"C:\\a\\..\\b\\.\\c.txt"), L"C:\\b\\c.txt");
    EXPECT_EQ(FullPath(L"c:/x/y/"), L"C:\\x\\y\\");
    EXPECT_EQ(FullPath(L"C:\\..\\..\\up"), L"C:\\up");
    EXPECT_EQ(FullPath(L"\\\\?\\C:\\long\\name"), L"C:\\long\\name");
    EXPECT_EQ(FullPath(L"D:relative"), L"D:\\relative");
    EXPECT_EQ(FullPath(L"\\\\server\\share\\..\\..\\x"), L"\\\\server\\share\\x");

    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\Users"));
    EXPECT_EQ(FullPath(L"sub\\f.txt"), L"C:\\Users\\sub\\f.txt");
    EXPECT_EQ(FullPath(L"C:..\\x"), L"C:\\x");
    EXPECT_EQ(FullPath(L"."), L"C:\\Users");

    wchar_t small[4];
    LPWSTR filePart = nullptr;
    EXPECT_EQ(GetFullPathNameW(L"C:\\dir\\file.txt", 4, small, &filePart), 16u);
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetFullPathNameW(L"C:\\dir\\file.txt", MAX_PATH, buffer, &filePart), 15u);
    EXPECT_STREQ(filePart, L"file.txt");
    EXPECT_EQ(GetFullPathNameW(L"C:\\dir\\", MAX_PATH, buffer, &filePart), 7u);
    EXPECT_EQ(filePart, nullptr);
}

TEST(PathNames, NamesNeverLeaveTheirDrive)
{
    // The machine root holds machine.ini next to drive_c: ".." from the root of C: stays on C:.
    ASSERT_TRUE(WriteText(L"C:\\probe.txt", "x"));
    EXPECT_EQ(GetFileAttributesW(L"C:\\..\\machine.ini"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(L"C:\\..\\probe.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST(PathNames, TheCurrentFolderIsShownAsWindowsShowsIt)
{
    // Kept as it was given, whatever folder the host reaches through it.
    ASSERT_TRUE(SetCurrentDirectoryW(L"c:\\Windows\\System32\\"));
    EXPECT_EQ(CurrentFolder(), L"C:\\Windows\\System32");
    wchar_t small[3];
    EXPECT_EQ(GetCurrentDirectoryW(3, small), 20u);
    char narrow[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, narrow), 19u);
    EXPECT_STREQ(narrow, "C:\\Windows\\System32");

    ASSERT_TRUE(WriteText(L"here.txt", "relative"));
    EXPECT_NE(GetFileAttributesW(L"C:\\Windows\\System32\\here.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetCurrentDirectoryW(L"C:\\missing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryW(L"here.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_EQ(CurrentFolder(), L"C:\\Windows\\System32");
}

TEST(PathNames, LongAndShortFormsAreThePathOfAnExistingFile)
{
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetLongPathNameW(L"C:\\Program Files", buffer, MAX_PATH), 16u);
    EXPECT_STREQ(buffer, L"C:\\Program Files");
    EXPECT_EQ(GetShortPathNameW(L"C:\\Program Files", buffer, MAX_PATH), 16u);
    EXPECT_EQ(GetLongPathNameW(L"C:\\Program Files", buffer, 5), 17u);
    EXPECT_EQ(GetLongPathNameW(L"C:\\Nothing Here", buffer, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(PathNames, TemporaryFileNamesAreMadeOnceEach)
{
    wchar_t first[MAX_PATH] = {};
    wchar_t second[MAX_PATH] = {};
    const UINT a = GetTempFileNameW(L"C:\\Windows\\Temp", L"quarnel", 0, first);
    const UINT b = GetTempFileNameW(L"C:\\Windows\\Temp\\", L"quarnel", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(std::wstring(first).rfind(L"C:\\Windows\\Temp\\qua", 0), 0u);
    EXPECT_EQ(std::wstring(first).substr(std::wcslen(first) - 4), L".tmp");
    EXPECT_EQ(GetFileAttributesW(first), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesW(second), FILE_ATTRIBUTE_ARCHIVE);

    wchar_t named[MAX_PATH] = {};
    EXPECT_EQ(GetTempFileNameW(L"C:\\Windows\\Temp", L"ab", 0x1A2B, named), 0x1A2Bu);
    EXPECT_STREQ(named, L"C:\\Windows\\Temp\\ab1A2B.tmp");
    EXPECT_EQ(GetFileAttributesW(named), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetTempFileNameW(L"C:\\Missing", L"ab", 0, named), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST(CRuntimeFiles, WideStreamsOpenThroughTheDriveMap)
{
    FILE* stream = _wfopen(L"C:\\log.txt", L"wt");
    ASSERT_NE(stream, nullptr);
    std::fputs("first\n", stream);
    std::fclose(stream);
    ASSERT_EQ(_wfopen_s(&stream, L"c:/LOG.TXT", L"ab"), 0);
    std::fputs("second\n", stream);
    std::fclose(stream);
    EXPECT_EQ(ReadStream(L"C:\\log.txt"), "first\nsecond\n");

    EXPECT_EQ(_wfopen(L"C:\\missing.txt", L"r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_wfopen(L"C:\\log.txt", L"r, ccs=UTF-8"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(_wfopen_s(nullptr, L"C:\\log.txt", L"r"), EINVAL);

    ASSERT_TRUE(SetFileAttributesW(L"C:\\log.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(_wfopen(L"C:\\log.txt", L"a"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(_wremove(L"C:\\log.txt"), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(_wrename(L"C:\\log.txt", L"C:\\renamed.txt"), 0);
    ASSERT_TRUE(SetFileAttributesW(L"C:\\renamed.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(_wremove(L"C:\\renamed.txt"), 0);
    EXPECT_EQ(_wremove(L"C:\\renamed.txt"), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST(CRuntimeFiles, DescriptorsOpenAsTheRuntimeFlagsSay)
{
    const auto write = [](int fd, const std::string& text) {
        EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    };
    write(_wopen(L"C:\\d.txt", _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY), "one\n");
    EXPECT_EQ(_wopen(L"C:\\d.txt", _O_WRONLY | _O_CREAT | _O_EXCL), -1);
    EXPECT_EQ(errno, EEXIST);
    // Appending writes at the end whatever the position.
    write(_wopen(L"c:/D.TXT", _O_WRONLY | _O_APPEND), "two\n");
    EXPECT_EQ(ReadStream(L"C:\\d.txt"), "one\ntwo\n");
    write(_wopen(L"C:\\d.txt", _O_RDWR | _O_TRUNC), "three\n");
    EXPECT_EQ(ReadStream(L"C:\\d.txt"), "three\n");

    EXPECT_EQ(_wopen(L"C:\\missing.txt", _O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_wopen(L"C:\\d.txt", _O_WRONLY | _O_RDWR), -1);
    EXPECT_EQ(errno, EINVAL);
    // Without the write permission a new file is read-only.
    const int readOnly = _wopen(L"C:\\ro.txt", _O_WRONLY | _O_CREAT, _S_IREAD);
    ASSERT_GE(readOnly, 0);
    close(readOnly);
    EXPECT_TRUE(GetFileAttributesW(L"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY);
}

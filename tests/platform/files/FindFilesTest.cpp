#include "FileTestSupport.h"
#include "WildcardPattern.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

using files_test::HandleGuard;
using files_test::WriteText;
using platform::files::WildcardPattern;

namespace {

bool Matches(const wchar_t* pattern, const wchar_t* name, bool caseSensitive = false)
{
    return WildcardPattern(pattern, caseSensitive).Matches(name);
}

struct Entry {
    std::wstring name;
    DWORD attributes;
    uint64_t size;
    DWORD reparseTag;
};

// Everything FindFirstFileW/FindNextFileW list for a pattern, in their order; the error that ended
// the listing in lastError.
std::vector<Entry> List(const wchar_t* pattern, DWORD& lastError)
{
    std::vector<Entry> entries;
    WIN32_FIND_DATAW data {};
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        lastError = GetLastError();
        return entries;
    }
    do {
        entries.push_back({data.cFileName, data.dwFileAttributes,
                           (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.dwReserved0});
    } while (FindNextFileW(find, &data));
    lastError = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return entries;
}

std::vector<std::wstring> Names(const std::vector<Entry>& entries)
{
    std::vector<std::wstring> names;
    for (const auto& entry : entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

const Entry* Find(const std::vector<Entry>& entries, const std::wstring& name)
{
    for (const auto& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

std::string HostOf(const wchar_t* path) { return platform::HostPath(std::wstring(path)); }

} // namespace

TEST(WildcardPattern, MatchesAsWindowsDoes)
{
    EXPECT_TRUE(Matches(L"*", L"anything.at.all"));
    EXPECT_TRUE(Matches(L"*.*", L"noextension"));
    EXPECT_TRUE(Matches(L"*.*", L".profile"));
    EXPECT_TRUE(Matches(L"*.*", L"a.b.c"));
    EXPECT_TRUE(Matches(L"*.", L"noextension"));
    EXPECT_FALSE(Matches(L"*.", L"a.txt"));
    EXPECT_TRUE(Matches(L"*.txt", L"README.TXT"));
    EXPECT_TRUE(Matches(L"*.txt", L"a.b.txt"));
    EXPECT_FALSE(Matches(L"*.txt", L"a.txt.bak"));
    EXPECT_TRUE(Matches(L"*.old", L".old"));
    EXPECT_TRUE(Matches(L"a?c", L"abc"));
    EXPECT_FALSE(Matches(L"a?c", L"ac"));
    EXPECT_TRUE(Matches(L"ab?", L"ab"));
    EXPECT_FALSE(Matches(L"ab?", L"abcd"));
    EXPECT_TRUE(Matches(L"file?.txt", L"file.txt"));
    EXPECT_TRUE(Matches(L"file?.txt", L"file1.txt"));
    EXPECT_TRUE(Matches(L"defrag.exe.mui", L"Defrag.EXE.mui"));
    EXPECT_FALSE(Matches(L"defrag.exe.mui", L"Defrag.EXE.mui", true));
    EXPECT_TRUE(Matches(L"*Log*", L"Quarnel.log.1"));
    EXPECT_FALSE(Matches(L"*.log", L"Quarnel.log.1"));
}

TEST(FindFiles, ListsEveryEntryWithDotsFirstAndEndsWithNoMoreFiles)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\list", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\list\\sub", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\list\\a.txt", "12345"));
    ASSERT_TRUE(WriteText(L"C:\\list\\b.log", ""));
    ASSERT_TRUE(WriteText(L"C:\\list\\.hidden-looking", ""));

    DWORD error = 0;
    const auto all = List(L"C:\\list\\*", error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0].name, L".");
    EXPECT_EQ(all[1].name, L"..");
    EXPECT_EQ(all[0].attributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(all), (std::vector<std::wstring>{L".", L"..", L".hidden-looking", L"a.txt", L"b.log", L"sub"}));
    const Entry* a = Find(all, L"a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size, 5u);
    EXPECT_EQ(a->attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(Find(all, L".hidden-looking")->attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(Find(all, L"sub")->attributes, FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_EQ(Names(List(L"C:\\LIST\\*.TXT", error)), std::vector<std::wstring>{L"a.txt"});
    EXPECT_EQ(Names(List(L"c:/list/a.txt", error)), std::vector<std::wstring>{L"a.txt"});
    EXPECT_EQ(Names(List(L"C:\\list\\sub\\..\\?.log", error)), std::vector<std::wstring>{L"b.log"});
}

TEST(FindFiles, ADriveRootHasNoDotEntries)
{
    DWORD error = 0;
    const auto root = List(L"C:\\*", error);
    EXPECT_EQ(Find(root, L"."), nullptr);
    EXPECT_EQ(Find(root, L".."), nullptr);
    EXPECT_NE(Find(root, L"Windows"), nullptr);
}

TEST(FindFiles, ReportsWhatCouldNotBeFound)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\empty", nullptr));
    DWORD error = 0;
    EXPECT_TRUE(List(L"C:\\empty\\*.txt", error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(List(L"C:\\missing\\*", error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(List(L"C:\\empty\\", error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(List(L"Q:\\*", error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WIN32_FIND_DATAW data {};
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE file = CreateFileW(L"C:\\f.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(file);
}

TEST(FindFiles, LinksAreReparsePointsAndAreNotFollowed)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\real", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\real\\inside.txt", "0123456789"));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\walk", nullptr));
    ASSERT_EQ(symlink(HostOf(L"C:\\real").c_str(), (HostOf(L"C:\\walk") + "/folder-link").c_str()), 0);
    ASSERT_EQ(symlink(HostOf(L"C:\\real\\inside.txt").c_str(), (HostOf(L"C:\\walk") + "/file-link").c_str()), 0);

    DWORD error = 0;
    const auto entries = List(L"C:\\walk\\*", error);
    const Entry* folderLink = Find(entries, L"folder-link");
    const Entry* fileLink = Find(entries, L"file-link");
    ASSERT_NE(folderLink, nullptr);
    ASSERT_NE(fileLink, nullptr);
    EXPECT_EQ(folderLink->attributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(folderLink->reparseTag, IO_REPARSE_TAG_SYMLINK);
    EXPECT_EQ(fileLink->attributes, FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(fileLink->size, 0u);
    EXPECT_EQ(GetFileAttributesW(L"C:\\walk\\folder-link"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);

    // Removing the links removes the links alone.
    EXPECT_FALSE(DeleteFileW(L"C:\\walk\\folder-link"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(RemoveDirectoryW(L"C:\\walk\\folder-link"));
    EXPECT_TRUE(DeleteFileW(L"C:\\walk\\file-link"));
    EXPECT_EQ(files_test::ReadText(L"C:\\real\\inside.txt"), "0123456789");
}

TEST(FindFiles, TheExtendedFormTakesTheBasicLevelAndCaseSensitivity)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\ext", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\ext\\Mixed.TXT", ""));
    WIN32_FIND_DATAW data {};
    HandleGuard basic(FindFirstFileExW(L"C:\\ext\\*.txt", FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    ASSERT_TRUE(basic.valid());
    EXPECT_STREQ(data.cFileName, L"Mixed.TXT");
    EXPECT_EQ(data.cAlternateFileName[0], L'\0');
    HandleGuard exact(FindFirstFileExW(L"C:\\ext\\*.txt", FindExInfoStandard, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_CASE_SENSITIVE));
    EXPECT_FALSE(exact.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HandleGuard bad(FindFirstFileExW(L"C:\\ext\\*", FindExInfoMaxInfoLevel, &data, FindExSearchNameMatch, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

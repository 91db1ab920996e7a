#include "platform/Machine.h"
#include "platform/Windows.h"

#include "ProfileLock.h"

#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using testing_support::DescribedForChanges;
using testing_support::ReadFile;
using testing_support::TempMachine;

namespace {

constexpr const wchar_t* kIni = L"C:\\Users\\Owner\\cfg.ini";

class Profile : public ::testing::Test {
protected:
    // Writes the INI file at kIni.
    void Write(const std::string& text) { machine_.WriteFile("drive_c/Users/Owner/cfg.ini", text); }
    std::string Content() const { return ReadFile(machine_.Root() + "/drive_c/Users/Owner/cfg.ini"); }

    static std::wstring Read(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"",
                             DWORD size = 256, DWORD* returned = nullptr)
    {
        std::vector<wchar_t> buffer(size + 1, L'#');
        const DWORD length = GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, kIni);
        if (returned)
            *returned = length;
        return std::wstring(buffer.data(), length);
    }

    // A list as the reader leaves it: every character up to the two nulls that end it.
    static std::wstring List(const std::vector<wchar_t>& buffer)
    {
        for (size_t i = 0; i + 1 < buffer.size(); ++i)
            if (buffer[i] == L'\0' && buffer[i + 1] == L'\0')
                return std::wstring(buffer.data(), i + 2);
        return L"<unterminated>";
    }

    TempMachine machine_;
};

} // namespace

TEST_F(Profile, ValuesLoseMatchingQuotesAndDefaultsTheirTrailingBlanks)
{
    Write("[General]\r\nName = \"Quoted value\" \r\nSingle='x'\r\nMixed=\"a'\r\nPlain=text\r\nEmpty=\r\n");
    DWORD length = 0;
    EXPECT_EQ(Read(L"general", L"NAME", L"", 256, &length), L"Quoted value");
    EXPECT_EQ(length, 12u);
    EXPECT_EQ(Read(L"General", L"Single"), L"x");
    EXPECT_EQ(Read(L"General", L"Mixed"), L"\"a'");
    EXPECT_EQ(Read(L"General", L"Empty", L"fallback"), L"");
    EXPECT_EQ(Read(L"General", L"Missing", L"fallback  \t"), L"fallback");
    EXPECT_EQ(Read(L"Nowhere", L"Plain", nullptr), L"");
    EXPECT_EQ(Read(L"General", L"Name", L"", 5, &length), L"Quot");
    EXPECT_EQ(length, 4u);
}

TEST_F(Profile, NullSectionOrKeyListsNamesEndedByTwoNulls)
{
    Write("[General]\r\na=1\r\nbb=2\r\n; comment\r\n[Other]\r\nKey=1\r\n");
    std::vector<wchar_t> buffer(64, L'#');
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, L"x", buffer.data(), 64, kIni), 14u);
    EXPECT_EQ(List(buffer), std::wstring(L"General\0Other\0\0", 15));

    std::fill(buffer.begin(), buffer.end(), L'#');
    EXPECT_EQ(GetPrivateProfileSectionNamesW(buffer.data(), 64, kIni), 14u);
    EXPECT_EQ(List(buffer), std::wstring(L"General\0Other\0\0", 15));

    std::fill(buffer.begin(), buffer.end(), L'#');
    EXPECT_EQ(GetPrivateProfileStringW(L"General", nullptr, L"x", buffer.data(), 64, kIni), 5u);
    EXPECT_EQ(List(buffer), std::wstring(L"a\0bb\0\0", 6));

    // Too small: the list is cut, ends in two nulls, and size - 2 comes back.
    std::fill(buffer.begin(), buffer.end(), L'#');
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, L"", buffer.data(), 12, kIni), 10u);
    EXPECT_EQ(std::wstring(buffer.data(), 12), std::wstring(L"General\0Ot\0\0", 12));
    EXPECT_EQ(buffer[12], L'#');

    std::fill(buffer.begin(), buffer.end(), L'#');
    EXPECT_EQ(GetPrivateProfileSectionW(L"general", buffer.data(), 64, kIni), 9u);
    EXPECT_EQ(List(buffer), std::wstring(L"a=1\0bb=2\0\0", 10));
}

TEST_F(Profile, AMissingFileGivesDefaultsAndEmptyLists)
{
    SetLastError(0);
    EXPECT_EQ(Read(L"General", L"Name", L"none"), L"none");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrivateProfileIntW(L"General", L"Count", 7, kIni), 7u);
    wchar_t buffer[8] = L"#######";
    EXPECT_EQ(GetPrivateProfileSectionNamesW(buffer, 8, kIni), 0u);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'\0');
}

TEST_F(Profile, IntegersTakeTheLeadingDigits)
{
    Write("[N]\r\nmixed=12abc\r\nnegative=-7\r\nletters=abc\r\nempty=\r\nquoted=\"42\"\r\nbig=99999999999\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"mixed", 5, kIni), 12u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(L"N", L"negative", 5, kIni)), -7);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"letters", 5, kIni), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"empty", 5, kIni), 5u);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"missing", 5, kIni), 5u);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"quoted", 5, kIni), 42u);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"big", 5, kIni), 0xFFFFFFFFu);
}

TEST_F(Profile, WritesCreateChangeAndDeleteKeepingOtherLines)
{
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"3", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"ShowAssit", L"1", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Other", L"Key", L"v", kIni));
    EXPECT_EQ(Content(), "[Clean]\r\nCleanLv=3\r\nShowAssit=1\r\n\r\n[Other]\r\nKey=v\r\n");

    Write("; settings\r\n[Clean]\r\nCleanLv=3\r\nShowAssit=1\r\n\r\n[Other]\r\nKey=v\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"clean", L"cleanlv", L"5", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"ShowAssit", nullptr, kIni));
    EXPECT_EQ(Content(), "; settings\r\n[Clean]\r\nCleanLv=5\r\n\r\n[Other]\r\nKey=v\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Other", nullptr, nullptr, kIni));
    EXPECT_EQ(Content(), "; settings\r\n[Clean]\r\nCleanLv=5\r\n\r\n");
}

TEST_F(Profile, DeletingFromAMissingFileLeavesItMissingAndAMissingFolderFails)
{
    EXPECT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", nullptr, kIni));
    EXPECT_TRUE(WritePrivateProfileStringW(L"Clean", nullptr, nullptr, kIni));
    EXPECT_FALSE(std::filesystem::exists(machine_.Root() + "/drive_c/Users/Owner/cfg.ini"));

    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"1", L"C:\\No\\Such\\Folder\\a.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, L"CleanLv", L"1", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Profile, ABareFileNameIsTheWindowsFolders)
{
    ASSERT_TRUE(WritePrivateProfileStringW(L"s", L"k", L"v", L"quarnel-test.ini"));
    EXPECT_EQ(ReadFile(machine_.Root() + "/drive_c/Windows/quarnel-test.ini"), "[s]\r\nk=v\r\n");
    wchar_t buffer[8];
    EXPECT_EQ(GetPrivateProfileStringW(L"s", L"k", L"", buffer, 8, L"C:\\Windows\\quarnel-test.ini"), 1u);
    EXPECT_STREQ(buffer, L"v");
}

TEST_F(Profile, WholeSectionsAreReplacedOrDeleted)
{
    Write("[S]\r\na=1\r\nb=2\r\n[T]\r\nc=3\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionW(L"S", L"x=9\0y=8\0", kIni));
    EXPECT_EQ(Content(), "[S]\r\nx=9\r\ny=8\r\n[T]\r\nc=3\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionW(L"T", nullptr, kIni));
    EXPECT_EQ(Content(), "[S]\r\nx=9\r\ny=8\r\n");
}

TEST_F(Profile, AnsiFormsCarryUtf8Text)
{
    ASSERT_TRUE(WritePrivateProfileStringA("cache", "update", "Gr\xC3\xBC\xC3\x9F" "e", "C:\\Users\\Owner\\cfg.ini"));
    EXPECT_EQ(Read(L"cache", L"update"), L"Grüße");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("cache", "update", "", buffer, 16, "C:\\Users\\Owner\\cfg.ini"), 7u);
    EXPECT_STREQ(buffer, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(GetPrivateProfileStringA("cache", "missing", "dflt", buffer, 3, "C:\\Users\\Owner\\cfg.ini"), 2u);
    EXPECT_STREQ(buffer, "df");
}

namespace {

// Writes count keys named prefix0, prefix1, ... into one section of the test's INI file.
void WriteKeys(const std::wstring& prefix, int count)
{
    for (int i = 0; i < count; ++i)
        WritePrivateProfileStringW(L"Shared", (prefix + std::to_wstring(i)).c_str(), L"1", kIni);
}

int CountKeys()
{
    std::vector<wchar_t> buffer(65536);
    const DWORD length = GetPrivateProfileStringW(L"Shared", nullptr, L"", buffer.data(), 65536, kIni);
    return static_cast<int>(std::count(buffer.begin(), buffer.begin() + length, L'\0'));
}

} // namespace

TEST_F(Profile, WritersInSeveralThreadsKeepEachOthersKeys)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back(WriteKeys, L"thread" + std::to_wstring(t) + L"_", 25);
    for (auto& writer : writers)
        writer.join();
    EXPECT_EQ(CountKeys(), 100);
}

TEST_F(Profile, WritersInSeveralProcessesKeepEachOthersKeys)
{
    std::vector<pid_t> children;
    for (int p = 0; p < 3; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteKeys(L"process" + std::to_wstring(p) + L"_", 25);
            _exit(0);
        }
        children.push_back(child);
    }
    WriteKeys(L"parent_", 25);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(CountKeys(), 100);
}

TEST_F(Profile, AReadOnlyFileIsRefusedAndLeftAsItWas)
{
    const std::string before = "[Clean]\r\nCleanLv=3\r\n";
    Write(before);
    ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", nullptr, nullptr, kIni));
    EXPECT_FALSE(WritePrivateProfileSectionW(L"Clean", L"A=1\0", kIni));
    EXPECT_EQ(Content(), before);
    EXPECT_EQ(GetFileAttributesW(kIni), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    // read-only as the host's mode says it
    ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_NORMAL));
    const std::string host = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    std::filesystem::permissions(host, std::filesystem::perms::owner_read);
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Content(), before);
}

TEST_F(Profile, AWriteKeepsTheFilesAttributesAndPermissions)
{
    Write("[Clean]\r\nCleanLv=3\r\n");
    const std::string host = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    std::filesystem::permissions(host, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(Read(L"Clean", L"CleanLv"), L"5");
    EXPECT_EQ(GetFileAttributesW(kIni), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(std::filesystem::status(host).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
}

TEST_F(Profile, ALinkIsWrittenThroughToItsTargetAndStaysALink)
{
    namespace fs = std::filesystem;
    const std::string target = machine_.WriteFile("drive_c/ProgramData/real.ini", "[Clean]\r\nCleanLv=3\r\n");
    const std::string link = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink("../../ProgramData/real.ini", link);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "[Clean]\r\nCleanLv=5\r\n");

    // a link whose target is missing makes the target
    fs::remove(target);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"7", kIni));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "[Clean]\r\nCleanLv=7\r\n");

    // a link that leads out of the machine is not followed: for Windows calls it is a broken link
    const std::string outside = machine_.Root() + "/../" + fs::path(machine_.Root()).filename().string() + "-outside.ini";
    std::ofstream(outside) << "[Clean]\r\nCleanLv=1\r\n";
    fs::remove(link);
    fs::create_symlink(outside, link);
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"9", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ReadFile(outside), "[Clean]\r\nCleanLv=1\r\n");
    fs::remove(outside);
}

namespace {

// Runs change in a process of its own and waits for it, as another program changing the file would.
void InAnotherProcess(const std::function<void()>& change)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        change();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Rewrites the file in place with text of the same size, leaving its modification time as it was.
void RewriteInPlace(const std::string& path, const std::string& text)
{
    struct stat before {};
    ASSERT_EQ(0, stat(path.c_str(), &before));
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file << text;
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

} // namespace

TEST_F(Profile, AFileChangedByAnotherProcessIsReadAtOnce)
{
    const std::string path = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    Write("[Settings]\r\nColour=green\r\n");
    // read it once quiet, so that later readings may take what was parsed then
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(L"green", Read(L"Settings", L"Colour"));
    EXPECT_EQ(L"green", Read(L"Settings", L"Colour"));

    // the same size and modification time: only the change time tells
    InAnotherProcess([&] { RewriteInPlace(path, "[Settings]\r\nColour=amber\r\n"); });
    EXPECT_EQ(L"amber", Read(L"Settings", L"Colour"));
    // twice within a second, still the same size
    InAnotherProcess([&] { RewriteInPlace(path, "[Settings]\r\nColour=ochre\r\n"); });
    EXPECT_EQ(L"ochre", Read(L"Settings", L"Colour"));
    InAnotherProcess([&] { RewriteInPlace(path, "[Settings]\r\nColour=umber\r\n"); });
    EXPECT_EQ(L"umber", Read(L"Settings", L"Colour"));

    // replaced by another file, and a write of this process
    InAnotherProcess([&] {
        machine_.WriteFile("drive_c/Users/Owner/cfg.new", "[Settings]\r\nColour=azure\r\n");
        std::filesystem::rename(machine_.Root() + "/drive_c/Users/Owner/cfg.new", path);
    });
    EXPECT_EQ(L"azure", Read(L"Settings", L"Colour"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Settings", L"Colour", L"white", kIni));
    EXPECT_EQ(L"white", Read(L"Settings", L"Colour"));
}

TEST_F(Profile, UntouchedLinesStayByteForByteAndNewTextTakesTheFilesEncoding)
{
    struct Case {
        const char* what;
        std::string before;
        std::string after; // CleanLv set to 5, Owner added
    };
    const std::string lonelySurrogate("\0\xD8", 2); // half a pair in UTF-16LE, no character at all
    const auto utf16 = [](const std::string& ascii) {
        std::string bytes;
        for (const char c : ascii)
            bytes += std::string(1, c) + '\0';
        return bytes;
    };
    const Case cases[] = {
        // what an installer of a Windows PC wrote: ANSI bytes, mixed line ends, no end at the end
        {"ANSI", "; Einstellungen f\xFCr M\xFCller\r\n[User]\r\nName=M\xFCller\r\nCity = K\xF6ln \r\n[Clean]\nCleanLv=3\nShowAssit=1",
         "; Einstellungen f\xFCr M\xFCller\r\n[User]\r\nName=M\xFCller\r\nCity = K\xF6ln \r\n[Clean]\nCleanLv=5\nShowAssit=1\r\n"
         "Owner=J\xFCrgen\r\n"},
        {"UTF-8", "[User]\nName=M\xC3\xBCller\nCity = K\xC3\xB6ln \n[Clean]\nCleanLv=3\n",
         "[User]\nName=M\xC3\xBCller\nCity = K\xC3\xB6ln \n[Clean]\nCleanLv=5\nOwner=J\xC3\xBCrgen\n"},
        {"UTF-16LE", "\xFF\xFE" + utf16(";") + lonelySurrogate + utf16("\r\n[User]\r\nName=M") + std::string("\xFC\0", 2) +
                         utf16("ller\r\nCity = K") + std::string("\xF6\0", 2) + utf16("ln \r\n[Clean]\r\nCleanLv=3\r\n"),
         "\xFF\xFE" + utf16(";") + lonelySurrogate + utf16("\r\n[User]\r\nName=M") + std::string("\xFC\0", 2) +
             utf16("ller\r\nCity = K") + std::string("\xF6\0", 2) + utf16("ln \r\n[Clean]\r\nCleanLv=5\r\nOwner=J") +
             std::string("\xFC\0", 2) + utf16("rgen\r\n")},
    };
    const std::string host = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        Write(test.before);
        EXPECT_EQ(Read(L"User", L"Name"), L"M\u00fcller");
        EXPECT_EQ(Read(L"User", L"City"), L"K\u00f6ln");
        // the value a file holds already, written again at every start, leaves the file alone
        struct stat before {}, after {};
        ASSERT_EQ(stat(host.c_str(), &before), 0);
        ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"3", kIni));
        ASSERT_EQ(stat(host.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(Content(), test.before);

        ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"Owner", L"J\u00fcrgen", kIni));
        EXPECT_EQ(Content(), test.after);
        EXPECT_EQ(Read(L"Clean", L"Owner"), L"J\u00fcrgen");
        EXPECT_EQ(Read(L"User", L"Name"), L"M\u00fcller");
    }
}

TEST_F(Profile, ADamagedOrBlockingFileGivesDefaultsAndAClearFailureAndStaysAsItWas)
{
    namespace fs = std::filesystem;
    const std::string host = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    Write("[Clean]\r\nCleanLv=3\r\n");
    fs::resize_file(host, 1ull << 40);
    SetLastError(0);
    EXPECT_EQ(Read(L"Clean", L"CleanLv", L"1"), L"1");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(GetPrivateProfileIntW(L"Clean", L"CleanLv", 1, kIni), 1u);
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(fs::file_size(host), 1ull << 40);

    fs::remove(host);
    ASSERT_EQ(mkfifo(host.c_str(), 0644), 0);
    EXPECT_EQ(Read(L"Clean", L"CleanLv", L"1"), L"1");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::is_fifo(host));
}

TEST_F(Profile, AWriterGivesUpOnALockThatAnotherKeeps)
{
    Write("[Clean]\r\nCleanLv=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Clean", L"ShowAssit", L"1", kIni));
    // the lock file lies in run/, where the machine's user can take it and keep it
    const std::string locks = machine_.Root() + "/run/profile";
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(locks), std::filesystem::directory_iterator()), 1);
    const std::string lock = std::filesystem::directory_iterator(locks)->path().string();
    const int held = open(lock.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    platform::SetProfileLockPatience(std::chrono::milliseconds(20));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(Content(), "[Clean]\r\nCleanLv=3\r\nShowAssit=1\r\n");
    close(held);
    EXPECT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(Content(), "[Clean]\r\nCleanLv=5\r\nShowAssit=1\r\n");
    platform::SetProfileLockPatience(std::chrono::seconds(10));
}

TEST_F(Profile, AnElevatedWriteGivesTheUserNothingOutsideTheMachine)
{
    namespace fs = std::filesystem;
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    // a file of root's alone beside the machine, which the machine's user cannot reach
    std::string outside = fs::path(machine_.Root()).parent_path().string() + "/quarnel-outside-XXXXXX";
    ASSERT_TRUE(mkdtemp(outside.data()));
    const std::string secret = outside + "/secret";
    std::ofstream(secret) << "root's own";
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    const std::string before = DescribedForChanges(secret) + ReadFile(secret);

    // the user's INI file, set-id as the user likes, and links the user planted at the names of
    // drafts: the one a writer of this process would have taken, and the INI's own
    Write("[Clean]\r\nCleanLv=3\r\n");
    testing_support::GiveToOtherUser(machine_.Root());
    const std::string host = machine_.Root() + "/drive_c/Users/Owner/cfg.ini";
    ASSERT_EQ(chmod(host.c_str(), 06777), 0);
    const std::string draft = host + ".new" + std::to_string(getpid());
    ASSERT_TRUE(testing_support::AsOtherUser([&] { return symlink(secret.c_str(), draft.c_str()) == 0; }));

    EXPECT_TRUE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"5", kIni));
    EXPECT_EQ(DescribedForChanges(secret) + ReadFile(secret), before);
    struct stat st {};
    ASSERT_EQ(lstat(host.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_uid, testing_support::OtherUser().uid);
    EXPECT_EQ(st.st_mode & 07777, 0777u);
    EXPECT_EQ(Content(), "[Clean]\r\nCleanLv=5\r\n");

    fs::remove(host);
    ASSERT_TRUE(testing_support::AsOtherUser([&] { return symlink(secret.c_str(), host.c_str()) == 0; }));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"CleanLv", L"7", kIni));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Clean", L"Other", L"7", kIni));
    EXPECT_EQ(DescribedForChanges(secret) + ReadFile(secret), before);
    EXPECT_TRUE(fs::is_symlink(host));
    fs::remove_all(outside);
}

#include "platform/IniFile.h"
#include "platform/Machine.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

using platform::IniFile;
using testing_support::ReadFile;
using testing_support::TempMachine;

TEST(IniFile, ReadsSectionsAndKeysIgnoringCaseAndBlanks)
{
    TempMachine machine;
    const auto path = machine.WriteFile("a.ini", "; comment\r\n[Update]\r\n  Url = http://x/y \r\nbuild=12\r\n[block]\nmain=1\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.Exists());
    EXPECT_EQ(ini.Get(L"update", L"URL", L""), L"http://x/y");
    EXPECT_EQ(ini.GetInt(L"UPDATE", L"build", 0), 12);
    EXPECT_EQ(ini.GetInt(L"Block", L"Main", 0), 1);
    EXPECT_FALSE(ini.Get(L"update", L"comment").has_value());
    EXPECT_EQ(ini.Keys(L"update").size(), 2u);
}

TEST(IniFile, MissingFileIsEmpty)
{
    TempMachine machine;
    IniFile ini(machine.Root() + "/none.ini");
    EXPECT_FALSE(ini.Exists());
    EXPECT_TRUE(ini.Sections().empty());
    EXPECT_EQ(ini.GetInt(L"a", L"b", 7), 7);
}

TEST(IniFile, WritingKeepsOtherLinesAndAddsSections)
{
    TempMachine machine;
    const auto path = machine.WriteFile("b.ini", "; keep me\n[cache]\naccount=a@b.c\n\n[other]\nx=1\n");
    {
        IniFile ini(path);
        ini.Set(L"Cache", L"login", L"1");
        ini.Set(L"cache", L"ACCOUNT", L"new@b.c");
        ini.Set(L"fresh", L"k", L"v");
        ini.RemoveKey(L"other", L"x");
        ASSERT_TRUE(ini.Save());
    }
    // the lines not changed as they were, new ones ended as the file ends its lines
    EXPECT_EQ(ReadFile(path), "; keep me\n[cache]\naccount=new@b.c\nlogin=1\n\n[other]\n\n[fresh]\nk=v\n");
}

TEST(IniFile, Utf16FilesStayUtf16)
{
    TempMachine machine;
    const std::string content("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE4\0\r\0\n\0", 22);
    const auto path = machine.WriteFile("c.ini", content);
    IniFile ini(path);
    EXPECT_EQ(ini.Get(L"s", L"k", L""), L"\u00e4");
    ini.Set(L"s", L"k", L"b");
    ASSERT_TRUE(ini.Save());
    const std::string saved = ReadFile(path);
    ASSERT_GE(saved.size(), 2u);
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(IniFile(path).Get(L"s", L"k", L""), L"b");
}

TEST(IniFile, SaveIntoMissingFolderFailsWithoutCrashing)
{
    TempMachine machine;
    IniFile ini(machine.Root() + "/no/such/folder/x.ini");
    ini.Set(L"a", L"b", L"c");
    EXPECT_FALSE(ini.Save());
}

TEST(IniFile, ADamagedFileIsUnreadableWithoutBlockingOrExhaustingMemoryAndStaysAsItIs)
{
    namespace fs = std::filesystem;
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\r\nUserName=Tester\r\n");
    ASSERT_EQ(platform::Machine().userName, L"Tester");
    const std::string path = machine.Root() + "/machine.ini";
    struct Damage {
        const char* what;
        std::function<void()> make;
        int error;
    };
    const Damage damages[] = {
        {"a sparse file of a tebibyte", [&] { machine.WriteFile("machine.ini", "[Machine]\r\n"); fs::resize_file(path, 1ull << 40); }, EFBIG},
        {"a file one byte over the largest", [&] { machine.WriteFile("machine.ini", std::string(platform::kLargestIniFile + 1, ';')); }, EFBIG},
        {"a FIFO without a writer", [&] { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }, EACCES},
        {"a folder", [&] { fs::create_directory(path); }, EACCES},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(path);
        damage.make();
        const IniFile ini(path);
        EXPECT_FALSE(ini.Exists());
        EXPECT_EQ(ini.Error(), damage.error);
        // the machine it describes has its defaults, and the damaged file is not replaced
        platform::ReloadMachine();
        EXPECT_EQ(platform::Machine().userName, L"Owner");
        const auto before = fs::symlink_status(path).type();
        const auto size = fs::is_regular_file(path) ? fs::file_size(path) : 0;
        EXPECT_FALSE(platform::ChangeMachineIni([](IniFile& changed) { changed.Set(L"Machine", L"UserName", L"Other"); }));
        EXPECT_EQ(fs::symlink_status(path).type(), before);
        EXPECT_EQ(fs::is_regular_file(path) ? fs::file_size(path) : 0, size);
    }
    // one byte less is a file like any other
    fs::remove_all(path);
    machine.WriteFile("machine.ini", "[Machine]\r\nUserName=Tester\r\n" + std::string(platform::kLargestIniFile - 28, ';'));
    EXPECT_TRUE(IniFile(path).Exists());
    EXPECT_EQ(IniFile(path).Get(L"Machine", L"UserName", L""), L"Tester");
}

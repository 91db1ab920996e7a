// A save killed at its last step, when its draft is whole but has not taken the file's name: the
// old file stays whole, and nothing of the draft stays visible beside it, whether the file system
// gives drafts no name until they are whole or the draft had a name and a later save removes it.
#include "FileTestSupport.h"

#include "core/DraftFile.h"

#include "support/ShellLinks.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using files_test::ReadText;
using files_test::WriteText;

namespace {

constexpr const wchar_t* kFolder = L"C:\\Users\\Owner\\Desktop";

// One of the layer's writers that replace a file through a draft.
struct Writer {
    const char* name;                 // the test case's
    const char* what;
    const wchar_t* file;              // the file it replaces, in kFolder
    std::function<bool()> prepare;    // makes the old file (and what the save needs)
    std::function<bool(int)> save;    // the save, its text told apart by the number given
};

std::wstring InFolder(const wchar_t* name) { return std::wstring(kFolder) + L"\\" + name; }

const Writer kWriters[] = {
    {"IniWrite", "an INI file's write", L"cfg.ini", [] { return WriteText(InFolder(L"cfg.ini"), "[Clean]\r\nCleanLv=1\r\n"); },
     [](int round) {
         return WritePrivateProfileStringW(L"Clean", L"CleanLv", std::to_wstring(round + 2).c_str(),
                                           InFolder(L"cfg.ini").c_str()) != FALSE;
     }},
    {"ShortcutSave", "a shortcut's save", L"tool.lnk",
     [] { return testing_support::WriteShellLink(InFolder(L"tool.lnk"), L"C:\\Tools\\old.exe", L"old", L"", 0); },
     [](int round) {
         return testing_support::WriteShellLink(InFolder(L"tool.lnk"), L"C:\\Tools\\new" + std::to_wstring(round) + L".exe",
                                                L"new", L"", 0);
     }},
    {"CopyOverAFile", "a copy over a file", L"report.txt",
     [] { return WriteText(InFolder(L"report.txt"), "old report") && WriteText(L"C:\\report-new.txt", "new report"); },
     [](int) { return CopyFileW(L"C:\\report-new.txt", InFolder(L"report.txt").c_str(), FALSE) != FALSE; }},
};

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void StopHere() { raise(SIGSTOP); }

// Runs the save in a child process that stops itself where its draft is whole, and kills it there.
// Whether the child got there.
bool KillMidSave(const Writer& writer, bool unnamedAllowed)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        platform::SetDraftTestSettings({unnamedAllowed, std::chrono::seconds(60), &StopHere});
        writer.save(0);
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, WUNTRACED) < 0 && errno == EINTR) {
    }
    const bool stopped = WIFSTOPPED(status);
    kill(child, SIGKILL);
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return stopped;
}

class KilledSave : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void TearDown() override { platform::SetDraftTestSettings({}); }
};

} // namespace

TEST_P(KilledSave, LeavesTheOldFileWholeAndNoDraftInSight)
{
    const Writer& writer = kWriters[std::get<0>(GetParam())];
    const bool unnamedAllowed = std::get<1>(GetParam());
    SCOPED_TRACE(writer.what);
    ASSERT_TRUE(CreateDirectoryW(kFolder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(writer.prepare());
    const std::string folder = files_test::Root() + "/drive_c/Users/Owner/Desktop";
    const std::string old = ReadText(InFolder(writer.file));
    const std::set<std::string> names = NamesIn(folder);

    ASSERT_TRUE(KillMidSave(writer, unnamedAllowed));
    EXPECT_EQ(ReadText(InFolder(writer.file)), old);
    if (unnamedAllowed) {
        EXPECT_EQ(NamesIn(folder), names);
        return;
    }
    // A named draft stays until a later save in the folder takes it for one left behind, as it does
    // with the drafts that writers of earlier versions left, and with nothing else.
    EXPECT_EQ(NamesIn(folder).size(), names.size() + 1);
    const std::set<std::string> leftByEarlierVersions = {"desktop.ini.new4242", ".lnk-0123456789abcdef0123456789abcdef.saving",
                                                         ".quarnel-copy-Ab12Cd"};
    const std::set<std::string> others = {"desktop.ini", "notes.new12", ".quarnel-draft-mine", "desktop.ini.new",
                                          "old.lnk-saving", "other.ini.new12"};
    for (const std::set<std::string>* planted : {&leftByEarlierVersions, &others})
        for (const std::string& name : *planted)
            ASSERT_TRUE(WriteText(InFolder(platform::FromUtf8(name).c_str()), "left"));
    platform::SetDraftTestSettings({false, std::chrono::seconds(0), nullptr});
    ASSERT_TRUE(writer.save(1));
    std::set<std::string> expected = names;
    expected.insert(others.begin(), others.end());
    EXPECT_EQ(NamesIn(folder), expected);
    EXPECT_NE(ReadText(InFolder(writer.file)), old);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, KilledSave,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kWriters))), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(kWriters[std::get<0>(info.param)].name) +
                                    (std::get<1>(info.param) ? "_UnnamedDraft" : "_NamedDraft");
                         });

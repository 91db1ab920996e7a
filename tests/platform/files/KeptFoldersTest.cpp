// What the layer keeps between calls (folders walked before, each folder's names ignoring case,
// the machine's description) follows changes made behind its back at once: by another process or
// another thread with the host's own calls.
#include "FileTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

using files_test::ReadText;
using files_test::Root;
using files_test::WriteText;

namespace {

std::string DriveC() { return platform::Machine().Drive(L'C')->folder; }

// Runs the change in a child process with the host's own calls only, and waits for it.
void InAnotherProcess(const std::function<bool()>& change)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(change() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void InAnotherThread(const std::function<bool()>& change)
{
    bool done = false;
    std::thread thread([&] { done = change(); });
    thread.join();
    ASSERT_TRUE(done);
}

bool HostWrite(const std::string& path, const std::string& text)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return fd >= 0 && close(fd) == 0 && written;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

} // namespace

TEST(KeptFolders, NamesMadeRenamedOrDeletedByAnotherProcessAreSeenAtOnce)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Inbox", nullptr));
    const std::string inbox = DriveC() + "/Inbox";
    // Looked up ignoring case, so that the folder's names are read and kept.
    EXPECT_FALSE(Exists(L"C:\\INBOX\\REPORT.TXT"));

    InAnotherProcess([&] { return HostWrite(inbox + "/report.txt", "made"); });
    EXPECT_EQ(ReadText(L"C:\\INBOX\\REPORT.TXT"), "made");

    InAnotherProcess([&] { return rename((inbox + "/report.txt").c_str(), (inbox + "/summary.txt").c_str()) == 0; });
    EXPECT_FALSE(Exists(L"C:\\INBOX\\REPORT.TXT"));
    EXPECT_EQ(ReadText(L"C:\\inbox\\SUMMARY.txt"), "made");

    InAnotherThread([&] { return unlink((inbox + "/summary.txt").c_str()) == 0; });
    EXPECT_FALSE(Exists(L"C:\\inbox\\SUMMARY.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // Of two names alike but for case, the first in byte order is taken, also when it comes later.
    InAnotherThread([&] { return HostWrite(inbox + "/notes.txt", "lower"); });
    EXPECT_EQ(ReadText(L"C:\\inbox\\NOTES.TXT"), "lower");
    InAnotherProcess([&] { return HostWrite(inbox + "/Notes.txt", "upper"); });
    EXPECT_EQ(ReadText(L"C:\\inbox\\NOTES.TXT"), "upper");
}

TEST(KeptFolders, AFolderReplacedOnTheWayLeadsToTheNewOne)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Data", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Data\\Year", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\Data\\Year\\ledger.txt", "old"));
    ASSERT_EQ(ReadText(L"C:\\Data\\Year\\ledger.txt"), "old");

    const std::string data = DriveC() + "/Data";
    InAnotherProcess([&] {
        return rename(data.c_str(), (data + ".moved").c_str()) == 0 && mkdir(data.c_str(), 0755) == 0 &&
               mkdir((data + "/Year").c_str(), 0755) == 0 && HostWrite(data + "/Year/ledger.txt", "new");
    });
    EXPECT_EQ(ReadText(L"C:\\Data\\Year\\ledger.txt"), "new");
    EXPECT_EQ(ReadText(L"C:\\data\\year\\LEDGER.TXT"), "new");

    // A folder on the way removed, then a link in its place that leads out of the machine: the path
    // is a broken one, never the file the kept folder held.
    const std::string outside = Root() + "-outside";
    ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
    ASSERT_TRUE(HostWrite(outside + "/ledger.txt", "host"));
    InAnotherThread([&] {
        return rename((data + "/Year").c_str(), (data + "/Old").c_str()) == 0 &&
               symlink(outside.c_str(), (data + "/Year").c_str()) == 0;
    });
    EXPECT_EQ(ReadText(L"C:\\Data\\Year\\ledger.txt"), "");
    EXPECT_EQ(ReadText(L"C:\\Data\\Old\\ledger.txt"), "new");
    unlink((outside + "/ledger.txt").c_str());
    rmdir(outside.c_str());
}

// A folder found missing is not asked for again while its parent's names say so, and is found as
// soon as it comes, under its own name or in another case.
TEST(KeptFolders, AFolderMissingOnTheWayIsFoundWhenItComes)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Outbox", nullptr));
    const std::string outbox = DriveC() + "/Outbox";
    EXPECT_FALSE(Exists(L"C:\\Outbox\\Later\\note.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Exists(L"C:\\OUTBOX\\LATER\\note.txt"));

    InAnotherProcess([&] { return mkdir((outbox + "/Later").c_str(), 0755) == 0 && HostWrite(outbox + "/Later/note.txt", "made"); });
    EXPECT_EQ(ReadText(L"C:\\Outbox\\Later\\note.txt"), "made");
    EXPECT_EQ(ReadText(L"C:\\OUTBOX\\LATER\\NOTE.TXT"), "made");

    InAnotherThread([&] {
        return unlink((outbox + "/Later/note.txt").c_str()) == 0 &&
               rename((outbox + "/Later").c_str(), (outbox + "/Gone").c_str()) == 0;
    });
    EXPECT_FALSE(Exists(L"C:\\Outbox\\Later\\note.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Outbox\\later", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\Outbox\\Later\\note.txt", "again"));
    EXPECT_EQ(ReadText(L"C:\\Outbox\\later\\note.txt"), "again");
}

TEST(KeptFolders, MachineIniChangedByAnotherProcessIsSeenAtOnce)
{
    const std::string ini = platform::MachineIniPath();
    ASSERT_TRUE(HostWrite(ini, "[Disk 1]\nReadOnly=0\n"));
    ASSERT_NE(platform::Machine().Disk(1), nullptr);
    EXPECT_FALSE(platform::Machine().Disk(1)->readOnly);

    // Rewritten in place, as a stand-in program may; the child reads the machine itself afterwards,
    // which must not take the report of the change from this process.
    InAnotherProcess([&] { return HostWrite(ini, "[Disk 1]\nReadOnly=1\n") && platform::Machine().Disk(1)->readOnly; });
    EXPECT_TRUE(platform::Machine().Disk(1)->readOnly);

    // Replaced by a rename over it, as the layer's own writers do.
    InAnotherProcess([&] {
        return HostWrite(ini + ".new", "[Disk 1]\nReadOnly=0\nVendor=Renamed\n") &&
               rename((ini + ".new").c_str(), ini.c_str()) == 0;
    });
    EXPECT_EQ(platform::Machine().Disk(1)->vendor, L"Renamed");
    EXPECT_FALSE(platform::Machine().Disk(1)->readOnly);

    // Removed: the machine has its defaults again.
    InAnotherThread([&] { return unlink(ini.c_str()) == 0; });
    EXPECT_EQ(platform::Machine().Disk(1), nullptr);
}

TEST(KeptFolders, AttributesChangedByAnotherProcessAreSeenAtOnce)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Shared", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\Shared\\plan.txt", "x"));
    const std::string plan = DriveC() + "/Shared/plan.txt";
    const auto listed = [] {
        WIN32_FIND_DATAW data {};
        const HANDLE find = FindFirstFileW(L"C:\\Shared\\plan.txt", &data);
        FindClose(find);
        return find == INVALID_HANDLE_VALUE ? INVALID_FILE_ATTRIBUTES : data.dwFileAttributes;
    };
    EXPECT_EQ(GetFileAttributesW(L"C:\\Shared\\plan.txt"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(listed(), FILE_ATTRIBUTE_ARCHIVE);

    InAnotherProcess([&] { return setxattr(plan.c_str(), "user.DOSATTRIB", "0x22", 4, 0) == 0; });
    EXPECT_EQ(GetFileAttributesW(L"C:\\Shared\\plan.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(listed(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    // Another file put in its place by a rename keeps none of them.
    InAnotherThread([&] {
        return HostWrite(plan + ".new", "y") && rename((plan + ".new").c_str(), plan.c_str()) == 0;
    });
    EXPECT_EQ(listed(), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesW(L"C:\\Shared\\plan.txt"), FILE_ATTRIBUTE_ARCHIVE);

    // A file with a second name elsewhere changed through that name.
    const std::string other = DriveC() + "/other-name.txt";
    ASSERT_EQ(link(plan.c_str(), other.c_str()), 0);
    EXPECT_EQ(GetFileAttributesW(L"C:\\Shared\\plan.txt"), FILE_ATTRIBUTE_ARCHIVE);
    InAnotherProcess([&] { return setxattr(other.c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0; });
    EXPECT_EQ(GetFileAttributesW(L"C:\\Shared\\plan.txt"), FILE_ATTRIBUTE_HIDDEN);
}

TEST(KeptFolders, AFileReplacedByALinkIsALink)
{
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Docs", nullptr));
    ASSERT_TRUE(WriteText(L"C:\\Docs\\a.txt", "a"));
    ASSERT_TRUE(WriteText(L"C:\\Docs\\b.txt", "b"));
    ASSERT_EQ(GetFileAttributesW(L"C:\\Docs\\a.txt"), FILE_ATTRIBUTE_ARCHIVE);
    const std::string docs = DriveC() + "/Docs";
    const std::string outside = Root() + "-outside.txt";
    ASSERT_TRUE(HostWrite(outside, "host"));

    // One link leads out of the machine, one to the other file; each put over a file by a rename.
    InAnotherProcess([&] {
        return symlink(outside.c_str(), (docs + "/out.new").c_str()) == 0 &&
               rename((docs + "/out.new").c_str(), (docs + "/a.txt").c_str()) == 0 &&
               symlink("b.txt", (docs + "/in.new").c_str()) == 0 &&
               rename((docs + "/in.new").c_str(), (docs + "/A.TXT").c_str()) == 0;
    });
    EXPECT_EQ(ReadText(L"C:\\Docs\\a.txt"), "");
    EXPECT_EQ(platform::HostPath(std::wstring(L"C:\\Docs\\a.txt")), "");
    EXPECT_EQ(GetFileAttributesW(L"C:\\Docs\\a.txt") & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(ReadText(L"C:\\Docs\\A.TXT"), "b");
    unlink(outside.c_str());
}

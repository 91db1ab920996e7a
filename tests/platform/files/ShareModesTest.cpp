// Share modes hold across the machine's processes: a child process holds a file open, and this
// process meets the same refusals Windows gives.
#include "FileTestSupport.h"

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using files_test::HandleGuard;
using files_test::ReadText;
using files_test::WriteText;

namespace {

const wchar_t kFile[] = L"C:\\held.txt";

// A child process that opens the file with the given sharing and holds it until it is ended.
class Holder {
public:
    Holder(DWORD access, DWORD share)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            const HANDLE file = CreateFileW(kFile, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
            const char answer = file != INVALID_HANDLE_VALUE ? 'y' : 'n';
            if (write(ready[1], &answer, 1) != 1)
                _exit(1);
            pause();
            _exit(0);
        }
        close(ready[1]);
        char answer = 'n';
        opened_ = read(ready[0], &answer, 1) == 1 && answer == 'y';
        close(ready[0]);
    }
    ~Holder() { End(); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool Opened() const { return opened_; }
    // Ends the child the hard way, as a crash would.
    void End()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    bool opened_ = false;
};

DWORD OpenError(DWORD access, DWORD share)
{
    HandleGuard file(CreateFileW(kFile, access, share, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.valid() ? ERROR_SUCCESS : GetLastError();
}

} // namespace

TEST(ShareModes, AFileHeldWithoutSharingIsRefusedToOtherProcesses)
{
    ASSERT_TRUE(WriteText(kFile, "in use"));
    Holder holder(GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(holder.Opened());

    EXPECT_FALSE(DeleteFileW(kFile));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileW(kFile, L"C:\\moved.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenError(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenError(GENERIC_WRITE, 0), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // An open that touches no data takes no part, as on Windows.
    EXPECT_EQ(OpenError(FILE_READ_ATTRIBUTES, 0), static_cast<DWORD>(ERROR_SUCCESS));

    // A holder that dies lets go at once.
    holder.End();
    EXPECT_EQ(ReadText(kFile), "in use");
    EXPECT_TRUE(DeleteFileW(kFile));
}

TEST(ShareModes, WhatTheHolderSharesIsAllowed)
{
    ASSERT_TRUE(WriteText(kFile, "shared"));
    Holder holder(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE);
    ASSERT_TRUE(holder.Opened());

    EXPECT_EQ(OpenError(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE), static_cast<DWORD>(ERROR_SUCCESS));
    // The holder reads, so an open that lets nobody read conflicts; the holder lets nobody write.
    EXPECT_EQ(OpenError(GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenError(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(MoveFileW(kFile, L"C:\\moved.txt"));
    EXPECT_TRUE(DeleteFileW(L"C:\\moved.txt"));
}

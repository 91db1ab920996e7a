// What a less privileged user can do to an elevated program's windows, tried with real rights: the
// elevated side runs as root, the user is a forked child dropped to a uid and gid of its own that
// owns the test's machine folder. The user finds the windows but they do not hear the user; the
// user's records and plants in run/windows steer no elevated caller anywhere; and no sender, of
// any rights, can stall a window's port, fill its memory or hold an elevated sender for long.

#include "HelperWindowProcess.h"
#include "MessagePort.h"
#include "MessageSender.h"
#include "MessageWire.h"
#include "WindowRecords.h"

#include "../kernel/ProcessRecord.h"
#include "support/OtherUser.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::kHelperTitle;
using testing_support::SendCopy;
using testing_support::WaitWithEvents;

const uid_t kUserId = testing_support::OtherUser().uid;
const gid_t kUserGroup = testing_support::OtherUser().gid;

// A forked child of the test that runs the work and reports its result (0 for success), then
// stays until the end of this object, so that what it listens on stays its own. The child is
// the other user unless told to stay root.
class CChild {
public:
    explicit CChild(const std::function<int()>& work, bool asUser = true)
    {
        int result[2], hold[2];
        if (pipe2(result, O_CLOEXEC) != 0 || pipe2(hold, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(result[0]);
            close(hold[1]);
            const bool dropped = !asUser || (setgroups(0, nullptr) == 0 && setresgid(kUserGroup, kUserGroup, kUserGroup) == 0 &&
                                             setresuid(kUserId, kUserId, kUserId) == 0);
            const unsigned char code = dropped ? static_cast<unsigned char>(work()) : 255;
            (void)!write(result[1], &code, 1);
            char none;
            while (read(hold[0], &none, 1) < 0 && errno == EINTR) {
            }
            std::_Exit(0);
        }
        close(result[1]);
        close(hold[0]);
        result_ = result[0];
        hold_ = hold[1];
    }
    ~CChild()
    {
        close(hold_);
        close(result_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    pid_t Pid() const { return pid_; }
    // The work's result, once it is done (254 when the child could not report it).
    int Result() const
    {
        unsigned char code = 254;
        while (read(result_, &code, 1) < 0 && errno == EINTR) {
        }
        return code;
    }

private:
    pid_t pid_ = -1;
    int result_ = -1;
    int hold_ = -1;
};

int ConnectTo(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// A listening socket at the host path.
int ListenAt(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || listen(fd, 64) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

platform::MessageRequest CopyRequest(uint32_t localId, uint32_t size)
{
    platform::MessageRequest request {};
    request.magic = platform::kMessageMagic;
    request.flags = platform::kWantsReply;
    request.localId = localId;
    request.message = WM_COPYDATA;
    request.cbData = size;
    return request;
}

// Whether the port closed the connection without a word (a reset when it left bytes unread).
bool Dropped(int fd)
{
    char byte;
    const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno == ECONNRESET);
}

// The process's CPU time so far, in clock ticks: user and system time, the 14th and 15th fields
// of its stat, counted from the state after the name.
long CpuTicks(pid_t pid)
{
    const std::string stat = testing_support::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string field;
    long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number)
        if (number >= 14)
            ticks += std::stol(field);
    return ticks;
}

int OpenDescriptors(pid_t pid)
{
    int count = 0;
    if (DIR* dir = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

class ElevatedWindows : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root: the elevated side runs as root and the user as another uid";
        // The machine folder is the user's, as the user's data folder is; so is run/, made by the
        // user's own programs before the elevated one starts.
        ASSERT_EQ(chown(machine.Root().c_str(), kUserId, kUserGroup), 0);
        const std::string run = machine.Root() + "/run";
        ASSERT_EQ(CChild([&] { return mkdir(run.c_str(), 0755) | mkdir((run + "/windows").c_str(), 0755); }).Result(), 0);
    }
    void TearDown() override { platform::SetMessageWaitMs(waitMs_); }

    std::string WindowsFolder() const { return machine.Root() + "/run/windows"; }

    testing_support::TempMachine machine;
    testing_support::CHelperWindowProcess helper {machine};
    const int waitMs_ = platform::MessageWaitMs();
};

TEST_F(ElevatedWindows, HearNoSenderOfLesserRights)
{
    const HWND window = helper.Start();
    ASSERT_NE(window, nullptr);
    const std::string port = helper.PortPath();
    const uint32_t localId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    // The user finds the window, as on Windows, and is told its messages are refused; bytes of
    // its own on the port are dropped unread.
    const int user = CChild([&] {
        if (FindWindowW(nullptr, kHelperTitle) != window)
            return 1;
        SetLastError(0);
        if (SendCopy(window, "hide") != 0 || GetLastError() != ERROR_ACCESS_DENIED)
            return 2;
        SetLastError(0);
        if (PostMessageW(window, WM_PAINT, 0, 0) || GetLastError() != ERROR_ACCESS_DENIED)
            return 3;
        const int fd = ConnectTo(port);
        if (fd < 0)
            return 4;
        const platform::MessageRequest request = CopyRequest(localId, 4);
        (void)!send(fd, &request, sizeof(request), MSG_NOSIGNAL);
        (void)!send(fd, "quit", 4, MSG_NOSIGNAL);
        platform::MessageReply reply {};
        const ssize_t got = recv(fd, &reply, sizeof(reply), 0);
        close(fd);
        return got <= 0 ? 0 : 5;
    }).Result();
    EXPECT_EQ(user, 0);
    EXPECT_EQ(SendCopy(window, "root"), 104);
    EXPECT_EQ(helper.Heard(), "copy 0 root shown\n");
}

TEST_F(ElevatedWindows, BelieveNoRecordWhoseProcessDoesNotAnswerAtItsPort)
{
    const HWND window = helper.Start();
    ASSERT_NE(window, nullptr);
    // A socket of root's outside the machine, which a link may name.
    std::string outside = "/tmp/quarnel-outside-XXXXXX";
    ASSERT_NE(mkdtemp(outside.data()), nullptr);
    const int outsider = ListenAt(outside + "/socket");
    ASSERT_GE(outsider, 0);
    // The user's record names root's first process, with the start time that makes it current.
    const std::optional<uint64_t> started = platform::HostStartTime(1);
    ASSERT_TRUE(started);
    const std::string name = "1-" + std::to_string(*started);
    const std::string record = WindowsFolder() + "/" + name + "-7";
    const std::string portName = WindowsFolder() + "/" + name + ".port";
    const HWND forged = reinterpret_cast<HWND>(static_cast<uintptr_t>((uint64_t {1} << 32) | 7));
    const struct {
        const char* plant;
        std::function<bool()> make;
    } plants[] = {
        {"no port", [] { return true; }},
        {"a socket of the user's", [&] { return ListenAt(portName) >= 0; }},
        {"a link to a socket outside the machine",
         [&] { return symlink((outside + "/socket").c_str(), portName.c_str()) == 0; }},
        {"a link to a root window's port", [&] { return symlink(helper.PortPath().c_str(), portName.c_str()) == 0; }},
        {"a FIFO", [&] { return mkfifo(portName.c_str(), 0666) == 0; }},
    };
    for (const auto& row : plants) {
        SCOPED_TRACE(row.plant);
        const CChild user([&] {
            const int fd = open(record.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            const bool written = fd >= 0 && write(fd, "1\n1\nForged", 10) == 10;
            if (fd >= 0)
                close(fd);
            return written && row.make() ? 0 : 1;
        });
        ASSERT_EQ(user.Result(), 0);
        EXPECT_EQ(FindWindowW(nullptr, L"Forged"), nullptr);
        DWORD processId = 0;
        EXPECT_EQ(GetWindowThreadProcessId(forged, &processId), 0u);
        EXPECT_EQ(processId, 0u);
        EXPECT_FALSE(IsWindowVisible(forged));
        EXPECT_EQ(SendCopy(forged, "quit"), 0);
        EXPECT_FALSE(PostMessageW(forged, WM_PAINT, 0, 0));
        EXPECT_EQ(accept4(outsider, nullptr, nullptr, SOCK_CLOEXEC), -1) << "the outside socket was reached";
        unlink(record.c_str());
        unlink(portName.c_str());
    }
    EXPECT_EQ(FindWindowW(nullptr, kHelperTitle), window);
    EXPECT_EQ(helper.Heard(), "");
    close(outsider);
    unlink((outside + "/socket").c_str());
    rmdir(outside.c_str());
}

TEST_F(ElevatedWindows, SilentSendersNeitherStopNorSpinThePort)
{
    const HWND window = helper.Start();
    ASSERT_NE(window, nullptr);
    const pid_t pid = static_cast<pid_t>(helper.process.processId());
    const std::string port = helper.PortPath();
    rlimit limits {};
    ASSERT_EQ(prlimit(pid, RLIMIT_NOFILE, nullptr, &limits), 0);
    const rlimit scarce {static_cast<rlim_t>(OpenDescriptors(pid) + 6), limits.rlim_max};
    // Each row's connections say nothing; how many of them the port may keep.
    const struct {
        const char* senders;
        bool asUser;
        int count;
        const rlimit* descriptors;
        int kept;
    } rows[] = {
        {"the user's, past the port's descriptors", true, 200, &scarce, 0},
        {"root's, past what one sender may hold", false, 40, &limits, int {platform::CMessagePort::kMostPerSender}},
        {"root's, past the port's descriptors", false, 200, &scarce, int {platform::CMessagePort::kMostPerSender}},
    };
    const long ticksBefore = CpuTicks(pid);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.senders);
        ASSERT_EQ(prlimit(pid, RLIMIT_NOFILE, row.descriptors, nullptr), 0);
        // The silent connections stay open until the port has let go of all it does not keep.
        const CChild silent(
            [&] {
                std::vector<int> fds;
                for (int i = 0; i < row.count; ++i)
                    fds.push_back(ConnectTo(port));
                const bool let = testing_support::WaitUntil([&] {
                    int dropped = 0;
                    for (const int fd : fds)
                        dropped += fd < 0 || Dropped(fd);
                    return dropped >= row.count - row.kept;
                });
                return let ? 0 : 1;
            },
            row.asUser);
        ASSERT_EQ(silent.Result(), 0);
        EXPECT_EQ(SendCopy(window, "still"), 105);
    }
    // Nothing woke the port over and over: a port that spins spends as much time as passes.
    EXPECT_LT(CpuTicks(pid) - ticksBefore, 2 * sysconf(_SC_CLK_TCK)) << "the port spun";
    EXPECT_EQ(helper.Heard(), "copy 0 still shown\ncopy 0 still shown\ncopy 0 still shown\n");
}

TEST_F(ElevatedWindows, LongRequestsHoldNoMoreThanTheBudget)
{
    const HWND window = helper.Start();
    ASSERT_NE(window, nullptr);
    const uint32_t localId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    // Each sender claims the longest copy and sends most of it, then waits.
    constexpr int kSenders = 10;
    const std::string data(12u * 1024u * 1024u, 'd');
    std::vector<int> fds;
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i) {
        fds.push_back(ConnectTo(helper.PortPath()));
        ASSERT_GE(fds.back(), 0);
    }
    for (const int fd : fds) {
        senders.emplace_back([&data, localId, fd] {
            const platform::MessageRequest request = CopyRequest(localId, platform::kLongestCopy);
            if (send(fd, &request, sizeof(request), MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof(request)))
                return;
            for (size_t at = 0; at < data.size();) {
                const ssize_t sent = send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
                if (sent <= 0)
                    return;
                at += static_cast<size_t>(sent);
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    int dropped = 0;
    for (const int fd : fds) {
        dropped += Dropped(fd);
        close(fd);
    }
    EXPECT_GE(dropped, kSenders - int {platform::CMessagePort::kBytesBudget / platform::kLongestCopy});
    // The port answers again once the senders have gone and their bytes are free.
    LRESULT most = 0;
    ASSERT_TRUE(WaitWithEvents([&] { return (most = SendCopy(window, "most held")) != 0; }));
    EXPECT_LE(static_cast<size_t>(most), platform::CMessagePort::kBytesBudget);
    EXPECT_GE(static_cast<size_t>(most), 2u * platform::kLongestCopy);
}

TEST_F(ElevatedWindows, ASendEndsByOneDeadlineHoweverThePortAnswers)
{
    platform::SetMessageWaitMs(1000);
    const int folder = platform::OpenWindowsFolder();
    ASSERT_GE(folder, 0);
    // A root process of the machine with a window record, whose port accepts and then answers
    // nothing, or a byte now and then.
    const struct {
        const char* port;
        bool trickles;
    } rows[] = {{"never answers", false}, {"trickles", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.port);
        const CChild slow(
            [&] {
                const pid_t self = getpid();
                const sockaddr_un address = platform::PortAddress(folder, self, platform::HostStartTime(self).value_or(0));
                const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 8) != 0)
                    return 1;
                std::thread([listener, trickles = row.trickles] {
                    for (;;) {
                        const int fd = accept(listener, nullptr, nullptr);
                        while (trickles && send(fd, "\1", 1, MSG_NOSIGNAL) == 1)
                            std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    }
                }).detach();
                return 0;
            },
            false);
        ASSERT_EQ(slow.Result(), 0);
        platform::WindowRecord record;
        record.pid = slow.Pid();
        record.startTime = platform::HostStartTime(slow.Pid()).value_or(0);
        record.localId = 1;
        record.visible = true;
        record.title = L"Slow";
        const std::string path = platform::PublishWindow(record);
        ASSERT_FALSE(path.empty());
        const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>((uint64_t(slow.Pid()) << 32) | 1));
        ASSERT_EQ(FindWindowW(nullptr, L"Slow"), window);
        SetLastError(0);
        EXPECT_EQ(SendCopy(window, "wait"), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
        platform::WithdrawWindow(path);
    }
    close(folder);
}

} // namespace

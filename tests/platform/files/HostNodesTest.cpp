// Names of the machine that are neither file nor folder: FIFOs, sockets and device nodes, which
// Windows' file namespace cannot hold. A plain open of one must fail at once, never wait for a
// writer or reach a device.
#include "FileTestSupport.h"

#include "platform/Windows.h"
#include "support/ShellLinks.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using files_test::HandleGuard;
using files_test::Root;

namespace {

// Each makes the node at the host path; false when this process may not (device nodes need rights).
bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0666) == 0; }

bool MakeNullDevice(const std::string& path) { return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }

// A socket's name stays when the socket is closed.
bool MakeSocket(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool made = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0)
        close(fd);
    return made;
}

// Whether the open failed, run on a thread of its own; a failure of the test, not a hang, when it
// has not returned within the deadline. A blocked open of a FIFO is released by opening its other
// end, so that the thread can be joined.
bool FailsPromptly(const std::function<bool()>& open, const std::string& hostPath)
{
    std::atomic<bool> done {false};
    std::atomic<bool> failed {false};
    std::thread opener([&] {
        failed = !open();
        done = true;
    });
    const bool returned = testing_support::WaitUntil([&] { return done.load(); }, std::chrono::milliseconds(2000));
    if (!returned) {
        const int other = ::open(hostPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        opener.join();
        if (other >= 0)
            close(other);
        ADD_FAILURE() << "the open did not return";
        return false;
    }
    opener.join();
    return failed;
}

bool OpenSucceeds(const std::wstring& path, DWORD access, DWORD disposition, DWORD& error)
{
    HandleGuard file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    error = GetLastError();
    return file.valid();
}

} // namespace

TEST(HostNodes, FifosSocketsAndDeviceNodesAreRefusedAtOnceByEveryPlainOpen)
{
    struct Node {
        const char* kind;
        bool (*make)(const std::string&);
    };
    const Node nodes[] = {{"fifo", MakeFifo}, {"socket", MakeSocket}, {"device", MakeNullDevice}};
    struct Opener {
        const char* how;
        // Whether the open of the Windows path succeeded.
        std::function<bool(const std::wstring&)> open;
    };
    const auto createFile = [](DWORD access, DWORD disposition) {
        return [=](const std::wstring& path) {
            DWORD error = 0;
            const bool opened = OpenSucceeds(path, access, disposition, error);
            EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error);
            return opened;
        };
    };
    const Opener openers[] = {
        {"CreateFileW, reading an existing file", createFile(GENERIC_READ, OPEN_EXISTING)},
        {"CreateFileW, writing a file opened always", createFile(GENERIC_WRITE, OPEN_ALWAYS)},
        {"CreateFileW, replacing", createFile(GENERIC_WRITE, CREATE_ALWAYS)},
        {"_wfopen", [](const std::wstring& path) {
             FILE* stream = _wfopen(path.c_str(), L"rb");
             if (stream)
                 fclose(stream);
             return stream != nullptr;
         }},
        {"IPersistFile::Load of a shortcut", [](const std::wstring& path) {
             testing_support::CShellLinkHandle link;
             return link.file && SUCCEEDED(link.file->Load(path.c_str(), STGM_READ));
         }},
    };
    int made = 0;
    for (const Node& node : nodes) {
        const std::string name = std::string("node-") + node.kind + ".lnk";
        const std::string host = Root() + "/drive_c/" + name;
        if (!node.make(host)) {
            // Making a device node takes rights this run may not have.
            std::printf("no %s made (errno %d): its row is skipped\n", node.kind, errno);
            continue;
        }
        ++made;
        const std::wstring path = L"C:\\" + std::wstring(name.begin(), name.end());
        for (const Opener& opener : openers) {
            SCOPED_TRACE(std::string(node.kind) + " by " + opener.how);
            EXPECT_TRUE(FailsPromptly([&] { return opener.open(path); }, host));
            struct stat st {};
            EXPECT_EQ(0, lstat(host.c_str(), &st));
            EXPECT_FALSE(S_ISREG(st.st_mode)) << "the node was replaced by a file";
        }
    }
    EXPECT_GE(made, 2);
}

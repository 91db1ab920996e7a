#include "WindowRecords.h"

#include "../kernel/ProcessRecord.h"
#include "../kernel/RunFolder.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr size_t kLongestRecord = 64 * 1024;

std::string RecordName(pid_t pid, uint64_t startTime, uint32_t localId)
{
    return std::to_string(pid) + "-" + std::to_string(startTime) + "-" + std::to_string(localId);
}

constexpr const char* kWindowsFolder = "windows";

// "pid-start-id" (a record) or "pid-start.port" (a port): decimal numbers and nothing else.
bool ParseName(const std::string& name, WindowRecord& record, bool& port)
{
    unsigned long long numbers[3] = {};
    const char* at = name.c_str();
    int count = 0;
    for (port = false; count < 3 && !port; ++count) {
        if (*at < '0' || *at > '9')
            return false;
        char* end = nullptr;
        numbers[count] = std::strtoull(at, &end, 10);
        port = count == 1 && std::string(end) == ".port";
        if (!port && *end != (count < 2 ? '-' : '\0'))
            return false;
        at = end + 1;
    }
    if (numbers[0] == 0 || numbers[0] > 0x7FFFFFFFull || numbers[2] > 0xFFFFFFFFull)
        return false;
    record.pid = static_cast<pid_t>(numbers[0]);
    record.startTime = numbers[1];
    record.localId = static_cast<uint32_t>(numbers[2]);
    return true;
}

// The record's text: visible flag, thread id, title, one a line (the title last, whatever it holds).
// Only what root or this process's user wrote is taken: an elevated process never takes a
// less-privileged user's word for a window.
bool ReadRecord(const CRunFolder& folder, const std::string& name, WindowRecord& record)
{
    const int fd = folder.OpenFile(name, false, RunWriters::OwnRights);
    if (fd < 0)
        return false;
    std::string text(kLongestRecord, '\0');
    const ssize_t got = read(fd, text.data(), text.size());
    close(fd);
    if (got <= 0)
        return false;
    text.resize(static_cast<size_t>(got));
    const size_t first = text.find('\n');
    const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    if (second == std::string::npos)
        return false;
    record.visible = text.compare(0, first, "1") == 0;
    record.threadId = static_cast<DWORD>(std::strtoul(text.c_str() + first + 1, nullptr, 10));
    record.title = FromUtf8(text.substr(second + 1));
    return true;
}

bool Running(const WindowRecord& record) { return HostStartTime(record.pid) == record.startTime; }

} // namespace

std::string PublishWindow(const WindowRecord& record)
{
    const CRunFolder folder = OpenRunSubfolder(kWindowsFolder);
    if (!folder.IsOpen())
        return {};
    const std::string name = RecordName(record.pid, record.startTime, record.localId);
    std::string draft;
    const int fd = folder.CreateDraft(".", draft);
    if (fd < 0)
        return {};
    const std::string text = std::string(record.visible ? "1" : "0") + "\n" + std::to_string(record.threadId) +
                             "\n" + ToUtf8(record.title).substr(0, kLongestRecord / 2);
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    // Readers see the old record or the new one, never a part of either.
    if (!written || !folder.Replace(draft, name)) {
        folder.Remove(draft);
        return {};
    }
    return folder.Path() + "/" + name;
}

void WithdrawWindow(const std::string& path)
{
    std::string name;
    if (!path.empty())
        OpenRunFolderOf(path, name).Remove(name);
}

std::vector<WindowRecord> PublishedWindows()
{
    std::vector<WindowRecord> records;
    const CRunFolder folder = OpenRunSubfolder(kWindowsFolder);
    for (const std::string& name : folder.Names()) {
        WindowRecord record;
        bool port = false;
        if (!ParseName(name, record, port))
            continue;
        if (!Running(record)) {
            // The name holds the start time: no running process can own it again.
            folder.Remove(name);
            continue;
        }
        if (!port && ReadRecord(folder, name, record))
            records.push_back(record);
    }
    return records;
}

std::optional<WindowRecord> PublishedWindow(pid_t pid, uint32_t localId)
{
    WindowRecord record;
    record.pid = pid;
    record.localId = localId;
    const std::optional<uint64_t> startTime = HostStartTime(pid);
    if (!startTime)
        return std::nullopt;
    record.startTime = *startTime;
    if (!ReadRecord(OpenRunSubfolder(kWindowsFolder), RecordName(pid, *startTime, localId), record))
        return std::nullopt;
    return record;
}

int OpenWindowsFolder()
{
    const CRunFolder folder = OpenRunSubfolder(kWindowsFolder);
    return folder.IsOpen() ? fcntl(folder.Descriptor(), F_DUPFD_CLOEXEC, 0) : -1;
}

std::string PortName(pid_t pid, uint64_t startTime)
{
    return std::to_string(pid) + "-" + std::to_string(startTime) + ".port";
}

sockaddr_un PortAddress(int folder, pid_t pid, uint64_t startTime)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "/proc/self/fd/%d/%s", folder,
                  PortName(pid, startTime).c_str());
    return address;
}

} // namespace platform

#include "WindowRecords.h"

#include "../kernel/ProcessRecord.h"
#include "../kernel/RunFolder.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr size_t kLongestRecord = 64 * 1024;

std::string RecordName(pid_t pid, uint64_t startTime, uint32_t localId)
{
    return std::to_string(pid) + "-" + std::to_string(startTime) + "-" + std::to_string(localId);
}

std::string Folder() { return RunFolder() + "/windows"; }

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
bool ReadRecord(const std::string& path, WindowRecord& record)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
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
    const std::string folder = RunSubfolder("windows");
    if (folder.empty())
        return {};
    const std::string name = RecordName(record.pid, record.startTime, record.localId);
    const std::string draft = folder + "/." + name;
    const int fd = OpenRunFile(draft);
    if (fd < 0)
        return {};
    const std::string text = std::string(record.visible ? "1" : "0") + "\n" + std::to_string(record.threadId) +
                             "\n" + ToUtf8(record.title).substr(0, kLongestRecord / 2);
    const bool written = ftruncate(fd, 0) == 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    // Readers see the old record or the new one, never a part of either.
    const std::string path = folder + "/" + name;
    if (!written || std::rename(draft.c_str(), path.c_str()) != 0) {
        unlink(draft.c_str());
        return {};
    }
    return path;
}

void WithdrawWindow(const std::string& path)
{
    if (!path.empty())
        unlink(path.c_str());
}

std::vector<WindowRecord> PublishedWindows()
{
    std::vector<WindowRecord> records;
    const std::string folder = Folder();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return records;
    while (const dirent* entry = readdir(dir.get())) {
        WindowRecord record;
        bool port = false;
        if (!ParseName(entry->d_name, record, port))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        if (!Running(record)) {
            // The name holds the start time: no running process can own it again.
            unlink(path.c_str());
            continue;
        }
        if (!port && ReadRecord(path, record))
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
    if (!ReadRecord(Folder() + "/" + RecordName(pid, *startTime, localId), record))
        return std::nullopt;
    return record;
}

int OpenWindowsFolder()
{
    const std::string folder = RunSubfolder("windows");
    return folder.empty() ? -1 : open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
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

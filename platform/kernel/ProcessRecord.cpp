#include "ProcessRecord.h"

#include "RunFolder.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace platform {

namespace {

constexpr uint32_t kMagic = 0x43525051; // "QPRC"
constexpr size_t kLongestImage = 4096;

// The record as it lies in its file, the image's UTF-8 bytes after it. Flags and codes are single
// words, written value first and flag last, so a reader never sees a flag without its value.
struct RecordHeader {
    uint32_t magic;
    uint32_t pid;
    uint64_t startTime;
    uint32_t parent;
    uint32_t ended;
    uint32_t exitCode;
    uint32_t terminate;
    uint32_t terminationCode;
    uint32_t imageBytes;
};

constexpr const char* kRecordFolder = "processes";

// The host's status line of the process; empty when there is none. A process that is reaped
// between the open and the read fails the read (ESRCH), which counts as no process: a stream
// would throw out of every Windows call that looks at processes.
std::string StatLine(pid_t pid)
{
    const int fd = open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof(buffer));
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            text.clear();
            break;
        }
    }
    close(fd);
    return text;
}

} // namespace

std::optional<uint64_t> HostStartTime(pid_t pid, bool evenEnded)
{
    if (pid <= 0)
        return std::nullopt;
    const std::string text = StatLine(pid);
    // the name in parentheses may hold blanks and parentheses itself: the fields follow the last ')'
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    std::string state, field;
    fields >> state;
    if (state.empty() || (!evenEnded && (state == "Z" || state == "X")))
        return std::nullopt;
    // the start time is the 22nd field; the state was the 3rd
    for (int number = 4; number <= 22 && fields >> field; ++number)
        if (number == 22)
            return std::strtoull(field.c_str(), nullptr, 10);
    return std::nullopt;
}

std::shared_ptr<ProcessRecord> ProcessRecord::Register(pid_t pid, const std::wstring& image)
{
    const std::optional<uint64_t> startTime = HostStartTime(pid, true);
    std::string imageBytes = ToUtf8(image).substr(0, kLongestImage);
    const CRunFolder folder = OpenRunSubfolder(kRecordFolder);
    if (!startTime || !folder.IsOpen())
        return nullptr;
    const std::string name = std::to_string(pid);
    std::string draft;
    const int fd = folder.CreateDraft(".new-", draft);
    if (fd < 0)
        return nullptr;
    RecordHeader header {};
    header.magic = kMagic;
    header.pid = static_cast<uint32_t>(pid);
    header.startTime = *startTime;
    header.parent = static_cast<uint32_t>(getpid());
    header.imageBytes = static_cast<uint32_t>(imageBytes.size());
    const std::string bytes = std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + imageBytes;
    if (pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()) || !folder.Replace(draft, name)) {
        folder.Remove(draft);
        close(fd);
        return nullptr;
    }
    return std::shared_ptr<ProcessRecord>(
        new ProcessRecord(fd, folder.Path() + "/" + name, pid, getpid(), *startTime, image));
}

std::shared_ptr<ProcessRecord> ProcessRecord::Read(const CRunFolder& folder, const std::string& name)
{
    // Only what root or this process's user wrote names a process to reach; a process that may
    // not write a record (one of root's, read by the user) still reads it.
    int fd = folder.OpenFile(name, true, RunWriters::OwnRights);
    if (fd < 0 && GetLastError() == ERROR_ACCESS_DENIED)
        fd = folder.OpenFile(name, false, RunWriters::OwnRights);
    if (fd < 0)
        return nullptr;
    RecordHeader header {};
    std::string image;
    bool whole = pread(fd, &header, sizeof(header), 0) == static_cast<ssize_t>(sizeof(header)) &&
                 header.magic == kMagic && header.imageBytes <= kLongestImage;
    if (whole) {
        image.resize(header.imageBytes);
        whole = pread(fd, image.data(), image.size(), sizeof(header)) == static_cast<ssize_t>(image.size());
    }
    if (!whole) {
        close(fd);
        return nullptr;
    }
    return std::shared_ptr<ProcessRecord>(new ProcessRecord(fd, folder.Path() + "/" + name,
                                                            static_cast<pid_t>(header.pid),
                                                            static_cast<pid_t>(header.parent), header.startTime,
                                                            FromUtf8(image)));
}

std::shared_ptr<ProcessRecord> ProcessRecord::Find(pid_t pid)
{
    if (pid <= 0)
        return nullptr;
    auto record = Read(OpenRunSubfolder(kRecordFolder), std::to_string(pid));
    if (!record || record->pid_ != pid || record->ExitCode() || HostStartTime(pid) != record->startTime_)
        return nullptr;
    return record;
}

std::vector<std::shared_ptr<ProcessRecord>> ProcessRecord::Running()
{
    std::vector<std::shared_ptr<ProcessRecord>> running;
    const CRunFolder folder = OpenRunSubfolder(kRecordFolder);
    for (const std::string& name : folder.Names()) {
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        auto record = Read(folder, name);
        if (record && record->pid_ == std::atoi(name.c_str()) && !record->ExitCode() &&
            HostStartTime(record->pid_) == record->startTime_) {
            running.push_back(std::move(record));
        } else if (record) {
            folder.RemoveIfFileAt(record->fd_, name); // its process ended without its starter
        }
    }
    return running;
}

ProcessRecord::~ProcessRecord() { close(fd_); }

void ProcessRecord::Flag(size_t flagOffset, size_t valueOffset, DWORD value)
{
    const uint32_t one = 1;
    (void)!pwrite(fd_, &value, sizeof(value), static_cast<off_t>(valueOffset));
    (void)!pwrite(fd_, &one, sizeof(one), static_cast<off_t>(flagOffset));
}

std::optional<DWORD> ProcessRecord::Flagged(size_t flagOffset, size_t valueOffset) const
{
    uint32_t flag = 0, value = 0;
    if (pread(fd_, &flag, sizeof(flag), static_cast<off_t>(flagOffset)) != sizeof(flag) || flag != 1 ||
        pread(fd_, &value, sizeof(value), static_cast<off_t>(valueOffset)) != sizeof(value))
        return std::nullopt;
    return value;
}

void ProcessRecord::Finish(DWORD exitCode)
{
    Flag(offsetof(RecordHeader, ended), offsetof(RecordHeader, exitCode), exitCode);
    std::string name;
    OpenRunFolderOf(path_, name).RemoveIfFileAt(fd_, name);
}

std::optional<DWORD> ProcessRecord::ExitCode() const
{
    return Flagged(offsetof(RecordHeader, ended), offsetof(RecordHeader, exitCode));
}

void ProcessRecord::RequestTermination(UINT exitCode)
{
    Flag(offsetof(RecordHeader, terminate), offsetof(RecordHeader, terminationCode), exitCode);
}

std::optional<DWORD> ProcessRecord::RequestedTermination() const
{
    return Flagged(offsetof(RecordHeader, terminate), offsetof(RecordHeader, terminationCode));
}

} // namespace platform

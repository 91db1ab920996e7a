// The processes of the machine: every process started through the layer, by any process of the
// machine, has a record in run/processes, named by its host id. A record counts only while a host
// process with that id and the recorded start time runs, so a reused id is never mistaken for the
// process that had it. Only records that root or the reading process's user wrote count, so that
// an elevated process never reaches a process on a less-privileged user's word. The starter
// writes the exit code into the record when the process ends; a process that ends another one
// asks for its exit code there first.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The layer's window messages, a library of their own, meet the other processes here too.
#pragma GCC visibility push(default)

namespace platform {

class CRunFolder;

// When the host started the process (clock ticks since boot), or nothing when no such process
// runs (one that ended but is not reaped yet counts only when asked for).
std::optional<uint64_t> HostStartTime(pid_t pid, bool evenEnded = false);

class ProcessRecord {
public:
    // Records a process just started from a program of the machine (image: its Windows path).
    // Null when the record could not be written; the process then runs unlisted.
    static std::shared_ptr<ProcessRecord> Register(pid_t pid, const std::wstring& image);
    // The record of a process of the machine that runs now, or null.
    static std::shared_ptr<ProcessRecord> Find(pid_t pid);
    // The records of the processes of the machine that run now; records of ended ones are dropped.
    static std::vector<std::shared_ptr<ProcessRecord>> Running();

    ~ProcessRecord();
    ProcessRecord(const ProcessRecord&) = delete;
    ProcessRecord& operator=(const ProcessRecord&) = delete;

    pid_t Pid() const { return pid_; }
    pid_t Parent() const { return parent_; }
    uint64_t StartTime() const { return startTime_; }
    const std::wstring& Image() const { return image_; }

    // The starter, once the process ended: its code, and the record leaves run/.
    void Finish(DWORD exitCode);
    // The code written by Finish, if it was.
    std::optional<DWORD> ExitCode() const;
    // Asked before ending the process from outside: the code it is to end with.
    void RequestTermination(UINT exitCode);
    std::optional<DWORD> RequestedTermination() const;

private:
    ProcessRecord(int fd, std::string path, pid_t pid, pid_t parent, uint64_t startTime, std::wstring image)
        : fd_(fd), path_(std::move(path)), pid_(pid), parent_(parent), startTime_(startTime), image_(std::move(image))
    {
    }
    static std::shared_ptr<ProcessRecord> Read(const CRunFolder& folder, const std::string& name);
    std::optional<DWORD> Flagged(size_t flagOffset, size_t valueOffset) const;
    void Flag(size_t flagOffset, size_t valueOffset, DWORD value);

    const int fd_;
    const std::string path_;
    const pid_t pid_;
    const pid_t parent_;
    const uint64_t startTime_;
    const std::wstring image_;
};

} // namespace platform

#pragma GCC visibility pop

#include "ChildProcess.h"

#include "RootsPrograms.h"

#include "ExitChannel.h"
#include "Inheritance.h"

#include "platform/win/Errors.h"
#include "platform/win/Sync.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// The children by process id. Reaper threads outlive main(), so the table is never destroyed:
// a child that ends while the program exits must still find it.
struct Children {
    std::mutex mutex;
    std::map<pid_t, std::weak_ptr<ChildProcess>> byPid;
};
Children& TheChildren()
{
    static auto* children = new Children;
    return *children;
}

// Windows' status for a process ended by a signal, so that it never looks like success.
DWORD StatusOfSignal(int signal)
{
    switch (signal) {
    case SIGSEGV:
    case SIGBUS: return 0xC0000005u; // access violation
    case SIGILL: return 0xC000001Du; // illegal instruction
    case SIGFPE: return 0xC0000094u; // integer division by zero
    case SIGABRT: return 3;          // abort()
    case SIGINT: return 0xC000013Au; // ended by Ctrl+C
    default: return 1;
    }
}

// The descriptors handed to the child, in the order the spawn actions apply them: a source among
// 0..2 could be overwritten by an earlier action, so such a source is first copied above them.
class SpawnActions {
public:
    explicit SpawnActions(const LaunchRequest& request, int exitWriteEnd)
    {
        posix_spawn_file_actions_init(&actions_);
        for (int target = 0; target < 3; ++target) {
            int source = request.standard[target];
            if (source == LaunchRequest::kNullDevice) {
                posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", O_RDWR, 0);
                continue;
            }
            if (source == LaunchRequest::kOwn || source == target)
                continue;
            if (source < 3) {
                source = fcntl(source, F_DUPFD_CLOEXEC, 3);
                copies_.push_back(source);
            }
            posix_spawn_file_actions_adddup2(&actions_, source, target);
        }
        if (exitWriteEnd >= 0)
            posix_spawn_file_actions_adddup2(&actions_, exitWriteEnd, kExitChannelDescriptor);
        // Sources are first copied above every target, so that no action overwrites a later source.
        const int above = kFirstInheritedDescriptor + static_cast<int>(request.inherited.size());
        for (size_t i = 0; i < request.inherited.size(); ++i) {
            const int copy = fcntl(request.inherited[i], F_DUPFD_CLOEXEC, above);
            if (copy < 0)
                continue;
            copies_.push_back(copy);
            posix_spawn_file_actions_adddup2(&actions_, copy, kFirstInheritedDescriptor + static_cast<int>(i));
        }
        if (!request.folder.empty())
            posix_spawn_file_actions_addchdir_np(&actions_, request.folder.c_str());
    }
    ~SpawnActions()
    {
        posix_spawn_file_actions_destroy(&actions_);
        for (const int copy : copies_)
            close(copy);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    const posix_spawn_file_actions_t* Get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    std::vector<int> copies_;
};

// The child starts with no blocked signals and every signal at its default action.
class SpawnAttributes {
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&attributes_);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

std::vector<char*> Pointers(const std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (const auto& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// The descriptor moved above every number the child's descriptors are given, so that none of them
// takes its place before the child is started from it; -1 as it came.
int AboveChildsDescriptors(int fd, const LaunchRequest& request)
{
    if (fd < 0)
        return fd;
    const int closesOnStart = fcntl(fd, F_GETFD) & FD_CLOEXEC;
    const int moved = fcntl(fd, closesOnStart ? F_DUPFD_CLOEXEC : F_DUPFD,
                            kFirstInheritedDescriptor + static_cast<int>(request.inherited.size()));
    const int err = errno;
    close(fd);
    if (moved < 0)
        SetLastError(ErrorFromErrno(err));
    return moved;
}

} // namespace

std::shared_ptr<ChildProcess> ChildProcess::Start(const LaunchRequest& request)
{
    int channel[2] = {-1, -1};
    std::vector<std::string> environment = request.environment;
    if (request.exitChannel) {
        if (pipe2(channel, O_CLOEXEC) != 0) {
            SetLastErrorFromErrno();
            return nullptr;
        }
        fcntl(channel[0], F_SETFL, O_NONBLOCK);
        environment.push_back(std::string(kExitChannelVariable) + "=" + std::to_string(kExitChannelDescriptor));
    }
    std::vector<std::string> arguments = request.arguments;
    if (arguments.empty())
        arguments.push_back(request.program);
    // Root starts the very file it checked, by its descriptor: nobody can swap the program, or a
    // folder above it, between the check and the start.
    const int checked = StartsOnlyRootsPrograms() ? AboveChildsDescriptors(OpenRootsProgram(request.program), request) : -1;
    if (StartsOnlyRootsPrograms() && checked < 0) {
        const DWORD error = GetLastError();
        if (channel[0] >= 0) {
            close(channel[0]);
            close(channel[1]);
        }
        SetLastError(error);
        return nullptr;
    }
    const std::string program = checked >= 0 ? "/proc/self/fd/" + std::to_string(checked) : request.program;
    pid_t pid = 0;
    int rc;
    {
        const SpawnActions actions(request, channel[1]);
        const SpawnAttributes attributes;
        rc = posix_spawn(&pid, program.c_str(), actions.Get(), attributes.Get(), Pointers(arguments).data(),
                         Pointers(environment).data());
    }
    if (checked >= 0)
        close(checked);
    if (channel[1] >= 0)
        close(channel[1]);
    if (rc != 0) {
        if (channel[0] >= 0)
            close(channel[0]);
        SetLastError(ErrorFromErrno(rc));
        return nullptr;
    }
    auto record = request.image.empty() ? nullptr : ProcessRecord::Register(pid, request.image);
    auto child = std::make_shared<ChildProcess>(pid, channel[0], std::move(record));
    if (child->record_) {
        std::lock_guard<std::mutex> lock(TheChildren().mutex);
        TheChildren().byPid[pid] = child;
    }
    std::thread([child] { child->Reap(); }).detach();
    return child;
}

std::shared_ptr<ChildProcess> ChildProcess::Find(pid_t pid)
{
    Children& children = TheChildren();
    std::lock_guard<std::mutex> lock(children.mutex);
    const auto found = children.byPid.find(pid);
    return found == children.byPid.end() ? nullptr : found->second.lock();
}

ChildProcess::~ChildProcess()
{
    if (exitChannel_ >= 0)
        close(exitChannel_);
}

void ChildProcess::Reap()
{
    siginfo_t info {};
    while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        zombie_ = true;
        int status = 0;
        pid_t reaped;
        do
            reaped = waitpid(pid_, &status, 0);
        while (reaped < 0 && errno == EINTR);
        exitCode_ = reaped == pid_ ? CodeOf(status) : 0;
        ended_ = true;
        if (record_)
            record_->Finish(exitCode_);
    }
    {
        std::lock_guard<std::mutex> lock(TheChildren().mutex);
        TheChildren().byPid.erase(pid_);
    }
    endedSignal_.notify_all();
    Bump(pulse_);
}

DWORD ChildProcess::CodeOf(int status)
{
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
        if (terminated_)
            return terminationCode_;
        if (const auto asked = record_ ? record_->RequestedTermination() : std::nullopt)
            return *asked; // ended by another process of the machine
    }
    if (WIFSIGNALED(status))
        return StatusOfSignal(WTERMSIG(status));
    const DWORD shortCode = static_cast<DWORD>(WEXITSTATUS(status));
    DWORD reported = 0;
    if (exitChannel_ >= 0 && ReportedExitCode(exitChannel_, pid_, reported) && (reported & 0xFF) == shortCode)
        return reported;
    return shortCode;
}

bool ChildProcess::WaitEnd(const Deadline& deadline)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ended_) {
        if (deadline.Infinite())
            endedSignal_.wait(lock);
        else if (deadline.Passed())
            return false;
        else
            endedSignal_.wait_for(lock, std::chrono::milliseconds(deadline.Remaining()));
    }
    return true;
}

bool ChildProcess::Ended()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

DWORD ChildProcess::ExitCode()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return exitCode_;
}

DWORD ChildProcess::Terminate(UINT exitCode)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (zombie_)
        return ERROR_ACCESS_DENIED;
    terminated_ = true;
    terminationCode_ = exitCode;
    return kill(pid_, SIGKILL) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

} // namespace platform

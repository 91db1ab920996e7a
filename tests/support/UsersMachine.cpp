#include "support/UsersMachine.h"

#include "support/OtherUser.h"

#include "platform/Machine.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace testing_support {

namespace {

// A folder of root's alone beside the machine, on its file system; readable by all when open.
std::string MakeRootsFolder(const std::string& machineRoot, const char* what, bool open)
{
    std::string pattern = fs::path(machineRoot).parent_path().string() + "/quarnel-" + what + "-XXXXXX";
    if (!mkdtemp(pattern.data()) || chmod(pattern.c_str(), open ? 0755 : 0700) != 0)
        throw std::runtime_error("cannot make a folder of root's beside the machine");
    return pattern;
}

void WriteRootsFile(const std::string& path, const std::string& content)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    if (fd >= 0)
        close(fd);
    if (!written)
        throw std::runtime_error("cannot write a file of root's beside the machine");
}

void Describe(const fs::path& path, std::ostringstream& text)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        text << path.string() << " missing\n";
        return;
    }
    text << path.string() << ' ' << st.st_uid << ':' << st.st_gid << ' ' << std::oct << st.st_mode << std::dec << ' '
         << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    // The content by its hash, so that a failure message stays readable.
    if (S_ISREG(st.st_mode))
        text << ' ' << std::hash<std::string>()(ReadFile(path.string()));
    text << '\n';
}

} // namespace

CUsersMachine::CUsersMachine()
{
    program_ = MakeRootsFolder(machine_.Root(), "program", true);
    outside_ = MakeRootsFolder(machine_.Root(), "outside", false);
    WriteRootsFile(ProgramFile(), "root's program");
    WriteRootsFile(Secret(), "root's own");
    platform::SetProgramFolder(program_);
    setenv("QUARNEL_PROGRAM_FOLDER", program_.c_str(), 1);
    GiveToOtherUser(machine_.Root());
}

CUsersMachine::~CUsersMachine()
{
    unsetenv("QUARNEL_PROGRAM_FOLDER");
    platform::SetProgramFolder("");
    std::error_code ignored;
    fs::remove_all(program_, ignored);
    fs::remove_all(outside_, ignored);
}

std::string CUsersMachine::LookOutside() const
{
    std::ostringstream text;
    for (const std::string& folder : {program_, outside_}) {
        Describe(folder, text);
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(folder, error))
            Describe(entry.path(), text);
    }
    return text.str();
}

int CUsersMachine::RunAsRoot(const std::vector<std::string>& arguments, std::string* output) const
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string printed;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof(buffer))) != 0;) {
        if (n > 0)
            printed.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (output)
        *output = printed;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testing_support

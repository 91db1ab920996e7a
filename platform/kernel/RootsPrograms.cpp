#include "RootsPrograms.h"

#include "../core/FileIdentity.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/ShellFolders.h"

#include <cerrno>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The folder the layer's library was loaded from.
std::string LayerFolder()
{
    Dl_info info {};
    if (!dladdr(reinterpret_cast<void*>(&RootsSystemProgram), &info) || !info.dli_fname)
        return {};
    const std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    return slash == std::string::npos ? std::string() : library.substr(0, slash);
}

const std::string& SystemProgramsFolder()
{
    static const std::string folder = LayerFolder() + "/system32";
    return folder;
}

} // namespace

bool StartsOnlyRootsPrograms() { return geteuid() == 0; }

std::string RootsSystemProgram(const std::wstring& name)
{
    std::wstring stem = name.substr(name.find_last_of(L"\\/") + 1);
    if (stem.size() > 4 && EqualsIgnoringCase(stem.substr(stem.size() - 4), L".exe"))
        stem.resize(stem.size() - 4);
    const std::string& folder = SystemProgramsFolder();
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    if (stem.empty() || !listing)
        return {};
    while (const dirent* entry = readdir(listing.get()))
        if (EqualsIgnoringCase(FromUtf8(entry->d_name), stem))
            return folder + "/" + entry->d_name;
    return {};
}

std::wstring SystemProgramImage(const std::string& hostPath)
{
    const std::string& folder = SystemProgramsFolder();
    if (hostPath.size() <= folder.size() + 1 || hostPath.compare(0, folder.size() + 1, folder + "/") != 0 ||
        hostPath.find('/', folder.size() + 1) != std::string::npos)
        return {};
    WCHAR system[MAX_PATH] = {};
    if (!GetSystemDirectoryW(system, MAX_PATH))
        return {};
    return std::wstring(system) + L"\\" + FromUtf8(hostPath.substr(folder.size() + 1)) + L".exe";
}

int OpenRootsProgram(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const int folder = slash == std::string::npos ? -1 : HoldRootsFolder(slash == 0 ? "/" : path.substr(0, slash));
    if (folder < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    const OwnRights rights;
    const int program = openat(folder, path.c_str() + slash + 1, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int err = errno;
    close(folder);
    struct stat st {};
    char start[2] = {};
    if (program >= 0 && fstat(program, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0 &&
        !(st.st_mode & (S_IWGRP | S_IWOTH))) {
        // A script's interpreter reads the script through the descriptor's name after the start:
        // the child keeps it.
        if (pread(program, start, sizeof(start), 0) == 2 && start[0] == '#' && start[1] == '!')
            fcntl(program, F_SETFD, 0);
        return program;
    }
    if (program >= 0)
        close(program);
    SetLastError(program < 0 && err == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return -1;
}

} // namespace platform

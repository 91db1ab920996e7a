// Files of the machine's run/ folder, where the named kernel objects of all processes of the
// machine meet. The machine's user writes run/, and elevated processes work in it too: so
// everything in it is reached relative to folders held by descriptor, never through a link, and
// an elevated process hands the user only what it has just made itself. An elevated process acts
// here with its own rights, so that its records stay root's.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

// The layer's window messages, a library of their own, meet the other processes here too.
#pragma GCC visibility push(default)

namespace platform {

// The path of the run/ folder of the machine this process uses now: a name to show, compare and
// hand on; reached only through OpenRunFolder.
std::string RunFolder();

// Who may have written an existing file of run/ that is opened.
enum class RunWriters {
    // This process's user or run/'s owner: the objects all processes of the machine share.
    Shared,
    // Root or this process's user: what tells a process whom to reach (records of processes and
    // windows), so that an elevated process never takes a less-privileged user's word for it.
    OwnRights,
};

// run/ or one of its folders, held by a descriptor that was opened without following a link and
// that belongs to this process's user or to the owner of the folder above (for run/ the machine
// root's owner).
class CRunFolder {
public:
    CRunFolder() = default; // holds nothing
    ~CRunFolder();
    CRunFolder(CRunFolder&& other) noexcept;
    CRunFolder& operator=(CRunFolder&& other) noexcept;
    CRunFolder(const CRunFolder&) = delete;
    CRunFolder& operator=(const CRunFolder&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // Its path, as shown and handed on (see OpenRunFolderOf); never opened again by this object.
    const std::string& Path() const { return path_; }

    // Its folder of that name, made when missing (and given to run/'s owner when this call made
    // it); not open, with ERROR_ACCESS_DENIED, when the name is a link or no folder or belongs
    // to someone else.
    CRunFolder Subfolder(const std::string& name) const;

    // A new file of that name (never one that is there already), for reading and writing: shared,
    // it is private and given to run/'s owner, so that the user's own processes use it too;
    // otherwise it stays this process's user's and all may read it. -1 with the last error set.
    int CreateFile(const std::string& name, bool shared) const;
    // A new unshared file under a name that starts with prefix and that nobody can guess (name
    // tells it), to be put in its place by Replace.
    int CreateDraft(const std::string& prefix, std::string& name) const;
    // The file of that name, if it is a regular file with no other link, that writers may have
    // written; opened without following a link and without blocking, close-on-exec. -1 with the
    // last error set: ERROR_FILE_NOT_FOUND when there is none, ERROR_ACCESS_DENIED otherwise.
    int OpenFile(const std::string& name, bool write, RunWriters writers) const;
    // The shared file of that name, made when missing (created tells which), for reading and
    // writing; -1 with the last error set.
    int OpenSharedFile(const std::string& name, bool& created) const;

    // Whether the name still leads to the open file (the last user of a file of run/ removes it,
    // and a new one may take its name).
    bool IsFileAt(int fd, const std::string& name) const;
    // Removes the name (never a folder, never what a link leads to).
    bool Remove(const std::string& name) const;
    // Removes the name if it still leads to the open file.
    void RemoveIfFileAt(int fd, const std::string& name) const;
    // Puts the file named from in the place of to, in one step.
    bool Replace(const std::string& from, const std::string& to) const;
    // The names it holds now.
    std::vector<std::string> Names() const;

private:
    CRunFolder(int fd, std::string path, uid_t owner, gid_t group)
        : fd_(fd), path_(std::move(path)), ownerUid_(owner), ownerGid_(group)
    {
    }
    friend CRunFolder OpenRunFolder(const std::string& machineRoot);
    static CRunFolder Held(int parent, const std::string& parentPath, const std::string& name, uid_t owner, gid_t group);
    // CreateFile without setting the last error (errno tells).
    int Create(const std::string& name, bool shared) const;
    // Gives a file or folder this process has just made to run/'s owner.
    void GiveToOwner(int fd) const;

    int fd_ = -1;
    std::string path_;
    uid_t ownerUid_ = 0; // run/'s owner, who gets what an elevated process makes for all
    gid_t ownerGid_ = 0;
};

// run/ of the machine this process uses now, or of the machine at that root; made when missing.
// Not open with the last error set when it cannot be held.
CRunFolder OpenRunFolder();
CRunFolder OpenRunFolder(const std::string& machineRoot);
// A folder of run/ of the machine this process uses now (OpenRunFolder().Subfolder(name)).
CRunFolder OpenRunSubfolder(const std::string& name);
// The folder of run/ (run/ itself or one of its folders) that holds the file a path of a folder's
// Path() names, and the file's name in it: for a file that must be reached again once the process
// may have moved to another machine root.
CRunFolder OpenRunFolderOf(const std::string& filePath, std::string& name);

// Maps size bytes of the file shared, growing the file when shorter; null with the last error set
// on failure. Unmap only what no thread of this process owns a robust mutex in.
void* MapRunFile(int fd, size_t size);

} // namespace platform

#pragma GCC visibility pop

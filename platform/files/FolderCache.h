// What the layer keeps of the machine's folders between calls: folders walked before, held open,
// and each folder's names looked up ignoring case. Both are kept up to date from the kernel's
// reports of changes (platform::ChangeWatch), which Machine() hands over at the start of every
// call, so that a change made by any process before a call is seen by that call: a kept folder is
// dropped as soon as a name on its way comes, goes or is renamed, or a folder on its way is moved
// or removed.
#pragma once

#include "PathResolver.h"

#include "platform/win/Types.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::files {

// One name walked through: the watch of the folder that holds it, and the name.
struct FolderStep {
    int watch;
    std::string name;
};

// Starts watching an open folder for names that come, go or are renamed in it, and for its own
// move or removal; the watch's number, or -1 when it cannot be watched (nothing is kept then).
int WatchFolder(int folderFd);

// The folder kept under key, or null; with the watch of that folder and, where asked for, the
// steps it was reached through.
std::shared_ptr<Descriptor> KeptFolder(const std::string& key, int& watch, std::vector<FolderStep>* steps = nullptr);
// Keeps a folder reached through steps (each folder's watch, with the name taken in it), itself
// watched by watch.
void KeepFolder(const std::string& key, std::shared_ptr<Descriptor> folder, std::vector<FolderStep> steps, int watch);

// What a watched folder holds under a host name, from the folder's kept index: the name as the
// folder holds it (that very name, else the first in byte order whose Windows name equals it
// ignoring case; empty when none does) and its type as the folder lists it (DT_UNKNOWN where not
// known), with the count of changes the index has taken (for NoteEntryType). False where no index is
// kept (the folder is not watched, or holds too many names): the folder must be asked.
bool FindEntry(int folderFd, int watch, const std::string& name, std::string& found, unsigned char& type,
               unsigned long* changes = nullptr);
// Whether the watched folder's kept index tells that the folder holds no entry of exactly that host
// name; false where no index is kept (none is made for this).
bool KnownMissing(int watch, const std::string& name);
// Notes the type of a name the index did not know, as read from the file system after FindEntry,
// unless a name came or went since (changes as FindEntry gave it).
void NoteEntryType(int watch, const std::string& name, unsigned char type, unsigned long changes);

// The name of an open folder's entry whose Windows name equals that of the host name ignoring case;
// of several, the first in byte order, so that the same path always reaches the same file. Empty
// when none does. watch is the folder's (-1: the folder is not watched and is read anew).
std::string EntryIgnoringCase(int folderFd, int watch, const std::string& name);

// The Windows attribute bits of an entry of a watched folder: as read before, while the kernel has
// reported no change of the entry (its attributes included) and it is still the same file (inode
// and birth); otherwise as read returns them, kept where read says they may be. Only files with one
// name are kept: a change through another name is reported to another folder.
std::optional<DWORD> KeptAttributes(int watch, const char* name, ino_t inode, timespec born,
                                    const std::function<std::optional<DWORD>(bool& keep)>& read);

} // namespace platform::files

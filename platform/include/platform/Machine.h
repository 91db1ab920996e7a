// The Windows machine this layer stands in for: one folder on the host (the machine root) holding
// machine.ini (drives, disks, version, user), the drives' folders, registry.db and run/.
#pragma once

#include "platform/IniFile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#pragma GCC visibility push(default)

namespace platform {

struct DriveInfo {
    wchar_t letter = L'C';          // upper case
    std::string folder;             // host folder (absolute)
    unsigned type = 3;              // DRIVE_FIXED; 2 removable, 4 remote, 5 cd-rom, 6 ram disk
    unsigned busType = 11;          // STORAGE_BUS_TYPE: 7 USB, 11 SATA, 17 NVMe, ...
    int disk = 0;                   // physical disk number, -1 when none
    std::wstring label;
    std::wstring fileSystem = L"NTFS";
    std::wstring volumeGuid;        // "\\?\Volume{...}\"
    uint32_t serial = 0;
    bool readOnly = false;
    std::optional<uint64_t> totalBytes; // reported sizes; the host's when unset
    std::optional<uint64_t> freeBytes;
};

struct DiskInfo {
    int number = 0;
    unsigned busType = 11;
    std::wstring vendor;
    std::wstring product;
    uint64_t sizeBytes = 0;
    bool readOnly = false;
};

struct WindowsVersion {
    uint32_t major = 10;
    uint32_t minor = 0;
    uint32_t build = 19045;
    uint32_t servicePackMajor = 0;
    std::wstring csdVersion;
};

struct MachineDescription {
    std::string root;                           // the machine root (host, absolute)
    std::vector<DriveInfo> drives;              // sorted by letter
    std::vector<DiskInfo> disks;
    WindowsVersion reportedVersion;             // what GetVersionExW answers
    WindowsVersion trueVersion;                 // what RtlGetNtVersionNumbers answers
    bool is64BitWindows = true;
    std::optional<bool> administrator;          // unset: effective user id 0
    int screenHeight = 1080;
    std::wstring userName = L"Owner";
    std::wstring computerName = L"DESKTOP-QUARNEL";
    std::string registryImport;                 // a .reg text file imported when the registry is made
    // The Windows folder the program folder appears as ("X:\a\b", no trailing backslash).
    std::wstring programFolder = L"C:\\Program Files (x86)\\Orvane\\Orvane Quarnel\\bin";

    const DriveInfo* Drive(wchar_t letter) const;
    const DiskInfo* Disk(int number) const;
};

// The machine of this process: read from machine.ini of the machine root on first use
// (QUARNEL_MACHINE, else $XDG_DATA_HOME/orvane/machine or ~/.local/share/orvane/machine; made with
// defaults when missing) and read again whenever machine.ini has changed since, so that a change
// made by another process (a stand-in Windows program) is seen at once. Safe to call from any
// thread.
const MachineDescription& Machine();

// Held by a Windows call that resolves more than one path and changes nothing in between: the
// changes other processes made before the call are taken in by its first Machine() alone, which
// spares the later ones a look at the change queue. Held on the calling thread only.
class OneLookAtChanges {
public:
    OneLookAtChanges();
    ~OneLookAtChanges();
    OneLookAtChanges(const OneLookAtChanges&) = delete;
    OneLookAtChanges& operator=(const OneLookAtChanges&) = delete;
};

// Forgets the cached description so that the next Machine() reads machine.ini again (tests that
// change the machine, or point QUARNEL_MACHINE elsewhere, call it).
void ReloadMachine();

// A folder of the machine root (created when missing): "run", "drive_c", ...
std::string MachinePath(const std::string& relative);

// The machine.ini of the root, for the layer's own settings of areas outside the description.
// It lies outside the machine's drives: Windows calls do not reach it.
std::string MachineIniPath();

// Changes machine.ini in one read-modify-write held against the machine's other writers, then
// reads the machine again (the stand-in Windows programs change the machine so); false with errno
// set when it could not be written.
bool ChangeMachineIni(const std::function<void(IniFile&)>& change);

// Host path of a Windows path, by the rules every file function of the layer follows: the path
// is completed as Windows completes it (a rooted path without a drive is on the current drive, a
// relative one is under the current folder), "." and ".." are folded (never above a drive's root),
// the drive letter or the program folder's Windows path is mapped onto its host folder, each name
// is matched ignoring case where no name of that exact case exists, and names Windows could not
// hold come back as the host names they stand for. Empty when the path names nothing of the
// machine (no such drive, a network path, a name no Windows name can be) or when a link on it
// leads out of the machine. A host path is no Windows path: "/etc" is "C:\etc".
std::string HostPath(const std::wstring& windowsPath);
std::string HostPath(const std::string& windowsPathUtf8);

// Windows path of a host path inside the machine (a drive's folder or the program folder); empty
// for a path outside the machine.
std::wstring WindowsPath(const std::string& hostPath);

// The names of a host path, in order, without the empty ones doubled slashes make.
std::vector<std::string> HostPathNames(const std::string& path);

// A host path with "." and ".." folded and doubled slashes dropped, never above "/".
std::string FoldedHostPath(const std::string& path);

// The program folder: the running executable's folder, unless QUARNEL_PROGRAM_FOLDER names
// another or SetProgramFolder was called (tests that act as the program use either).
std::string ProgramFolder();
void SetProgramFolder(const std::string& hostFolder);

} // namespace platform

#pragma GCC visibility pop

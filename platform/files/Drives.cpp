#include "Drives.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <sys/statvfs.h>

namespace platform::files {

namespace {

constexpr unsigned kRemoteDrive = 4;
const std::wstring kVolumePrefix = L"\\\\?\\Volume{";

// Whether the host path is the folder or lies below it.
bool Holds(const std::string& folder, const std::string& hostPath)
{
    size_t length = folder.size();
    while (length > 1 && folder[length - 1] == '/')
        --length;
    return hostPath.compare(0, length, folder, 0, length) == 0 &&
           (hostPath.size() == length || hostPath[length] == '/' || (length == 1 && folder[0] == '/'));
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

const DriveInfo* DriveOfHostPath(const std::string& hostPath) { return DriveOfHostPath(Machine(), hostPath); }

const DriveInfo* DriveOfHostPath(const MachineDescription& machine, const std::string& hostPath)
{
    const DriveInfo* best = nullptr;
    for (const auto& drive : machine.drives)
        if (Holds(drive.folder, hostPath) && (!best || drive.folder.size() > best->folder.size()))
            best = &drive;
    return best;
}

bool IsDriveFolder(const std::string& hostPath)
{
    const std::string path = WithoutTrailingSlash(hostPath);
    for (const auto& drive : Machine().drives)
        if (WithoutTrailingSlash(drive.folder) == path)
            return true;
    return false;
}

namespace {

bool ReadOnly(const MachineDescription& machine, const DriveInfo& drive)
{
    if (drive.readOnly)
        return true;
    const DiskInfo* disk = drive.disk >= 0 ? machine.Disk(drive.disk) : nullptr;
    return disk && disk->readOnly;
}

} // namespace

bool IsWriteProtected(const DriveInfo& drive) { return ReadOnly(Machine(), drive); }

bool IsWriteProtected(const MachineDescription& machine, const std::string& hostPath)
{
    const DriveInfo* drive = DriveOfHostPath(machine, hostPath);
    return drive && ReadOnly(machine, *drive);
}

bool IsLocalVolume(const DriveInfo& drive) { return drive.type != kRemoteDrive; }

std::wstring VolumeName(const DriveInfo& drive)
{
    std::wstring name = drive.volumeGuid;
    if (name.empty()) {
        wchar_t guid[40];
        std::swprintf(guid, 40, L"4f52564e-0000-4000-8000-0000000000%02x", static_cast<unsigned>(drive.letter));
        name = kVolumePrefix + guid + L"}";
    } else if (name.front() == L'{') {
        name = L"\\\\?\\Volume" + name;
    } else if (name.compare(0, 7, L"Volume{") == 0) {
        name = L"\\\\?\\" + name;
    }
    if (name.back() != L'\\')
        name += L'\\';
    return name;
}

const DriveInfo* DriveOfVolumeName(const std::wstring& text, size_t& nameLength)
{
    if (!EqualsIgnoringCase(text.substr(0, kVolumePrefix.size()), kVolumePrefix))
        return nullptr;
    const size_t brace = text.find(L'}');
    if (brace == std::wstring::npos)
        return nullptr;
    const std::wstring wanted = text.substr(0, brace + 1);
    for (const auto& drive : Machine().drives) {
        const std::wstring name = VolumeName(drive);
        if (IsLocalVolume(drive) && EqualsIgnoringCase(name.substr(0, name.size() - 1), wanted)) {
            nameLength = wanted.size();
            return &drive;
        }
    }
    return nullptr;
}

const DriveInfo* DriveOfRoot(const std::wstring& root, bool backslashRequired)
{
    size_t length = 0;
    const DriveInfo* drive = DriveOfVolumeName(root, length);
    if (!drive) {
        if (root.size() < 2 || root[1] != L':' || !std::iswalpha(static_cast<wint_t>(root[0])))
            return nullptr;
        drive = Machine().Drive(root[0]);
        length = 2;
    }
    const std::wstring rest = root.substr(length);
    const bool rootOnly = rest == L"\\" || rest == L"/" || (rest.empty() && !backslashRequired);
    return rootOnly ? drive : nullptr;
}

namespace {

void Fill(const struct statvfs& fs, const std::string& hostPath, DriveSizes& sizes)
{
    const DriveInfo* drive = DriveOfHostPath(hostPath);
    const uint64_t hostTotal = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    const uint64_t hostFree = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    sizes.total = drive && drive->totalBytes ? *drive->totalBytes : hostTotal;
    sizes.free = std::min(drive && drive->freeBytes ? *drive->freeBytes : hostFree, sizes.total);
}

} // namespace

bool SizesOf(const std::string& hostFolder, DriveSizes& sizes)
{
    struct statvfs fs {};
    if (statvfs(hostFolder.c_str(), &fs) != 0)
        return false;
    Fill(fs, hostFolder, sizes);
    return true;
}

bool SizesOf(int fd, const std::string& hostPath, DriveSizes& sizes)
{
    struct statvfs fs {};
    if (fstatvfs(fd, &fs) != 0)
        return false;
    Fill(fs, hostPath, sizes);
    return true;
}

uint64_t DiskSize(const DiskInfo& disk)
{
    if (disk.sizeBytes)
        return disk.sizeBytes;
    uint64_t total = 0;
    for (const auto& drive : Machine().drives) {
        DriveSizes sizes;
        if (drive.disk == disk.number && IsLocalVolume(drive) && SizesOf(drive.folder, sizes))
            total += sizes.total;
    }
    return total;
}

} // namespace platform::files

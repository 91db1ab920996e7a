// The machine's drives as the file and volume functions see them. Every lookup reads
// platform::Machine() afresh, so a reloaded machine.ini takes effect at once.
#pragma once

#include "platform/Machine.h"
#include "platform/win/Types.h"

#include <cstdint>
#include <string>

namespace platform::files {

// The drive whose folder holds the host path (the deepest one), or null.
const DriveInfo* DriveOfHostPath(const std::string& hostPath);
const DriveInfo* DriveOfHostPath(const MachineDescription& machine, const std::string& hostPath);

// Whether the host path is a drive's folder itself.
bool IsDriveFolder(const std::string& hostPath);

// Whether the drive, or the disk it lies on, is read-only.
bool IsWriteProtected(const DriveInfo& drive);
// The same for the drive that holds a host path (false for none).
bool IsWriteProtected(const MachineDescription& machine, const std::string& hostPath);

// Whether the drive is a volume of this machine (network drives are not).
bool IsLocalVolume(const DriveInfo& drive);

// The drive's volume name, "\\?\Volume{...}\": the machine's Guid, or one made from the letter.
std::wstring VolumeName(const DriveInfo& drive);

// The drive named by the start of text: "\\?\Volume{...}" (its length in nameLength), else null.
const DriveInfo* DriveOfVolumeName(const std::wstring& text, size_t& nameLength);

// The drive a root argument names: "C:\" (or "C:" when the backslash is optional) or
// "\\?\Volume{...}\"; null when it names none.
const DriveInfo* DriveOfRoot(const std::wstring& root, bool backslashRequired);

struct DriveSizes {
    uint64_t total = 0;
    uint64_t free = 0;
};

// Sizes of the drive holding the host folder (the machine's where set, the host file system's
// otherwise); false with errno set when the folder cannot be examined.
bool SizesOf(const std::string& hostFolder, DriveSizes& sizes);
// The same for an open file or folder whose host path is hostPath.
bool SizesOf(int fd, const std::string& hostPath, DriveSizes& sizes);

// A disk's size: its Size, or the total of the drives on it when Size is not given.
uint64_t DiskSize(const DiskInfo& disk);

} // namespace platform::files

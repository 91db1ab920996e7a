// Drives and volumes, from the machine's description.
#include "Drives.h"
#include "FilePaths.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Handles.h"
#include "platform/win/Volumes.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace platform::files;
using platform::DriveInfo;
using platform::Machine;

namespace {

constexpr DWORD kMaximumComponentLength = 255;
constexpr uint64_t kBytesPerSector = 512;
constexpr uint64_t kSectorsPerCluster = 8;
constexpr size_t kNtfsLabelLength = 32;
constexpr size_t kFatLabelLength = 11;
constexpr DWORD kNtfsFlags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK |
                             FILE_PERSISTENT_ACLS | FILE_FILE_COMPRESSION | FILE_VOLUME_QUOTAS |
                             FILE_SUPPORTS_SPARSE_FILES | FILE_SUPPORTS_REPARSE_POINTS | FILE_SUPPORTS_OBJECT_IDS |
                             FILE_SUPPORTS_ENCRYPTION | FILE_NAMED_STREAMS;
constexpr DWORD kFatFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;

struct VolumeFindObject final : public platform::KernelObject {
    std::vector<std::wstring> names;
    size_t next = 0;
};

std::vector<std::wstring> VolumeNames()
{
    std::vector<std::wstring> names;
    for (const auto& drive : Machine().drives)
        if (IsLocalVolume(drive))
            names.push_back(VolumeName(drive));
    return names;
}

// A root argument; null means the root of the current folder's drive.
std::wstring RootArgument(LPCWSTR root)
{
    if (root)
        return root;
    const std::wstring current = CurrentWindowsFolder();
    return current.size() >= 2 && current[1] == L':' ? current.substr(0, 2) + L"\\" : std::wstring();
}

// The drive of a root that must end in a backslash; null with the last error set otherwise.
const DriveInfo* DriveOfRootArgument(LPCWSTR root)
{
    const std::wstring text = RootArgument(root);
    if (const DriveInfo* drive = DriveOfRoot(text, true))
        return drive;
    const bool missingBackslash = !text.empty() && text.back() != L'\\' && text.back() != L'/';
    SetLastError(missingBackslash ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    return nullptr;
}

bool CopyWhole(const std::wstring& text, LPWSTR buffer, DWORD size, DWORD tooSmallError)
{
    if (!buffer)
        return true;
    return CopyToBuffer(text, buffer, size) == text.size() || Fail(tooSmallError);
}

// Sizes of the drive holding a folder argument (null: the current folder).
bool SizesOfArgument(LPCWSTR directoryName, DriveSizes& sizes)
{
    Place folder;
    if (!ResolvePath(directoryName ? directoryName : L".", folder))
        return false;
    const int fd = folder.Open(O_PATH);
    const bool known = fd >= 0 && SizesOf(fd, folder.host, sizes);
    const int err = errno;
    if (fd >= 0)
        close(fd);
    if (!known)
        return Fail(err == ENOENT || err == ENOTDIR || err == EXDEV ? ERROR_PATH_NOT_FOUND : platform::ErrorFromErrno(err));
    return true;
}

// Copies a list of zero-ended texts ended by one more zero; the characters stored, or 0 with
// ERROR_INSUFFICIENT_BUFFER.
DWORD CopyList(const std::vector<std::wstring>& items, LPWSTR buffer, DWORD maxChars)
{
    std::wstring list;
    for (const auto& item : items)
        list += item + L'\0';
    list += L'\0';
    if (!buffer || list.size() > maxChars) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(list.begin(), list.end(), buffer);
    return static_cast<DWORD>(list.size());
}

std::wstring DeviceOfDrive(const DriveInfo& drive)
{
    if (!IsLocalVolume(drive))
        return L"\\Device\\LanmanRedirector";
    int index = 0;
    for (const auto& other : Machine().drives) {
        if (IsLocalVolume(other))
            ++index;
        if (other.letter == drive.letter)
            break;
    }
    return L"\\Device\\HarddiskVolume" + std::to_wstring(index);
}

bool IsPhysicalDriveName(const std::wstring& name, int& number)
{
    const std::wstring prefix = L"PhysicalDrive";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::wstring digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswdigit(static_cast<wint_t>(c)); }))
        return false;
    number = std::stoi(digits);
    return true;
}

} // namespace

DWORD GetLogicalDrives()
{
    DWORD mask = 0;
    for (const auto& drive : Machine().drives)
        mask |= 1u << (drive.letter - L'A');
    return mask;
}

DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer)
{
    std::wstring list;
    for (const auto& drive : Machine().drives)
        list += std::wstring(1, drive.letter) + L":\\" + L'\0';
    if (!buffer || bufferLength < list.size() + 1)
        return static_cast<DWORD>(list.size() + 1);
    std::copy(list.begin(), list.end(), buffer);
    buffer[list.size()] = L'\0';
    return static_cast<DWORD>(list.size());
}

UINT GetDriveTypeW(LPCWSTR rootPathName)
{
    const DriveInfo* drive = DriveOfRoot(RootArgument(rootPathName), false);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                           LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                           LPWSTR fileSystemNameBuffer, DWORD fileSystemNameSize)
{
    const DriveInfo* drive = DriveOfRootArgument(rootPathName);
    DriveSizes sizes;
    if (!drive)
        return FALSE;
    if (!SizesOf(drive->folder, sizes))
        return Fail(ERROR_NOT_READY);
    if (!CopyWhole(drive->label, volumeNameBuffer, volumeNameSize, ERROR_INSUFFICIENT_BUFFER) ||
        !CopyWhole(drive->fileSystem, fileSystemNameBuffer, fileSystemNameSize, ERROR_INSUFFICIENT_BUFFER))
        return FALSE;
    if (volumeSerialNumber)
        *volumeSerialNumber = drive->serial;
    if (maximumComponentLength)
        *maximumComponentLength = kMaximumComponentLength;
    if (fileSystemFlags) {
        const bool ntfs = platform::EqualsIgnoringCase(drive->fileSystem, L"NTFS");
        *fileSystemFlags = (ntfs ? kNtfsFlags : kFatFlags) | (IsWriteProtected(*drive) ? FILE_READ_ONLY_VOLUME : 0);
    }
    return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
    DriveSizes sizes;
    if (!SizesOfArgument(directoryName, sizes))
        return FALSE;
    if (freeBytesAvailableToCaller)
        freeBytesAvailableToCaller->QuadPart = sizes.free;
    if (totalNumberOfBytes)
        totalNumberOfBytes->QuadPart = sizes.total;
    if (totalNumberOfFreeBytes)
        totalNumberOfFreeBytes->QuadPart = sizes.free;
    return TRUE;
}

BOOL GetDiskFreeSpaceW(LPCWSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters)
{
    DriveSizes sizes;
    if (!SizesOfArgument(rootPathName, sizes))
        return FALSE;
    const uint64_t cluster = kBytesPerSector * kSectorsPerCluster;
    const auto clusters = [cluster](uint64_t bytes) {
        return static_cast<DWORD>(std::min<uint64_t>(bytes / cluster, 0xFFFFFFFFu));
    };
    if (sectorsPerCluster)
        *sectorsPerCluster = kSectorsPerCluster;
    if (bytesPerSector)
        *bytesPerSector = kBytesPerSector;
    if (numberOfFreeClusters)
        *numberOfFreeClusters = clusters(sizes.free);
    if (totalNumberOfClusters)
        *totalNumberOfClusters = clusters(sizes.total);
    return TRUE;
}

HANDLE FindFirstVolumeW(LPWSTR volumeName, DWORD bufferLength)
{
    auto* find = new VolumeFindObject;
    find->names = VolumeNames();
    const HANDLE handle = platform::HandleOf(find);
    if (!FindNextVolumeW(handle, volumeName, bufferLength)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

BOOL FindNextVolumeW(HANDLE findVolume, LPWSTR volumeName, DWORD bufferLength)
{
    auto* find = dynamic_cast<VolumeFindObject*>(platform::ObjectOf(findVolume));
    if (!find)
        return Fail(ERROR_INVALID_HANDLE);
    if (find->next >= find->names.size())
        return Fail(ERROR_NO_MORE_FILES);
    if (!volumeName)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!CopyWhole(find->names[find->next], volumeName, bufferLength, ERROR_FILENAME_EXCED_RANGE))
        return FALSE;
    ++find->next;
    return TRUE;
}

BOOL FindVolumeClose(HANDLE findVolume)
{
    if (!dynamic_cast<VolumeFindObject*>(platform::ObjectOf(findVolume)))
        return Fail(ERROR_INVALID_HANDLE);
    return CloseHandle(findVolume);
}

BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR volumeMountPoint, LPWSTR volumeName, DWORD bufferLength)
{
    if (!volumeMountPoint || !volumeName)
        return Fail(ERROR_INVALID_PARAMETER);
    const DriveInfo* drive = DriveOfRootArgument(volumeMountPoint);
    if (!drive)
        return FALSE;
    if (!IsLocalVolume(*drive))
        return Fail(ERROR_INVALID_PARAMETER);
    return CopyWhole(VolumeName(*drive), volumeName, bufferLength, ERROR_FILENAME_EXCED_RANGE);
}

BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                      LPDWORD returnLength)
{
    size_t length = 0;
    const std::wstring name = volumeName ? volumeName : L"";
    const DriveInfo* drive = DriveOfVolumeName(name, length);
    if (!drive || name.substr(length) != L"\\")
        return Fail(ERROR_INVALID_NAME);
    const std::wstring list = std::wstring(1, drive->letter) + L":\\" + L'\0' + L'\0';
    if (returnLength)
        *returnLength = static_cast<DWORD>(list.size());
    if (!volumePathNames || bufferLength < list.size())
        return Fail(ERROR_MORE_DATA);
    std::copy(list.begin(), list.end(), volumePathNames);
    return TRUE;
}

DWORD QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars)
{
    if (!deviceName) {
        std::vector<std::wstring> names;
        for (const auto& drive : Machine().drives)
            names.push_back(std::wstring(1, drive.letter) + L":");
        for (const auto& disk : Machine().disks)
            names.push_back(L"PhysicalDrive" + std::to_wstring(disk.number));
        return CopyList(names, targetPath, maxChars);
    }
    const std::wstring name = deviceName;
    int number = 0;
    if (name.size() == 2 && name[1] == L':') {
        if (const DriveInfo* drive = Machine().Drive(name[0]))
            return CopyList({DeviceOfDrive(*drive)}, targetPath, maxChars);
    } else if (IsPhysicalDriveName(name, number) && Machine().Disk(number)) {
        const std::wstring n = std::to_wstring(number);
        return CopyList({L"\\Device\\Harddisk" + n + L"\\DR" + n}, targetPath, maxChars);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

BOOL SetVolumeLabelW(LPCWSTR rootPathName, LPCWSTR volumeName)
{
    const DriveInfo* drive = DriveOfRootArgument(rootPathName);
    if (!drive)
        return FALSE;
    if (!IsLocalVolume(*drive))
        return Fail(ERROR_NOT_SUPPORTED);
    if (IsWriteProtected(*drive))
        return Fail(ERROR_WRITE_PROTECT);
    const std::wstring label = volumeName ? volumeName : L"";
    const bool ntfs = platform::EqualsIgnoringCase(drive->fileSystem, L"NTFS");
    if (label.size() > (ntfs ? kNtfsLabelLength : kFatLabelLength))
        return Fail(ERROR_LABEL_TOO_LONG);
    platform::IniFile ini(platform::MachineIniPath());
    ini.Set(L"Drive " + std::wstring(1, drive->letter), L"Label", label);
    if (!ini.Save()) {
        platform::SetLastErrorFromErrno();
        return FALSE;
    }
    platform::ReloadMachine();
    return TRUE;
}

#include "DeviceObject.h"

#include "Drives.h"
#include "FilePaths.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Volumes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwctype>
#include <string>

namespace platform::files {

namespace {

constexpr DWORD kBytesPerSector = 512;
constexpr DWORD kSectorsPerTrack = 63;
constexpr DWORD kTracksPerCylinder = 255;
constexpr char kProductRevision[] = "1.0";

// Copies a fixed-size answer; the caller's buffer must hold all of it.
bool Answer(const void* record, DWORD size, void* out, DWORD outSize, DWORD& returned)
{
    if (!out || outSize < size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out, record, size);
    returned = size;
    return true;
}

// Copies a storage descriptor: as much as the buffer holds, once it holds the header (whose Size
// tells the caller how much there is).
bool AnswerDescriptor(const std::string& bytes, void* out, DWORD outSize, DWORD& returned)
{
    if (!out || outSize < sizeof(STORAGE_DESCRIPTOR_HEADER))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    returned = std::min(outSize, static_cast<DWORD>(bytes.size()));
    std::memcpy(out, bytes.data(), returned);
    return true;
}

bool HasRemovableDrive(int disk)
{
    for (const auto& drive : Machine().drives)
        if (drive.disk == disk && drive.type == DRIVE_REMOVABLE)
            return true;
    return false;
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix)
{
    return EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The disk number of "PhysicalDriveN", or -1.
int PhysicalDriveNumber(const std::wstring& rest)
{
    const std::wstring prefix = L"PhysicalDrive";
    if (!StartsWithIgnoringCase(rest, prefix) || rest.size() == prefix.size() || rest.size() > prefix.size() + 4)
        return -1;
    int number = 0;
    for (size_t i = prefix.size(); i < rest.size(); ++i) {
        if (!std::iswdigit(static_cast<wint_t>(rest[i])))
            return -1;
        number = number * 10 + (rest[i] - L'0');
    }
    return number;
}

} // namespace

std::optional<HANDLE> DeviceObject::Open(const std::wstring& name)
{
    std::wstring path = name;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.compare(0, 4, L"\\\\.\\") != 0 && path.compare(0, 4, L"\\\\?\\") != 0)
        return std::nullopt;
    const std::wstring rest = path.substr(4);
    if (rest.size() == 2 && rest[1] == L':' && std::iswalpha(static_cast<wint_t>(rest[0]))) {
        const DriveInfo* drive = Machine().Drive(rest[0]);
        return drive ? HandleOf(new DeviceObject(drive->letter, drive->disk)) : InvalidHandle(ERROR_FILE_NOT_FOUND);
    }
    if (const int number = PhysicalDriveNumber(rest); number >= 0)
        return Machine().Disk(number) ? HandleOf(new DeviceObject(0, number)) : InvalidHandle(ERROR_FILE_NOT_FOUND);
    size_t length = 0;
    if (StartsWithIgnoringCase(rest, L"Volume{")) {
        const DriveInfo* drive = DriveOfVolumeName(path, length);
        if (drive && length == path.size())
            return HandleOf(new DeviceObject(drive->letter, drive->disk));
        if (!drive)
            return InvalidHandle(ERROR_FILE_NOT_FOUND);
    }
    return std::nullopt;
}

const DriveInfo* DeviceObject::Volume() const { return volume_ ? Machine().Drive(volume_) : nullptr; }

const DiskInfo* DeviceObject::Disk() const
{
    if (volume_) {
        const DriveInfo* drive = Volume();
        return drive && IsLocalVolume(*drive) && drive->disk >= 0 ? Machine().Disk(drive->disk) : nullptr;
    }
    return Machine().Disk(disk_);
}

bool DeviceObject::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) const
{
    returned = 0;
    if (volume_ && !Volume())
        return Fail(ERROR_NOT_READY);
    switch (code) {
    case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: return DiskExtents(out, outSize, returned);
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: return Geometry(out, outSize, returned);
    case IOCTL_DISK_GET_LENGTH_INFO: return Length(out, outSize, returned);
    case IOCTL_DISK_IS_WRITABLE: return IsWritable();
    case IOCTL_STORAGE_QUERY_PROPERTY: return QueryProperty(in, inSize, out, outSize, returned);
    default: return Fail(ERROR_INVALID_FUNCTION);
    }
}

bool DeviceObject::DiskExtents(void* out, DWORD outSize, DWORD& returned) const
{
    const DriveInfo* drive = Volume();
    DriveSizes sizes;
    if (!drive || !IsLocalVolume(*drive) || drive->disk < 0)
        return Fail(ERROR_INVALID_FUNCTION);
    if (!SizesOf(drive->folder, sizes))
        return Fail(ERROR_NOT_READY);
    VOLUME_DISK_EXTENTS extents {};
    extents.NumberOfDiskExtents = 1;
    extents.Extents[0].DiskNumber = static_cast<DWORD>(drive->disk);
    extents.Extents[0].StartingOffset.QuadPart = 0;
    extents.Extents[0].ExtentLength.QuadPart = static_cast<LONGLONG>(sizes.total);
    return Answer(&extents, sizeof(extents), out, outSize, returned);
}

bool DeviceObject::Geometry(void* out, DWORD outSize, DWORD& returned) const
{
    const DiskInfo* disk = Disk();
    if (!disk)
        return Fail(ERROR_INVALID_FUNCTION);
    DISK_GEOMETRY geometry {};
    geometry.BytesPerSector = kBytesPerSector;
    geometry.SectorsPerTrack = kSectorsPerTrack;
    geometry.TracksPerCylinder = kTracksPerCylinder;
    geometry.Cylinders.QuadPart =
        static_cast<LONGLONG>(DiskSize(*disk) / (uint64_t{kBytesPerSector} * kSectorsPerTrack * kTracksPerCylinder));
    geometry.MediaType = HasRemovableDrive(disk->number) ? RemovableMedia : FixedMedia;
    return Answer(&geometry, sizeof(geometry), out, outSize, returned);
}

bool DeviceObject::Length(void* out, DWORD outSize, DWORD& returned) const
{
    GET_LENGTH_INFORMATION length {};
    if (const DriveInfo* drive = Volume()) {
        DriveSizes sizes;
        if (!IsLocalVolume(*drive))
            return Fail(ERROR_INVALID_FUNCTION);
        if (!SizesOf(drive->folder, sizes))
            return Fail(ERROR_NOT_READY);
        length.Length.QuadPart = static_cast<LONGLONG>(sizes.total);
    } else if (const DiskInfo* disk = Disk()) {
        length.Length.QuadPart = static_cast<LONGLONG>(DiskSize(*disk));
    } else {
        return Fail(ERROR_NOT_READY);
    }
    return Answer(&length, sizeof(length), out, outSize, returned);
}

bool DeviceObject::IsWritable() const
{
    if (const DriveInfo* drive = Volume())
        return IsWriteProtected(*drive) ? Fail(ERROR_WRITE_PROTECT) : true;
    const DiskInfo* disk = Disk();
    if (!disk)
        return Fail(ERROR_NOT_READY);
    return disk->readOnly ? Fail(ERROR_WRITE_PROTECT) : true;
}

bool DeviceObject::QueryProperty(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) const
{
    if (!in || inSize < offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters))
        return Fail(ERROR_INVALID_PARAMETER);
    STORAGE_PROPERTY_QUERY query {};
    std::memcpy(&query, in, offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters));
    const DriveInfo* drive = Volume();
    const DiskInfo* disk = Disk();
    if ((drive && (!IsLocalVolume(*drive) || drive->disk < 0)) || (!drive && !disk))
        return Fail(ERROR_INVALID_FUNCTION);
    if (query.PropertyId != StorageDeviceProperty && query.PropertyId != StorageAdapterProperty)
        return Fail(ERROR_INVALID_FUNCTION);
    if (query.QueryType == PropertyExistsQuery)
        return true;
    if (query.QueryType != PropertyStandardQuery)
        return Fail(ERROR_INVALID_PARAMETER);

    const unsigned busType = drive ? drive->busType : disk->busType;
    if (query.PropertyId == StorageAdapterProperty) {
        STORAGE_ADAPTER_DESCRIPTOR adapter {};
        adapter.Version = adapter.Size = sizeof(adapter);
        adapter.MaximumTransferLength = 128 * 1024;
        adapter.MaximumPhysicalPages = 33;
        adapter.BusType = static_cast<BYTE>(busType);
        return AnswerDescriptor(std::string(reinterpret_cast<const char*>(&adapter), sizeof(adapter)), out, outSize,
                                returned);
    }

    STORAGE_DEVICE_DESCRIPTOR device {};
    std::string texts;
    const auto place = [&texts](const std::string& text) -> DWORD {
        if (text.empty())
            return 0;
        const DWORD offset = static_cast<DWORD>(sizeof(STORAGE_DEVICE_DESCRIPTOR) + texts.size());
        texts += text;
        texts += '\0';
        return offset;
    };
    device.VendorIdOffset = place(disk ? ToUtf8(disk->vendor) : std::string());
    device.ProductIdOffset = place(disk ? ToUtf8(disk->product) : std::string());
    device.ProductRevisionOffset = place(kProductRevision);
    device.BusType = static_cast<STORAGE_BUS_TYPE>(busType);
    device.RemovableMedia = drive ? drive->type == DRIVE_REMOVABLE : HasRemovableDrive(disk->number);
    device.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    device.Size = static_cast<DWORD>(sizeof(STORAGE_DEVICE_DESCRIPTOR) + texts.size());
    return AnswerDescriptor(std::string(reinterpret_cast<const char*>(&device), sizeof(device)) + texts, out, outSize,
                            returned);
}

} // namespace platform::files

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                     DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED)
{
    DWORD returned = 0;
    bool ok = false;
    platform::KernelObject* object = platform::ObjectOf(device);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    else if (const auto* dev = dynamic_cast<const platform::files::DeviceObject*>(object))
        ok = dev->Control(ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize, returned);
    else
        SetLastError(ERROR_INVALID_FUNCTION);
    if (bytesReturned)
        *bytesReturned = returned;
    return ok ? TRUE : FALSE;
}

#include "DiskHelper.h"

#include "common/WriteLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr DWORD EXTENTS_BUFFER_SIZE = 800;
constexpr DWORD BUS_QUERY_BUFFER_SIZE = 551;
constexpr DWORD INFO_QUERY_BUFFER_SIZE = 65536;
constexpr size_t DISK_TEXT_LIMIT = 1023;

// Closes the handle when the query is done, whichever way it ends.
class CDeviceHandle {
public:
    explicit CDeviceHandle(HANDLE handle) : m_handle(handle) {}
    ~CDeviceHandle()
    {
        if (IsOpen())
            CloseHandle(m_handle);
    }
    CDeviceHandle(const CDeviceHandle&) = delete;
    CDeviceHandle& operator=(const CDeviceHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The storage device descriptor of the disk into the buffer (its size field set to the buffer's
// size, as the query asks); false when the query failed.
bool QueryDeviceDescriptor(HANDLE disk, void* buffer, DWORD bufferSize, DWORD& returned)
{
    std::memset(buffer, 0, bufferSize);
    static_cast<STORAGE_DEVICE_DESCRIPTOR*>(buffer)->Size = bufferSize;
    STORAGE_PROPERTY_QUERY query {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    returned = 0;
    return DeviceIoControl(disk, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer, bufferSize, &returned,
                           nullptr) != FALSE;
}

// Appends the descriptor's text at the offset when the offset lies within what was returned; the
// text ends at its terminator or at the end of the returned bytes.
void AppendDescriptorText(std::string& text, const char* descriptor, DWORD offset, DWORD returned)
{
    if (offset == 0 || offset >= returned)
        return;
    text.append(descriptor + offset, strnlen(descriptor + offset, returned - offset));
}

} // namespace

int GetDiskNoOfVolume(char driveLetter)
{
    char path[] = "\\\\.\\c:";
    path[4] = driveLetter;
    CDeviceHandle volume(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!volume.IsOpen())
        return -1;
    alignas(VOLUME_DISK_EXTENTS) BYTE buffer[EXTENTS_BUFFER_SIZE] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer, sizeof(buffer),
                         &returned, nullptr)) {
        WriteLogA("GetDiskNoOfVolume DeviceIoControl error:%c code:%lu", driveLetter,
                  static_cast<unsigned long>(GetLastError()));
        return -1;
    }
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(buffer);
    if (extents->NumberOfDiskExtents == 0) {
        WriteLogA(" pVolumeDiskExt->NumberOfDiskExtents  NULL");
        return -1;
    }
    return static_cast<int>(extents->Extents[0].DiskNumber);
}

int GetDiskBusTypeByID(int diskNo)
{
    CDeviceHandle disk(CDiskHelper::OpenPhysicalDrive(diskNo));
    if (!disk.IsOpen()) {
        WriteLogA("open disk error, code: %d", static_cast<int>(GetLastError()));
        return -1;
    }
    alignas(STORAGE_DEVICE_DESCRIPTOR) BYTE buffer[BUS_QUERY_BUFFER_SIZE];
    DWORD returned = 0;
    if (!QueryDeviceDescriptor(disk.Get(), buffer, sizeof(buffer), returned)) {
        WriteLogA("GetDiskBusTypeByID DeviceIoControl error: code:%lu", static_cast<unsigned long>(GetLastError()));
        return -1;
    }
    return static_cast<int>(reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer)->BusType);
}

int CDiskHelper::GetDiskBusTypeOfVolume(char driveLetter)
{
    const int diskNo = GetDiskNoOfVolume(driveLetter);
    return diskNo < 0 ? -1 : GetDiskBusTypeByID(diskNo);
}

int CDiskHelper::GetDiskInfoByID(int diskNo, uint64_t& size, std::string& text)
{
    CDeviceHandle disk(OpenPhysicalDrive(diskNo));
    if (!disk.IsOpen())
        return -1;
    DISK_GEOMETRY geometry {};
    DWORD returned = 0;
    if (!DeviceIoControl(disk.Get(), IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof(geometry), &returned,
                         nullptr))
        return -1;
    std::unique_ptr<uint64_t[]> storage(new (std::nothrow) uint64_t[INFO_QUERY_BUFFER_SIZE / sizeof(uint64_t)]);
    if (!storage || !QueryDeviceDescriptor(disk.Get(), storage.get(), INFO_QUERY_BUFFER_SIZE, returned))
        return -1;
    const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(storage.get());
    const auto* bytes = reinterpret_cast<const char*>(storage.get());
    std::string joined;
    AppendDescriptorText(joined, bytes, descriptor->VendorIdOffset, returned);
    AppendDescriptorText(joined, bytes, descriptor->ProductIdOffset, returned);
    AppendDescriptorText(joined, bytes, descriptor->ProductRevisionOffset, returned);
    joined.resize(std::min(joined.size(), DISK_TEXT_LIMIT));
    size = static_cast<uint64_t>(geometry.Cylinders.QuadPart) * geometry.TracksPerCylinder *
           geometry.SectorsPerTrack * geometry.BytesPerSector;
    text = joined;
    return 1;
}

HANDLE CDiskHelper::OpenPhysicalDrive(int diskNo)
{
    char path[64];
    std::snprintf(path, sizeof(path), "\\\\.\\PhysicalDrive%u", static_cast<unsigned>(diskNo));
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

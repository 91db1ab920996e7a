#include "FileTestSupport.h"
#include "MachineWithDrives.h"

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using files_test::DescribeDrives;
using files_test::HandleGuard;
using testing_support::TempMachine;

namespace {

HANDLE OpenDevice(const char* name)
{
    return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Query(HANDLE device, STORAGE_PROPERTY_ID property, std::vector<BYTE>& out, DWORD& returned)
{
    STORAGE_PROPERTY_QUERY query {};
    query.PropertyId = property;
    query.QueryType = PropertyStandardQuery;
    return DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), out.data(),
                           static_cast<DWORD>(out.size()), &returned, nullptr);
}

std::string TextAt(const std::vector<BYTE>& bytes, DWORD offset)
{
    return offset ? std::string(reinterpret_cast<const char*>(bytes.data() + offset)) : std::string();
}

} // namespace

TEST(DeviceIoControl, ControlCodesHaveWindowsValues)
{
    EXPECT_EQ(IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 0x00560000u);
    EXPECT_EQ(IOCTL_DISK_GET_DRIVE_GEOMETRY, 0x00070000u);
    EXPECT_EQ(IOCTL_DISK_IS_WRITABLE, 0x00070024u);
    EXPECT_EQ(IOCTL_DISK_GET_LENGTH_INFO, 0x0007405Cu);
    EXPECT_EQ(IOCTL_STORAGE_QUERY_PROPERTY, 0x002D1400u);
}

TEST(DeviceIoControl, AVolumeTellsItsDiskAndSize)
{
    TempMachine machine;
    DescribeDrives(machine);
    HandleGuard volume(OpenDevice("\\\\.\\D:"));
    ASSERT_TRUE(volume.valid());
    std::vector<BYTE> out(800);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, out.data(), 800,
                                &returned, nullptr));
    EXPECT_EQ(returned, sizeof(VOLUME_DISK_EXTENTS));
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(out.data());
    EXPECT_EQ(extents->NumberOfDiskExtents, 1u);
    EXPECT_EQ(extents->Extents[0].DiskNumber, 1u);
    EXPECT_EQ(extents->Extents[0].StartingOffset.QuadPart, 0);
    ULARGE_INTEGER total {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"D:\\", nullptr, &total, nullptr));
    EXPECT_EQ(static_cast<ULONGLONG>(extents->Extents[0].ExtentLength.QuadPart), total.QuadPart);
    EXPECT_FALSE(DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, out.data(), 8,
                                 &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    HandleGuard system(CreateFileW(L"\\\\.\\c:", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(system.valid());
    GET_LENGTH_INFORMATION length {};
    ASSERT_TRUE(DeviceIoControl(system.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length),
                                &returned, nullptr));
    EXPECT_EQ(length.Length.QuadPart, 500000000000);

    HandleGuard network(OpenDevice("\\\\.\\Z:"));
    EXPECT_FALSE(DeviceIoControl(network.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, out.data(), 800,
                                 &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

TEST(DeviceIoControl, ADiskDescribesItselfAndItsGeometry)
{
    TempMachine machine;
    DescribeDrives(machine);
    HandleGuard disk(OpenDevice("\\\\.\\PhysicalDrive1"));
    ASSERT_TRUE(disk.valid());
    std::vector<BYTE> out(551);
    DWORD returned = 0;
    ASSERT_TRUE(Query(disk.get(), StorageDeviceProperty, out, returned));
    const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(out.data());
    EXPECT_EQ(descriptor->BusType, BusTypeNvme);
    EXPECT_FALSE(descriptor->RemovableMedia);
    EXPECT_EQ(descriptor->Size, returned);
    EXPECT_EQ(TextAt(out, descriptor->VendorIdOffset) + TextAt(out, descriptor->ProductIdOffset) +
                  TextAt(out, descriptor->ProductRevisionOffset),
              "NvmaxFast 1TB1.0");

    // A small buffer gets the start, whose Size tells what the whole descriptor needs.
    std::vector<BYTE> header(8);
    ASSERT_TRUE(Query(disk.get(), StorageDeviceProperty, header, returned));
    EXPECT_EQ(returned, 8u);
    EXPECT_EQ(reinterpret_cast<const STORAGE_DESCRIPTOR_HEADER*>(header.data())->Size, descriptor->Size);
    std::vector<BYTE> tiny(4);
    EXPECT_FALSE(Query(disk.get(), StorageDeviceProperty, tiny, returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    DISK_GEOMETRY geometry {};
    ASSERT_TRUE(DeviceIoControl(disk.get(), IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof(geometry),
                                &returned, nullptr));
    EXPECT_EQ(returned, 24u);
    EXPECT_EQ(geometry.MediaType, FixedMedia);
    const uint64_t size = static_cast<uint64_t>(geometry.Cylinders.QuadPart) * geometry.TracksPerCylinder *
                          geometry.SectorsPerTrack * geometry.BytesPerSector;
    EXPECT_LE(size, 1000204886016ull);
    EXPECT_GT(size, 1000204886016ull - 255ull * 63 * 512);
    GET_LENGTH_INFORMATION length {};
    ASSERT_TRUE(DeviceIoControl(disk.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length),
                                &returned, nullptr));
    EXPECT_EQ(length.Length.QuadPart, 1000204886016);

    HandleGuard stick(OpenDevice("\\\\.\\PhysicalDrive2"));
    ASSERT_TRUE(Query(stick.get(), StorageDeviceProperty, out, returned));
    EXPECT_EQ(descriptor->BusType, BusTypeUsb);
    EXPECT_TRUE(descriptor->RemovableMedia);

    HandleGuard volume(OpenDevice("\\\\.\\E:"));
    std::vector<BYTE> adapter(520);
    ASSERT_TRUE(Query(volume.get(), StorageAdapterProperty, adapter, returned));
    EXPECT_EQ(reinterpret_cast<const STORAGE_ADAPTER_DESCRIPTOR*>(adapter.data())->BusType, BusTypeUsb);
}

TEST(DeviceIoControl, WritabilityFollowsTheDisksReadOnlyFlag)
{
    TempMachine machine;
    DescribeDrives(machine);
    DWORD returned = 0;
    HandleGuard system(OpenDevice("\\\\.\\C:"));
    EXPECT_TRUE(DeviceIoControl(system.get(), IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    HandleGuard stick(OpenDevice("\\\\.\\E:"));
    HandleGuard stickDisk(OpenDevice("\\\\.\\PhysicalDrive2"));
    EXPECT_FALSE(DeviceIoControl(stick.get(), IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_FALSE(DeviceIoControl(stickDisk.get(), IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT));

    DescribeDrives(machine, false);
    EXPECT_TRUE(DeviceIoControl(stick.get(), IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
}

TEST(DeviceIoControl, UnknownDevicesAndControlsAreRefused)
{
    TempMachine machine;
    DescribeDrives(machine);
    HandleGuard missing(OpenDevice("\\\\.\\Q:"));
    EXPECT_FALSE(missing.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HandleGuard missingDisk(OpenDevice("\\\\.\\PhysicalDrive9"));
    EXPECT_FALSE(missingDisk.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    DWORD returned = 0;
    HandleGuard volume(OpenDevice("\\\\.\\C:"));
    EXPECT_FALSE(DeviceIoControl(volume.get(), 0x00090000u, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    ASSERT_TRUE(files_test::WriteText(L"C:\\plain.txt", "x"));
    HandleGuard file(CreateFileW(L"C:\\plain.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(DeviceIoControl(file.get(), IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(DeviceIoControl(nullptr, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(DeviceIoControl, TheDefaultDiskIsAsLargeAsItsDrives)
{
    HandleGuard disk(OpenDevice("\\\\.\\PhysicalDrive0"));
    ASSERT_TRUE(disk.valid());
    GET_LENGTH_INFORMATION length {};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(disk.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length), &returned,
                                nullptr));
    ULARGE_INTEGER total {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", nullptr, &total, nullptr));
    EXPECT_EQ(static_cast<ULONGLONG>(length.Length.QuadPart), total.QuadPart);
}

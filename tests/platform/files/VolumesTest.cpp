#include "FileTestSupport.h"
#include "MachineWithDrives.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <vector>

using files_test::DescribeDrives;
using files_test::HandleGuard;
using testing_support::TempMachine;

namespace {

const std::wstring kDataVolume = L"\\\\?\\Volume{12345678-aaaa-bbbb-cccc-1234567890ab}\\";

std::vector<std::wstring> Volumes()
{
    std::vector<std::wstring> names;
    wchar_t name[MAX_PATH];
    HANDLE find = FindFirstVolumeW(name, MAX_PATH);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(name);
    while (FindNextVolumeW(find, name, MAX_PATH));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindVolumeClose(find));
    return names;
}

std::wstring VolumeOf(const wchar_t* root)
{
    wchar_t name[MAX_PATH] = {};
    return GetVolumeNameForVolumeMountPointW(root, name, MAX_PATH) ? name : L"";
}

} // namespace

TEST(Volumes, DrivesComeFromTheMachine)
{
    TempMachine machine;
    DescribeDrives(machine);
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 25));
    wchar_t strings[32];
    EXPECT_EQ(GetLogicalDriveStringsW(32, strings), 16u);
    EXPECT_EQ(std::wstring(strings, 17), std::wstring(L"C:\\\0D:\\\0E:\\\0Z:\\\0\0", 17));
    EXPECT_EQ(GetLogicalDriveStringsW(16, strings), 17u);

    EXPECT_EQ(GetDriveTypeW(L"C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(L"d:"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(L"E:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(GetDriveTypeW(L"Z:\\"), static_cast<UINT>(DRIVE_REMOTE));
    EXPECT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeW(L"C:\\Windows\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeW(kDataVolume.c_str()), static_cast<UINT>(DRIVE_FIXED));
    ASSERT_TRUE(SetCurrentDirectoryW(L"E:\\"));
    EXPECT_EQ(GetDriveTypeW(nullptr), static_cast<UINT>(DRIVE_REMOVABLE));
}

TEST(Volumes, VolumeInformationTellsLabelSerialAndFileSystem)
{
    TempMachine machine;
    DescribeDrives(machine);
    wchar_t label[MAX_PATH] = {};
    wchar_t fileSystem[MAX_PATH] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationW(L"C:\\", label, MAX_PATH, &serial, &maxComponent, &flags, fileSystem, MAX_PATH));
    EXPECT_STREQ(label, L"System");
    EXPECT_STREQ(fileSystem, L"NTFS");
    EXPECT_EQ(serial, 0x1234ABCDu);
    EXPECT_EQ(maxComponent, 255u);
    EXPECT_TRUE(flags & FILE_NAMED_STREAMS);
    EXPECT_FALSE(flags & FILE_READ_ONLY_VOLUME);

    ASSERT_TRUE(GetVolumeInformationW(L"E:\\", label, MAX_PATH, &serial, nullptr, &flags, fileSystem, MAX_PATH));
    EXPECT_STREQ(label, L"STICK");
    EXPECT_STREQ(fileSystem, L"FAT32");
    EXPECT_EQ(serial, static_cast<DWORD>(0x1000 + L'E'));
    EXPECT_TRUE(flags & FILE_READ_ONLY_VOLUME);
    EXPECT_FALSE(flags & FILE_NAMED_STREAMS);

    ASSERT_TRUE(GetVolumeInformationW(kDataVolume.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_STREQ(label, L"Data");
    EXPECT_FALSE(GetVolumeInformationW(L"C:", label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(GetVolumeInformationW(L"Q:\\", label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Volumes, FreeSpaceIsTheMachinesOrTheHosts)
{
    TempMachine machine;
    DescribeDrives(machine);
    ULARGE_INTEGER available {}, total {}, free {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\Windows", &available, &total, &free));
    EXPECT_EQ(total.QuadPart, 500000000000ull);
    EXPECT_EQ(free.QuadPart, 200000000000ull);
    EXPECT_EQ(available.QuadPart, 200000000000ull);

    ASSERT_TRUE(GetDiskFreeSpaceExW(L"D:\\", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, total.QuadPart);

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(L"C:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    EXPECT_EQ(sectorsPerCluster * bytesPerSector, 4096u);
    EXPECT_EQ(freeClusters, 200000000000ull / 4096);
    EXPECT_EQ(totalClusters, 500000000000ull / 4096);

    EXPECT_FALSE(GetDiskFreeSpaceExW(L"C:\\missing\\", &available, &total, &free));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(GetDiskFreeSpaceExW(L"Q:\\", &available, &total, &free));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Volumes, VolumeNamesListMountPointsAndDevices)
{
    TempMachine machine;
    DescribeDrives(machine);
    const auto volumes = Volumes();
    ASSERT_EQ(volumes.size(), 3u);  // the network drive is no volume of this machine
    EXPECT_EQ(volumes[1], kDataVolume);
    EXPECT_EQ(volumes[0].size(), 49u);
    EXPECT_EQ(volumes[0].rfind(L"\\\\?\\Volume{", 0), 0u);
    EXPECT_NE(volumes[0], volumes[2]);

    EXPECT_EQ(VolumeOf(L"C:\\"), volumes[0]);
    EXPECT_EQ(VolumeOf(L"D:\\"), kDataVolume);
    EXPECT_EQ(VolumeOf(L"Z:\\"), L"");
    EXPECT_EQ(VolumeOf(L"D:"), L"");

    wchar_t paths[8];
    DWORD length = 0;
    EXPECT_FALSE(GetVolumePathNamesForVolumeNameW(kDataVolume.c_str(), paths, 3, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(length, 5u);
    ASSERT_TRUE(GetVolumePathNamesForVolumeNameW(kDataVolume.c_str(), paths, 8, &length));
    EXPECT_EQ(std::wstring(paths, 5), std::wstring(L"D:\\\0\0", 5));

    // Paths below a volume name reach the drive's files.
    EXPECT_EQ(GetFileAttributesW((volumes[0] + L"Windows").c_str()), FILE_ATTRIBUTE_DIRECTORY);

    wchar_t device[64];
    EXPECT_EQ(QueryDosDeviceW(L"D:", device, 64), 25u);
    EXPECT_STREQ(device, L"\\Device\\HarddiskVolume2");
    EXPECT_EQ(QueryDosDeviceW(L"PhysicalDrive1", device, 64), 23u);
    EXPECT_STREQ(device, L"\\Device\\Harddisk1\\DR1");
    EXPECT_EQ(QueryDosDeviceW(L"Q:", device, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(QueryDosDeviceW(L"D:", device, 4), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Volumes, LabelsAreWrittenIntoTheMachine)
{
    TempMachine machine;
    DescribeDrives(machine);
    ASSERT_TRUE(SetVolumeLabelW(L"D:\\", L"Archive"));
    wchar_t label[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"D:\\", label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_STREQ(label, L"Archive");
    EXPECT_EQ(platform::IniFile(platform::MachineIniPath()).Get(L"Drive D", L"Label", L""), L"Archive");

    EXPECT_FALSE(SetVolumeLabelW(L"E:\\", L"NEW"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_FALSE(SetVolumeLabelW(L"D:\\", L"A label that is much too long for NTFS"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LABEL_TOO_LONG));
}

TEST(Volumes, AReadOnlyUsbStickRefusesEveryWrite)
{
    TempMachine machine;
    DescribeDrives(machine);
    machine.WriteFile("usb/photo.jpg", "jpeg");
    machine.WriteFile("usb/folder/x", "x");

    HandleGuard reader(CreateFileW(L"E:\\photo.jpg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(reader.valid());
    const auto errorOfWrite = [](const wchar_t* path, DWORD disposition) {
        HandleGuard file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr));
        return file.valid() ? ERROR_SUCCESS : GetLastError();
    };
    EXPECT_EQ(errorOfWrite(L"E:\\photo.jpg", OPEN_EXISTING), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOfWrite(L"E:\\new.txt", CREATE_NEW), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    const auto errorOf = [](BOOL result) { return result ? ERROR_SUCCESS : GetLastError(); };
    EXPECT_EQ(errorOf(DeleteFileW(L"E:\\photo.jpg")), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(MoveFileW(L"E:\\photo.jpg", L"E:\\moved.jpg")), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(MoveFileW(L"C:\\Windows\\Temp", L"E:\\Temp")), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(CopyFileW(L"E:\\photo.jpg", L"E:\\copy.jpg", TRUE)), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(CreateDirectoryW(L"E:\\new", nullptr)), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(RemoveDirectoryW(L"E:\\folder\\")), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(errorOf(SetFileAttributesW(L"E:\\photo.jpg", FILE_ATTRIBUTE_HIDDEN)), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(_wfopen(L"E:\\photo.jpg", L"w"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(files_test::ReadText(L"E:\\photo.jpg"), "jpeg");
    reader.Close();

    // The machine's description is read afresh: once the disk is writable, so is the stick.
    DescribeDrives(machine, false);
    EXPECT_EQ(errorOf(DeleteFileW(L"E:\\photo.jpg")), static_cast<DWORD>(ERROR_SUCCESS));
    // A drive's own read-only flag protects it as its disk's does.
    machine.WriteMachineIni("[Drive F]\nFolder=cd\nType=5\nReadOnly=1\n");
    EXPECT_EQ(errorOf(CreateDirectoryW(L"F:\\new", nullptr)), static_cast<DWORD>(ERROR_WRITE_PROTECT));
}

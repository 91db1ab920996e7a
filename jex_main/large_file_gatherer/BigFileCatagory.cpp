#include "BigFileCatagory.h"

#include "common/WriteLog.h"

#include <cwctype>

namespace {

constexpr int32_t kFixedDrive = 3;
constexpr int32_t kSystemDrive = 4;
constexpr int32_t kUsbDrive = 5;
constexpr int32_t kNetworkDrive = 6;
constexpr OpResult kNoShellItem = MakeResult(0x6A, RESULT_BAD_ARGUMENT);

// "D:\" from a path on the drive, lower-cased.
std::wstring DriveRoot(std::wstring path)
{
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    if (path.size() > 2)
        path.resize(3);
    for (wchar_t& c : path)
        c = std::towlower(c);
    return path;
}

std::wstring SystemDriveRoot()
{
    WCHAR folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return DriveRoot(folder);
}

// A fixed drive counts when its volume opens and reports itself writable; a USB bus makes it a
// USB drive.
bool PassesDeviceCheck(wchar_t letter, int32_t& type)
{
    WCHAR volume[] = L"\\\\.\\?:";
    volume[4] = letter;
    HANDLE device = CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    STORAGE_PROPERTY_QUERY query{StorageAdapterProperty, PropertyStandardQuery, {0}};
    STORAGE_ADAPTER_DESCRIPTOR adapter[520 / sizeof(STORAGE_ADAPTER_DESCRIPTOR) + 1]{};
    DWORD returned = 0;
    if (DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), adapter, 520, &returned, nullptr) &&
        adapter[0].BusType == BusTypeUsb)
        type = kUsbDrive;
    const bool writable = DeviceIoControl(device, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr);
    CloseHandle(device);
    return writable;
}

} // namespace

HRESULT CBigFileCatagory::Make(PIDLIST_ABSOLUTE idList)
{
    shellItem_ = std::make_unique<CShellItemProc>();
    HRESULT result = shellItem_->Bind(idList);
    if (FAILED(result))
        return result;
    ReadShellInfo();
    const std::wstring path = shellItem_->Path();
    if (path.empty())
        return result;
    type = kFixedDrive;
    const std::wstring root = DriveRoot(path);
    if (root == SystemDriveRoot()) {
        type = kSystemDrive;
    } else {
        const UINT driveType = GetDriveTypeW(root.c_str());
        if (driveType == DRIVE_REMOTE)
            type = kNetworkDrive;
        else if (driveType != DRIVE_FIXED || !PassesDeviceCheck(root[0], type))
            result = E_FAIL;
    }
    ReadSizes(root);
    return result;
}

OpResult CBigFileCatagory::Refresh()
{
    if (!shellItem_)
        return kNoShellItem;
    if (shellItem_->ReadInfo())
        ReadShellInfo();
    const std::wstring path = shellItem_->Path();
    if (!path.empty())
        ReadSizes(path);
    return RESULT_OK;
}

void CBigFileCatagory::ReadShellInfo()
{
    displayName = shellItem_->Info().szDisplayName;
    iconIndex = shellItem_->Info().iIcon;
}

void CBigFileCatagory::ReadSizes(const std::wstring& root)
{
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) {
        WriteLog(L"[Bulkseek] GetDiskFreeSpaceEx fail %ls,%d", root.c_str(), static_cast<int>(GetLastError()));
        return;
    }
    totalBytes = total.QuadPart;
    usedBytes = total.QuadPart > free.QuadPart ? total.QuadPart - free.QuadPart : 0;
}

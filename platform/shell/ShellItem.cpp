#include "ShellItem.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Files.h"
#include "platform/win/Volumes.h"

#include <cstring>
#include <cwctype>

namespace platform::shell {

namespace {

constexpr char kComputerTag = 'M';
constexpr char kDriveTag = 'V';
constexpr char kEntryTag = 'F';
constexpr wchar_t kComputerName[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// Icon indexes of the shell's system image list.
constexpr int kFileIcon = 0;
constexpr int kFolderIcon = 3;
constexpr int kRemovableIcon = 7;
constexpr int kFixedIcon = 8;
constexpr int kNetworkIcon = 9;
constexpr int kOpticalIcon = 11;
constexpr int kRamDiskIcon = 12;
constexpr int kComputerIcon = 15;
constexpr int kDesktopIcon = 34;

constexpr DWORD kFolderAttributes =
    SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET | SFGAO_CANRENAME | SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
constexpr DWORD kFileAttributes = SFGAO_FILESYSTEM | SFGAO_CANRENAME | SFGAO_STREAM;

const DriveInfo* DriveOf(const std::wstring& path) { return Machine().Drive(std::towupper(path[0])); }

struct DriveKind {
    const wchar_t* name;
    int icon;
};

DriveKind KindOf(const DriveInfo& drive)
{
    switch (drive.type) {
    case DRIVE_REMOVABLE: return {L"Removable Disk", kRemovableIcon};
    case DRIVE_REMOTE: return {L"Network Drive", kNetworkIcon};
    case DRIVE_CDROM: return {L"CD Drive", kOpticalIcon};
    case DRIVE_RAMDISK: return {L"RAM Disk", kRamDiskIcon};
    default: return {L"Local Disk", kFixedIcon};
    }
}

std::wstring LastComponent(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

DWORD EntryAttributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

} // namespace

std::vector<ItemBytes> ShellItem::IdItems() const
{
    std::vector<ItemBytes> items;
    if (kind == Kind::Desktop)
        return items;
    items.emplace_back(1, kComputerTag);
    if (kind == Kind::Computer)
        return items;
    items.push_back(ItemBytes(1, kDriveTag) + static_cast<char>(std::towupper(path[0])));
    size_t start = 3;
    while (start < path.size()) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        items.push_back(kEntryTag + ToUtf8(path.substr(start, end - start)));
        start = end + 1;
    }
    return items;
}

std::optional<ShellItem> ShellItem::FromIdItems(const std::vector<ItemBytes>& items)
{
    ShellItem item;
    if (items.empty())
        return item;
    if (items[0] != ItemBytes(1, kComputerTag))
        return std::nullopt;
    item.kind = Kind::Computer;
    if (items.size() == 1)
        return item;
    if (items[1].size() != 2 || items[1][0] != kDriveTag || !IsDriveLetter(static_cast<wchar_t>(items[1][1])))
        return std::nullopt;
    item.kind = Kind::FileSystem;
    item.path = std::wstring(1, static_cast<wchar_t>(items[1][1])) + L":\\";
    for (size_t i = 2; i < items.size(); ++i) {
        if (items[i].size() < 2 || items[i][0] != kEntryTag)
            return std::nullopt;
        if (i > 2)
            item.path += L'\\';
        item.path += FromUtf8(items[i].substr(1));
    }
    return item;
}

bool ShellItem::Exists() const
{
    if (kind != Kind::FileSystem)
        return true;
    if (IsDrive())
        return DriveOf(path) != nullptr;
    return EntryAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool ShellItem::IsFolder() const
{
    if (kind != Kind::FileSystem || IsDrive())
        return true;
    const DWORD attributes = EntryAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD ShellItem::Attributes() const
{
    if (kind != Kind::FileSystem)
        return SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
    if (IsDrive())
        return kFolderAttributes;
    const DWORD attributes = EntryAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    const DWORD hidden = attributes & FILE_ATTRIBUTE_HIDDEN ? SFGAO_HIDDEN : 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY ? kFolderAttributes : kFileAttributes) | hidden;
}

std::wstring ShellItem::DisplayName() const
{
    if (kind == Kind::Desktop)
        return L"Desktop";
    if (kind == Kind::Computer)
        return L"This PC";
    if (!IsDrive())
        return LastComponent(path);
    const DriveInfo* drive = DriveOf(path);
    const std::wstring name = !drive ? L"" : drive->label.empty() ? KindOf(*drive).name : drive->label;
    return name + L" (" + path.substr(0, 2) + L")";
}

std::wstring ShellItem::TypeName() const
{
    if (kind != Kind::FileSystem)
        return L"System Folder";
    if (IsDrive()) {
        const DriveInfo* drive = DriveOf(path);
        return drive ? KindOf(*drive).name : L"";
    }
    if (IsFolder())
        return L"File folder";
    const std::wstring name = LastComponent(path);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot + 1 == name.size() ? L"File" : UpperCase(name.substr(dot + 1)) + L" File";
}

int ShellItem::IconIndex() const
{
    if (kind == Kind::Desktop)
        return kDesktopIcon;
    if (kind == Kind::Computer)
        return kComputerIcon;
    if (IsDrive()) {
        const DriveInfo* drive = DriveOf(path);
        return drive ? KindOf(*drive).icon : kFixedIcon;
    }
    return IsFolder() ? kFolderIcon : kFileIcon;
}

bool ShellItem::Children(DWORD flags, std::vector<ItemBytes>& children) const
{
    children.clear();
    const bool folders = flags & SHCONTF_FOLDERS;
    if (kind == Kind::Desktop) {
        if (folders)
            children.emplace_back(1, kComputerTag);
        return true;
    }
    if (kind == Kind::Computer) {
        if (folders)
            for (const auto& drive : Machine().drives)
                children.push_back(ItemBytes(1, kDriveTag) + static_cast<char>(drive.letter));
        return true;
    }
    const std::wstring pattern = path + (IsDrive() ? L"*" : L"\\*");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool dots = !std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..");
        const bool hidden = data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
        if (!dots && (folder ? folders : (flags & SHCONTF_NONFOLDERS)) && (!hidden || (flags & SHCONTF_INCLUDEHIDDEN)))
            children.push_back(kEntryTag + ToUtf8(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

std::vector<ItemBytes> SplitIdList(LPCITEMIDLIST list)
{
    std::vector<ItemBytes> items;
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    for (;;) {
        USHORT size = 0;
        if (bytes)
            std::memcpy(&size, bytes, sizeof(size));
        if (size <= sizeof(USHORT))
            return items;
        items.emplace_back(reinterpret_cast<const char*>(bytes) + sizeof(USHORT), size - sizeof(USHORT));
        bytes += size;
    }
}

LPITEMIDLIST MakeIdList(const std::vector<ItemBytes>& items)
{
    size_t total = sizeof(USHORT);
    for (const auto& item : items)
        total += sizeof(USHORT) + item.size();
    auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(total));
    if (!bytes)
        return nullptr;
    BYTE* at = bytes;
    for (const auto& item : items) {
        const auto size = static_cast<USHORT>(sizeof(USHORT) + item.size());
        std::memcpy(at, &size, sizeof(size));
        std::memcpy(at + sizeof(USHORT), item.data(), item.size());
        at += size;
    }
    const USHORT end = 0;
    std::memcpy(at, &end, sizeof(end));
    return reinterpret_cast<LPITEMIDLIST>(bytes);
}

HRESULT ParseAbsoluteName(const std::wstring& name, ShellItem& item)
{
    if (EqualsIgnoringCase(name, kComputerName)) {
        item = ShellItem{ShellItem::Kind::Computer, L""};
        return S_OK;
    }
    if (name.size() < 2 || !IsDriveLetter(name[0]) || name[1] != L':' || (name.size() > 2 && name[2] != L'\\' && name[2] != L'/'))
        return E_INVALIDARG;
    if (!Machine().Drive(std::towupper(name[0])))
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? GetFullPathNameW(name.c_str(), needed, full.data(), nullptr) : 0;
    if (length == 0 || length >= needed)
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    full.resize(length);
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    if (full.size() == 2)
        full += L'\\';
    full[0] = std::towupper(full[0]);
    item = ShellItem{ShellItem::Kind::FileSystem, full};
    if (!item.Exists())
        return HRESULT_FROM_WIN32(item.IsDrive() ? ERROR_PATH_NOT_FOUND : GetLastError());
    return S_OK;
}

} // namespace platform::shell

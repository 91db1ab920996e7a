// The shell's entry points to its namespace: special folder locations, the desktop folder,
// identifier lists and what the shell shows of an item.
#include "ShellFolderObject.h"
#include "ShellItem.h"

#include "platform/win/ShellFolders.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using platform::shell::ItemBytes;
using platform::shell::ShellItem;

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellFolder = {0x000214E6, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellFolder2 = {0x93F2F68C, 0x1D1B, 0x11D3, {0xA3, 0x0E, 0x00, 0xC0, 0x4F, 0x79, 0xAB, 0xD1}};
const IID IID_IEnumIDList = {0x000214F2, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// What SHGetFileInfoW hands back for SHGFI_SYSICONINDEX: the one system image list.
int g_systemImageList;

template <size_t N>
void CopyText(const std::wstring& text, WCHAR (&buffer)[N])
{
    const size_t length = std::min(text.size(), N - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), buffer);
    buffer[length] = L'\0';
}

} // namespace

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }

void CoTaskMemFree(LPVOID memory) { std::free(memory); }

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, PIDLIST_ABSOLUTE* idList)
{
    if (!idList)
        return E_INVALIDARG;
    *idList = nullptr;
    ShellItem item;
    if (csidl == CSIDL_DRIVES) {
        item.kind = ShellItem::Kind::Computer;
    } else if (csidl != CSIDL_DESKTOP) {
        WCHAR path[MAX_PATH];
        const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        if (FAILED(result))
            return result;
        const HRESULT parsed = platform::shell::ParseAbsoluteName(path, item);
        if (FAILED(parsed))
            return parsed;
    }
    *idList = platform::shell::MakeIdList(item.IdItems());
    return *idList ? S_OK : E_OUTOFMEMORY;
}

HRESULT SHGetDesktopFolder(IShellFolder** folder)
{
    if (!folder)
        return E_INVALIDARG;
    *folder = new platform::shell::ShellFolderObject(ShellItem{});
    return S_OK;
}

PIDLIST_ABSOLUTE ILCombine(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child)
{
    if (!parent && !child)
        return nullptr;
    std::vector<ItemBytes> items = platform::shell::SplitIdList(parent);
    const std::vector<ItemBytes> tail = platform::shell::SplitIdList(child);
    items.insert(items.end(), tail.begin(), tail.end());
    return platform::shell::MakeIdList(items);
}

DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD, SHFILEINFOW* info, UINT infoSize, UINT flags)
{
    if (!path || !info || infoSize < sizeof(SHFILEINFOW))
        return 0;
    ShellItem item;
    if (flags & SHGFI_PIDL) {
        const auto decoded = ShellItem::FromIdItems(platform::shell::SplitIdList(reinterpret_cast<LPCITEMIDLIST>(path)));
        if (!decoded)
            return 0;
        item = *decoded;
    } else if (FAILED(platform::shell::ParseAbsoluteName(path, item))) {
        return 0;
    }
    if (!item.Exists())
        return 0;
    if (flags & SHGFI_DISPLAYNAME)
        CopyText(item.DisplayName(), info->szDisplayName);
    if (flags & SHGFI_TYPENAME)
        CopyText(item.TypeName(), info->szTypeName);
    if (flags & SHGFI_ATTRIBUTES)
        info->dwAttributes = item.Attributes();
    if (flags & SHGFI_SYSICONINDEX) {
        info->iIcon = item.IconIndex();
        return reinterpret_cast<DWORD_PTR>(&g_systemImageList);
    }
    return 1;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE idList, LPWSTR path)
{
    if (!path)
        return FALSE;
    path[0] = L'\0';
    const auto item = ShellItem::FromIdItems(platform::shell::SplitIdList(idList));
    if (!item || item->kind != ShellItem::Kind::FileSystem || item->path.size() >= MAX_PATH)
        return FALSE;
    std::copy(item->path.begin(), item->path.end(), path);
    path[item->path.size()] = L'\0';
    return TRUE;
}

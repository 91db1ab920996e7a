// Identifier lists made from paths, and showing an item in the file manager.
#include "ShellItem.h"

#include "platform/win/Errors.h"
#include "platform/win/Process.h"

PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path)
{
    platform::shell::ShellItem item;
    const HRESULT parsed = path ? platform::shell::ParseAbsoluteName(path, item) : E_INVALIDARG;
    if (FAILED(parsed)) {
        SetLastError(HRESULT_CODE(parsed));
        return nullptr;
    }
    return platform::shell::MakeIdList(item.IdItems());
}

void ILFree(PIDLIST_RELATIVE idList) { CoTaskMemFree(idList); }

HRESULT SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE folder, UINT count, PCUITEMID_CHILD* children, DWORD)
{
    if (!folder || count != 0 || children)
        return E_INVALIDARG;
    const auto item = platform::shell::ShellItem::FromIdItems(platform::shell::SplitIdList(folder));
    if (!item || item->kind != platform::shell::ShellItem::Kind::FileSystem)
        return E_INVALIDARG;
    std::wstring shown = item->path;
    if (!item->IsDrive()) {
        shown.erase(shown.find_last_of(L'\\'));
        if (shown.size() == 2)
            shown += L'\\';
    }
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", shown.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

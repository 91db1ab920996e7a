#include "ShellFolderObject.h"

#include <algorithm>

namespace platform::shell {

namespace {

template <class Object>
HRESULT Answer(Object* self, bool known, void** object)
{
    if (!object)
        return E_POINTER;
    *object = known ? self : nullptr;
    if (!known)
        return E_NOINTERFACE;
    self->AddRef();
    return S_OK;
}

} // namespace

HRESULT ShellFolderObject::QueryInterface(REFIID riid, void** object)
{
    const bool known =
        IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellFolder) || IsEqualIID(riid, IID_IShellFolder2);
    return Answer(this, known, object);
}

HRESULT ShellFolderObject::ParseDisplayName(HWND, IBindCtx*, LPWSTR displayName, ULONG* eaten, PIDLIST_RELATIVE* idList,
                                            ULONG* attributes)
{
    if (!idList)
        return E_INVALIDARG;
    *idList = nullptr;
    if (!displayName)
        return E_INVALIDARG;
    std::wstring name = displayName;
    if (item_.kind == ShellItem::Kind::FileSystem)
        name = item_.path + (item_.IsDrive() ? L"" : L"\\") + name;
    ShellItem parsed;
    const HRESULT result = ParseAbsoluteName(name, parsed);
    if (FAILED(result))
        return result;
    const std::vector<ItemBytes> own = item_.IdItems();
    const std::vector<ItemBytes> full = parsed.IdItems();
    if (full.size() <= own.size() || !std::equal(own.begin(), own.end(), full.begin()))
        return E_INVALIDARG;
    *idList = MakeIdList(std::vector<ItemBytes>(full.begin() + static_cast<std::ptrdiff_t>(own.size()), full.end()));
    if (!*idList)
        return E_OUTOFMEMORY;
    if (eaten)
        *eaten = static_cast<ULONG>(std::wstring(displayName).size());
    if (attributes)
        *attributes &= parsed.Attributes();
    return S_OK;
}

HRESULT ShellFolderObject::EnumObjects(HWND, DWORD flags, IEnumIDList** enumerator)
{
    if (!enumerator)
        return E_INVALIDARG;
    *enumerator = nullptr;
    std::vector<ItemBytes> children;
    if (!item_.Children(flags, children))
        return HRESULT_FROM_WIN32(GetLastError());
    *enumerator = new IdListEnumerator(std::move(children));
    return S_OK;
}

HRESULT ShellFolderObject::BindToObject(PCUIDLIST_RELATIVE idList, IBindCtx*, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const std::vector<ItemBytes> relative = SplitIdList(idList);
    if (relative.empty())
        return E_INVALIDARG;
    std::vector<ItemBytes> items = item_.IdItems();
    items.insert(items.end(), relative.begin(), relative.end());
    const std::optional<ShellItem> target = ShellItem::FromIdItems(items);
    if (!target)
        return E_INVALIDARG;
    if (!target->Exists())
        return HRESULT_FROM_WIN32(target->IsDrive() ? ERROR_PATH_NOT_FOUND : GetLastError());
    if (!target->IsFolder())
        return E_INVALIDARG;
    auto* folder = new ShellFolderObject(*target);
    const HRESULT result = folder->QueryInterface(riid, object);
    folder->Release();
    return result;
}

HRESULT IdListEnumerator::QueryInterface(REFIID riid, void** object)
{
    return Answer(this, IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumIDList), object);
}

HRESULT IdListEnumerator::Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched)
{
    if (!items || (!fetched && count != 1))
        return E_POINTER;
    ULONG done = 0;
    while (done < count && next_ < children_.size()) {
        items[done] = MakeIdList({children_[next_]});
        if (!items[done])
            break;
        ++done;
        ++next_;
    }
    if (fetched)
        *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

} // namespace platform::shell

#include "RegistryAccess.h"

#include <cstring>

namespace platform::registry {

RegistrySession::RegistrySession(Transaction::Kind kind, bool checkMachine)
    : connection_(kind, checkMachine)
    , transaction_(connection_.Get(), kind)
    , store_(connection_.Get())
{
}

LONG RegistrySession::Resolve(HKEY key, OpenedKey& opened)
{
    if (const KeyPath predefined = PredefinedKeyPath(key); !predefined.empty()) {
        const auto id = store_.Find(predefined);
        if (!id)
            return ERROR_FILE_NOT_FOUND;
        const bool readOnly = store_.IsProtected(predefined);
        opened = {*id, predefined, readOnly ? KEY_ALL_ACCESS & ~kWriteRights : KEY_ALL_ACCESS, DefaultView64()};
        return ERROR_SUCCESS;
    }
    const auto handle = FindKeyHandle(key);
    if (!handle)
        return ERROR_INVALID_HANDLE;
    auto path = store_.PathOf(handle->id);
    if (!path)
        return ERROR_KEY_DELETED;
    opened = {handle->id, std::move(*path), handle->granted, handle->view64};
    return ERROR_SUCCESS;
}

LONG RegistrySession::Locate(HKEY key, const wchar_t* subKey, REGSAM access, KeyTarget& target)
{
    if ((access & KEY_WOW64_32KEY) && (access & KEY_WOW64_64KEY))
        return ERROR_INVALID_PARAMETER;
    if (const LONG status = Resolve(key, target.base); status != ERROR_SUCCESS)
        return status;
    KeyPath below;
    if (const LONG status = ParseSubKey(subKey, below); status != ERROR_SUCCESS)
        return status;
    target.path = target.base.path;
    target.path.insert(target.path.end(), below.begin(), below.end());
    target.view64 = (access & KEY_WOW64_64KEY) ? true : (access & KEY_WOW64_32KEY) ? false : target.base.view64;
    if (!target.view64 && MachineIs64Bit())
        target.path = RedirectTo32BitView(target.path);
    return ERROR_SUCCESS;
}

namespace {

LSTATUS ReadListedItem(HKEY handle, ListKind kind, REGSAM rights, DWORD index, ListedItem& item)
{
    if (TakeListed(handle, kind, rights, index, item))
        return ERROR_SUCCESS;
    const uint64_t writes = WritesSoFar();
    return OnKey(handle, rights, Transaction::Read, [&](RegistrySession& session, OpenedKey& key) -> LSTATUS {
        const ListPosition position = ListPositionOf(handle, kind);
        std::vector<ListedItem> items = kind == ListKind::SubKeys
                                            ? session.Store().SubKeysFrom(key.id, index, position, kListBatch)
                                            : session.Store().ValuesFrom(key.id, index, position, kListBatch);
        if (items.empty())
            return ERROR_NO_MORE_ITEMS;
        item = items.front();
        KeepListed(handle, kind, key.id, index, std::move(items), writes);
        return ERROR_SUCCESS;
    });
}

} // namespace

LSTATUS ListedItemAt(HKEY handle, ListKind kind, REGSAM rights, DWORD index, LPWSTR name, LPDWORD chars,
                     ListedItem& item)
{
    if (const LSTATUS status = ReadListedItem(handle, kind, rights, index, item); status != ERROR_SUCCESS)
        return status;
    if (item.name.size() + 1 > *chars)
        return ERROR_MORE_DATA;
    std::memcpy(name, item.name.c_str(), (item.name.size() + 1) * sizeof(wchar_t));
    *chars = static_cast<DWORD>(item.name.size());
    return ERROR_SUCCESS;
}

} // namespace platform::registry

// The Reg*W functions that open, create, list and delete keys.
#include "RegistryAccess.h"
#include "RegistryHandles.h"

#include <cerrno>

using namespace platform::registry;

namespace {

// The view flags only choose where a handle points; the handle keeps the rest of the access.
constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

// We keep no class names: report an empty one where asked.
void NoClass(LPWSTR className, LPDWORD classChars)
{
    if (className && classChars && *classChars)
        className[0] = L'\0';
    if (classChars)
        *classChars = 0;
}

void SetFileTime(PFILETIME time, int64_t value)
{
    if (!time)
        return;
    time->dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFF);
    time->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
}

HKEY NewHandle(int64_t id, REGSAM samDesired, bool view64)
{
    return NewKeyHandle({id, samDesired & ~kViewFlags, view64});
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return OnTarget(hKey, lpSubKey, samDesired, Transaction::Read, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        const auto id = session.Store().Find(target.path);
        if (!id)
            return ERROR_FILE_NOT_FOUND;
        if ((samDesired & kWriteRights) && session.Store().IsProtected(target.path))
            return ERROR_ACCESS_DENIED;
        *phkResult = NewHandle(*id, samDesired, target.view64);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    return OnTarget(hKey, lpSubKey, samDesired, Transaction::Write, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        RegistryStore& store = session.Store();
        auto id = store.Find(target.path);
        const bool creating = !id;
        if (store.IsProtected(target.path) && (creating || (samDesired & kWriteRights)))
            return ERROR_ACCESS_DENIED;
        if (creating && !target.base.Allows(KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        bool created = false;
        if (creating)
            id = store.Create(target.path, created);
        session.Commit(); // before the handle exists, so no handle points at a key that was not made
        *phkResult = NewHandle(*id, samDesired, target.view64);
        if (lpdwDisposition)
            *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegCloseKey(HKEY hKey)
{
    return IsPredefinedKey(hKey) || ReleaseKeyHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// The store is one database: flushing any key puts every change so far on the disk.
LSTATUS RegFlushKey(HKEY hKey)
{
    if (!IsPredefinedKey(hKey) && !FindKeyHandle(hKey))
        return ERROR_INVALID_HANDLE;
    return SyncStore() ? ERROR_SUCCESS : static_cast<LSTATUS>(platform::ErrorFromErrno(errno));
}

LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime)
{
    if (lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    return OnKey(hKey, KEY_QUERY_VALUE, Transaction::Read, [&](RegistrySession& session, OpenedKey& key) -> LSTATUS {
        const KeyInfo info = session.Store().Info(key.id);
        NoClass(lpClass, lpcchClass);
        const std::pair<LPDWORD, DWORD> answers[] = {
            {lpcSubKeys, info.subKeys},
            {lpcbMaxSubKeyLen, info.longestSubKeyName},
            {lpcbMaxClassLen, 0},
            {lpcValues, info.values},
            {lpcbMaxValueNameLen, info.longestValueName},
            {lpcbMaxValueLen, info.longestValueData},
            {lpcbSecurityDescriptor, 0},
        };
        for (const auto& [out, value] : answers)
            if (out)
                *out = value;
        SetFileTime(lpftLastWriteTime, info.lastWrite);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved)
        return ERROR_INVALID_PARAMETER;
    ListedItem item;
    if (const LSTATUS status =
            ListedItemAt(hKey, ListKind::SubKeys, KEY_ENUMERATE_SUB_KEYS, dwIndex, lpName, lpcchName, item);
        status != ERROR_SUCCESS)
        return status;
    NoClass(lpClass, lpcchClass);
    SetFileTime(lpftLastWriteTime, item.written);
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    const REGSAM view = samDesired & kViewFlags;
    return OnTarget(hKey, lpSubKey, view, Transaction::Write, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        RegistryStore& store = session.Store();
        const auto id = store.Find(target.path);
        if (!id)
            return ERROR_FILE_NOT_FOUND;
        const bool itself = !*lpSubKey;
        if (HoldsPermanentKey(target.path, true) || store.IsProtected(target.path) ||
            (itself && !target.base.Allows(kDeleteRight)))
            return ERROR_ACCESS_DENIED;
        if (store.HasSubKeys(*id))
            return ERROR_ACCESS_DENIED; // as on Windows: only a key without subkeys
        store.DeleteTree(target.path);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) { return RegDeleteKeyExW(hKey, lpSubKey, 0, 0); }

LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey)
{
    constexpr REGSAM kEmptyingRights = kDeleteRight | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE;
    const bool contentsOnly = !lpSubKey || !*lpSubKey;
    return OnTarget(hKey, lpSubKey, 0, Transaction::Write, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        RegistryStore& store = session.Store();
        const auto id = store.Find(target.path);
        if (!id)
            return ERROR_FILE_NOT_FOUND;
        if (HoldsPermanentKey(target.path, !contentsOnly) || store.IsProtected(target.path, true) ||
            (contentsOnly && !target.base.Allows(kEmptyingRights)))
            return ERROR_ACCESS_DENIED;
        if (contentsOnly)
            store.DeleteContents(*id, target.path);
        else
            store.DeleteTree(target.path);
        return ERROR_SUCCESS;
    });
}

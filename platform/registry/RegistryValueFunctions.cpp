// The Reg*W functions that read, write, list and delete values.
#include "RegistryAccess.h"
#include "ValueData.h"

#include "platform/win/Environment.h"

#include <cstring>
#include <optional>

using namespace platform::registry;

namespace {

// Hands data to the caller as Windows does: the type when asked; with no buffer only the size;
// with a buffer too small ERROR_MORE_DATA and the size needed; else the data as it is.
LSTATUS Deliver(DWORD type, const std::string& data, LPDWORD typeOut, LPBYTE buffer, LPDWORD bytes)
{
    if (typeOut)
        *typeOut = type;
    if (!bytes)
        return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(data.size());
    if (buffer) {
        if (*bytes < size) {
            *bytes = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(buffer, data.data(), size);
    }
    *bytes = size;
    return ERROR_SUCCESS;
}

std::wstring ValueName(LPCWSTR name) { return name ? name : L""; }

// The text up to its terminator with the environment's variables put in, as Windows expands it.
std::wstring ExpandEnvironment(const std::wstring& text)
{
    const std::wstring source(text.c_str());
    std::wstring expanded;
    DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    while (needed > expanded.size()) {
        expanded.assign(needed, L'\0');
        needed = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), needed);
    }
    return needed ? std::wstring(expanded.c_str()) : source;
}

// The RRF_RT_* bit that admits a type; 0 for types only RRF_RT_ANY admits.
DWORD RestrictionOf(DWORD type)
{
    switch (type) {
    case REG_NONE: return RRF_RT_REG_NONE;
    case REG_SZ: return RRF_RT_REG_SZ;
    case REG_EXPAND_SZ: return RRF_RT_REG_EXPAND_SZ;
    case REG_BINARY: return RRF_RT_REG_BINARY;
    case REG_DWORD: return RRF_RT_REG_DWORD;
    case REG_MULTI_SZ: return RRF_RT_REG_MULTI_SZ;
    case REG_QWORD: return RRF_RT_REG_QWORD;
    default: return 0;
    }
}

// A caller asking only for a 32-bit (or 64-bit) number gets exactly that many bytes or an error.
bool SizeFits(DWORD restriction, size_t size)
{
    if (restriction == RRF_RT_DWORD || restriction == RRF_RT_REG_DWORD)
        return size == sizeof(DWORD);
    if (restriction == RRF_RT_QWORD || restriction == RRF_RT_REG_QWORD)
        return size == sizeof(ULONGLONG);
    return true;
}

// RegGetValueW hands strings out terminated, multi-strings with their final empty string.
void Terminate(std::wstring& text, DWORD type)
{
    if (text.empty() || text.back() != L'\0')
        text += L'\0';
    if (type == REG_MULTI_SZ && (text.size() < 2 || text[text.size() - 2] != L'\0'))
        text += L'\0';
}

LSTATUS GetValue(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType, LPVOID pvData,
                 LPDWORD pcbData)
{
    const DWORD restriction = dwFlags & RRF_RT_ANY;
    const bool expand = !(dwFlags & RRF_NOEXPAND);
    // Expanded text is REG_SZ: asking for REG_EXPAND_SZ alone and expansion could never succeed.
    if (!restriction || (pvData && !pcbData) || (restriction == RRF_RT_REG_EXPAND_SZ && expand))
        return ERROR_INVALID_PARAMETER;
    const REGSAM view = ((dwFlags & RRF_SUBKEY_WOW6464KEY) ? KEY_WOW64_64KEY : 0) |
                        ((dwFlags & RRF_SUBKEY_WOW6432KEY) ? KEY_WOW64_32KEY : 0);
    const bool ownKey = !lpSubKey || !*lpSubKey;
    return OnTarget(hkey, lpSubKey, view, Transaction::Read, [&](RegistrySession& session, KeyTarget& target) -> LSTATUS {
        if (ownKey && !target.base.Allows(KEY_QUERY_VALUE))
            return ERROR_ACCESS_DENIED;
        const auto id = ownKey ? std::optional<int64_t>(target.base.id) : session.Store().Find(target.path);
        if (!id)
            return ERROR_FILE_NOT_FOUND;
        const auto value = session.Store().Value(*id, ValueName(lpValue));
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        DWORD type = value->type;
        std::string data = value->data;
        if (IsTextType(type)) {
            std::wstring text = StoredText(data);
            if (type == REG_EXPAND_SZ && expand) {
                text = ExpandEnvironment(text);
                type = REG_SZ;
            }
            Terminate(text, type);
            data = HostBytes(text);
        }
        if (!(restriction == RRF_RT_ANY || (restriction & RestrictionOf(type))))
            return ERROR_UNSUPPORTED_TYPE;
        if (!SizeFits(restriction, data.size()))
            return ERROR_DATATYPE_MISMATCH;
        return Deliver(type, data, pdwType, static_cast<LPBYTE>(pvData), pcbData);
    });
}

} // namespace

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    return OnKey(hKey, KEY_QUERY_VALUE, Transaction::Read, [&](RegistrySession& session, OpenedKey& key) -> LSTATUS {
        const auto value = session.Store().Value(key.id, ValueName(lpValueName));
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        return Deliver(value->type, HostFromStored(value->type, value->data), lpType, lpData, lpcbData);
    });
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    ListedItem item;
    if (const LSTATUS status =
            ListedItemAt(hKey, ListKind::Values, KEY_QUERY_VALUE, dwIndex, lpValueName, lpcchValueName, item);
        status != ERROR_SUCCESS)
        return status;
    return Deliver(item.type, HostFromStored(item.type, item.data), lpType, lpData, lpcbData);
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    return OnKey(hKey, KEY_SET_VALUE, Transaction::Write, [&](RegistrySession& session, OpenedKey& key) -> LSTATUS {
        session.Store().SetValue(key.id, ValueName(lpValueName), dwType, StoredFromHost(dwType, lpData, cbData));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    return OnKey(hKey, KEY_SET_VALUE, Transaction::Write, [&](RegistrySession& session, OpenedKey& key) -> LSTATUS {
        return session.Store().DeleteValue(key.id, ValueName(lpValueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType, LPVOID pvData,
                     LPDWORD pcbData)
{
    const DWORD offered = pcbData ? *pcbData : 0;
    const LSTATUS status = GetValue(hkey, lpSubKey, lpValue, dwFlags, pdwType, pvData, pcbData);
    if (status != ERROR_SUCCESS && (dwFlags & RRF_ZEROONFAILURE) && pvData)
        std::memset(pvData, 0, offered);
    return status;
}

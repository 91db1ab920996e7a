#include "winlib/MVNRegKey.h"

#include "winlib/SystemQueries.h"

#include <algorithm>
#include <new>

namespace {

// Read, set value and create subkey.
constexpr REGSAM kWritableAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr DWORD kValueNameChars = 260;

// Only a 64-bit Windows has two views; elsewhere a view flag would be refused.
REGSAM ViewFlag(bool view64)
{
    static const bool native64 = IsNativeAmd64();
    if (!native64)
        return 0;
    return view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

OpResult SystemFailure(uint16_t step)
{
    return MakeResult(step, RESULT_SYSTEM_CALL, GetLastError());
}

OpResult RegistryFailure(uint16_t step, LSTATUS status)
{
    return MakeResult(step, RESULT_SYSTEM_CALL, static_cast<DWORD>(status) | GetLastError());
}

// Reads report a missing entry at their first step and any other failure at the next one.
OpResult ReadFailure(uint16_t missingStep, LSTATUS status)
{
    const bool missing = status == ERROR_FILE_NOT_FOUND || status == ERROR_NO_MORE_FILES;
    return RegistryFailure(missing ? missingStep : static_cast<uint16_t>(missingStep + 1), status);
}

// Room for the largest of: the longest data, the longest subkey name and the longest value name,
// each with a terminator.
DWORD ScratchSize(DWORD longestData, DWORD longestSubKey, DWORD longestValueName)
{
    const DWORD terminator = sizeof(wchar_t);
    return std::max({longestData + terminator, longestSubKey * terminator + terminator,
                     longestValueName * terminator + terminator});
}

} // namespace

CMVNRegKey::CMVNRegKey() = default;

CMVNRegKey::~CMVNRegKey()
{
    Close();
}

void CMVNRegKey::Close()
{
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
    scratch_.reset();
    scratchSize_ = 0;
    subKeyIndex_ = subKeyCount_ = valueIndex_ = valueCount_ = 0;
}

OpResult CMVNRegKey::Open(HKEY root, const wchar_t* subKey, bool view64, bool writable)
{
    Close();
    const REGSAM view = ViewFlag(view64);
    LSTATUS status = RegOpenKeyExW(root, subKey, 0, (writable ? kWritableAccess : KEY_READ) | view, &key_);
    if (writable && status == ERROR_ACCESS_DENIED)
        status = RegOpenKeyExW(root, subKey, 0, KEY_READ | view, &key_);
    if (status != ERROR_SUCCESS) {
        const OpResult result = RegistryFailure(0xA4, status);
        key_ = nullptr;
        return result;
    }

    DWORD longestSubKey = 0;
    DWORD longestValueName = 0;
    DWORD longestData = 0;
    status = RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subKeyCount_, &longestSubKey, nullptr,
                              &valueCount_, &longestValueName, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        const OpResult result = RegistryFailure(0xAD, status);
        Close();
        return result;
    }

    const DWORD size = ScratchSize(longestData, longestSubKey, longestValueName);
    scratch_.reset(new (std::nothrow) BYTE[size]);
    if (!scratch_) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        const OpResult result = SystemFailure(0xBB);
        Close();
        return result;
    }
    scratchSize_ = size;
    return RESULT_OK;
}

OpResult CMVNRegKey::OpenOrCreate(HKEY root, const wchar_t* subKey, bool view64)
{
    Close();
    const REGSAM access = KEY_ALL_ACCESS | ViewFlag(view64);
    if (RegOpenKeyExW(root, subKey, 0, access, &key_) == ERROR_SUCCESS)
        return RESULT_OK;
    const LSTATUS status = RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                           &key_, nullptr);
    if (status == ERROR_SUCCESS)
        return RESULT_OK;
    const OpResult result = RegistryFailure(0x160, status);
    key_ = nullptr;
    return result;
}

OpResult CMVNRegKey::QueryString(const wchar_t* name, std::wstring* text, DWORD* length)
{
    if (!scratch_)
        return SystemFailure(0xDE);
    if (!text)
        return SystemFailure(0xDF);
    text->clear();
    std::fill_n(scratch_.get(), scratchSize_, BYTE{0});
    DWORD type = REG_SZ;
    DWORD size = scratchSize_;
    const LSTATUS status = RegQueryValueExW(key_, name, nullptr, &type, scratch_.get(), &size);
    if (status != ERROR_SUCCESS)
        return ReadFailure(0xE6, status);

    const auto* data = reinterpret_cast<const wchar_t*>(scratch_.get());
    const bool multi = type == REG_MULTI_SZ;
    // The scratch buffer is zeroed and one terminator longer than any data, so the search for the
    // first terminator stays inside it.
    const wchar_t* end = data + scratchSize_ / sizeof(wchar_t);
    const size_t chars = multi ? size / sizeof(wchar_t) : static_cast<size_t>(std::find(data, end, L'\0') - data);
    try {
        text->assign(data, chars);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return SystemFailure(multi ? 0xEC : 0xF1);
    }
    if (length)
        *length = size / sizeof(wchar_t);
    return RESULT_OK;
}

OpResult CMVNRegKey::QueryFixed(const wchar_t* name, void* value, DWORD size, uint16_t missingStep)
{
    std::fill_n(static_cast<BYTE*>(value), size, BYTE{0});
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key_, name, nullptr, &type, static_cast<BYTE*>(value), &size);
    return status == ERROR_SUCCESS ? RESULT_OK : ReadFailure(missingStep, status);
}

OpResult CMVNRegKey::QueryDword(const wchar_t* name, DWORD& value)
{
    return QueryFixed(name, &value, sizeof(value), 0x106);
}

OpResult CMVNRegKey::QueryQword(const wchar_t* name, ULONGLONG& value)
{
    return QueryFixed(name, &value, sizeof(value), 0x118);
}

OpResult CMVNRegKey::QueryBinary(const wchar_t* name, RegValueBlock_& value)
{
    value = RegValueBlock_();
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key_, name, nullptr, &value.type_, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data_.resize(size);
        status = RegQueryValueExW(key_, name, nullptr, &value.type_, value.data_.data(), &size);
    }
    if (status != ERROR_SUCCESS) {
        value = RegValueBlock_();
        return ReadFailure(0x12A, status);
    }
    value.data_.resize(size);
    value.size_ = size;
    return RESULT_OK;
}

OpResult CMVNRegKey::EnumNextKey(std::wstring& name)
{
    name.clear();
    if (subKeyIndex_ >= subKeyCount_)
        return MakeResult(0xC8, RESULT_BAD_ARGUMENT, GetLastError());
    const DWORD index = subKeyIndex_++;
    auto* buffer = reinterpret_cast<wchar_t*>(scratch_.get());
    DWORD chars = scratchSize_ / sizeof(wchar_t);
    const LSTATUS status = RegEnumKeyExW(key_, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return ReadFailure(0xCE, status);
    name.assign(buffer, chars);
    return RESULT_OK;
}

OpResult CMVNRegKey::EnumNextValue(std::wstring& name, RegValueBlock_& value)
{
    name.clear();
    value = RegValueBlock_();
    if (valueIndex_ >= valueCount_)
        return SystemFailure(0x13E);
    const DWORD index = valueIndex_++;
    wchar_t nameBuffer[kValueNameChars] = {};
    DWORD nameChars = kValueNameChars;
    DWORD size = scratchSize_;
    const LSTATUS status = RegEnumValueW(key_, index, nameBuffer, &nameChars, nullptr, &value.type_,
                                         scratch_.get(), &size);
    if (status != ERROR_SUCCESS) {
        value = RegValueBlock_();
        return ReadFailure(0x145, status);
    }
    name.assign(nameBuffer, nameChars);
    value.size_ = size;
    value.data_.assign(scratch_.get(), scratch_.get() + size);
    return RESULT_OK;
}

OpResult CMVNRegKey::SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    const LSTATUS status = RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    return status == ERROR_SUCCESS ? RESULT_OK : RegistryFailure(0x16E, status);
}

OpResult CMVNRegKey::DeleteValue(const wchar_t* name)
{
    if (!name)
        return SystemFailure(0x17B);
    const LSTATUS status = RegDeleteValueW(key_, name);
    return status == ERROR_SUCCESS ? RESULT_OK : RegistryFailure(0x17D, status);
}

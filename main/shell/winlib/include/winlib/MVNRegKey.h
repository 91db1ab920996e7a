// One open registry key in an explicit 32-bit or 64-bit view, so that a 32-bit program can reach
// the 64-bit hive on 64-bit Windows. Every operation returns an OpResult and leaves the object
// usable.
#pragma once

#include "common/OpResult.h"
#include "platform/Windows.h"

#include <memory>
#include <string>
#include <vector>

// A value as read from a key: its registry type, its size in bytes and its data.
struct RegValueBlock_ {
    DWORD type_ = 0;
    DWORD size_ = 0;
    std::vector<BYTE> data_;
};

class CMVNRegKey {
public:
    CMVNRegKey();
    virtual ~CMVNRegKey();
    CMVNRegKey(const CMVNRegKey&) = delete;
    CMVNRegKey& operator=(const CMVNRegKey&) = delete;

    // Opens the key and sizes the scratch buffer for its largest value or name. A writable open
    // that is refused falls back to reading; writes then fail.
    OpResult Open(HKEY root, const wchar_t* subKey, bool view64, bool writable);
    // Opens the key with full access, creating it when missing; values are then only written.
    OpResult OpenOrCreate(HKEY root, const wchar_t* subKey, bool view64);

    // A REG_MULTI_SZ value comes back whole, with its inner terminators; any other value up to
    // its first terminator. The length is the data's size in characters.
    OpResult QueryString(const wchar_t* name, std::wstring* text, DWORD* length = nullptr);
    OpResult QueryDword(const wchar_t* name, DWORD& value);
    OpResult QueryQword(const wchar_t* name, ULONGLONG& value);
    OpResult QueryBinary(const wchar_t* name, RegValueBlock_& value);

    OpResult EnumNextKey(std::wstring& name);
    OpResult EnumNextValue(std::wstring& name, RegValueBlock_& value);

    OpResult SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
    OpResult DeleteValue(const wchar_t* name);

private:
    void Close();
    OpResult QueryFixed(const wchar_t* name, void* value, DWORD size, uint16_t missingStep);

    DWORD subKeyIndex_ = 0;
    DWORD subKeyCount_ = 0;
    DWORD valueIndex_ = 0;
    DWORD valueCount_ = 0;
    std::unique_ptr<BYTE[]> scratch_;
    DWORD scratchSize_ = 0;
    HKEY key_ = nullptr;
};

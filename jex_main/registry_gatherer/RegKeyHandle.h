// A registry key the gatherer opened, closed when the holder goes, so that no path of a check
// leaves a key open.
#pragma once

#include "platform/Windows.h"

#include <string>

class CRegKeyHandle {
public:
    CRegKeyHandle() = default;
    ~CRegKeyHandle() { Close(); }
    CRegKeyHandle(const CRegKeyHandle&) = delete;
    CRegKeyHandle& operator=(const CRegKeyHandle&) = delete;

    // Closes the key held before; the Windows error of the open.
    LSTATUS Open(HKEY parent, const std::wstring& path, REGSAM access)
    {
        Close();
        return RegOpenKeyExW(parent, path.c_str(), 0, access, &key_);
    }

    void Close()
    {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

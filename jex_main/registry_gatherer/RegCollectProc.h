// The procedure of a reference-check rule: decides whether one subkey or value of the rule's key
// is junk, and what the found item shows.
#pragma once

#include "platform/Windows.h"

#include <string>

class CRegCollectProc {
public:
    virtual ~CRegCollectProc() = default;

    // The subkey or value named name of key; display receives the item's display text.
    virtual bool CheckSubKey(HKEY key, const std::wstring& name, std::wstring& display) = 0;
    virtual bool CheckValue(HKEY key, const std::wstring& name, std::wstring& display) = 0;
};

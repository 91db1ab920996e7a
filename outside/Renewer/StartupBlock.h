// The start-up block of the installed update description: while "main" of section "block" is not
// 0, a main program that starts idles without a window instead of going on, until the updater
// that set the block ends it.
#pragma once

#include "platform/Windows.h"

#include <string>
#include <vector>

class CStartupBlock {
public:
    // Sets the block in the description file (a Windows path).
    explicit CStartupBlock(std::wstring description);
    // Puts back what the key held before (its value, or no key at all) and ends the main programs
    // that started while the block was set: they idle for good.
    ~CStartupBlock();
    CStartupBlock(const CStartupBlock&) = delete;
    CStartupBlock& operator=(const CStartupBlock&) = delete;

    // False when the block could not be written (the last error says why).
    bool IsSet() const { return set_; }

private:
    std::wstring description_;
    std::wstring previous_;
    bool hadKey_ = false;
    bool set_ = false;
    std::vector<DWORD> runningBefore_;
};

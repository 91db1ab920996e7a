// One rule of the rule file: where a kind of junk lies and which files in it are junk.
#pragma once

#include "FileNamePattern.h"

#include <cstdint>
#include <string>

struct JunkRule {
    // A Windows path with environment variables ("%LOCALAPPDATA%\Temp"); a component with "*" or
    // "?" stands for every folder of that name ("...\User Data\*\Cache").
    std::wstring folder;
    // Files whose names match are junk; with recursion a folder whose name matches is junk whole.
    CFileNamePattern files{{}};
    bool recurse = false;
    // Files written to more recently than this (in 100-ns ticks) are left alone.
    uint64_t minimumAge = 0;
};

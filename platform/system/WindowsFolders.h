// The folders of the machine's Windows installation as a 32-bit program on it sees them, shared by
// the special folders, the environment and the temporary folder.
#pragma once

#include "platform/Machine.h"

#include <string>

namespace platform {

struct WindowsFolders {
    std::wstring windows;            // C:\Windows
    std::wstring system;             // C:\Windows\System32
    std::wstring systemX86;          // C:\Windows\SysWOW64 on 64-bit Windows, else System32
    std::wstring programFiles;       // the 32-bit program files: "C:\Program Files (x86)" on 64-bit
    std::wstring programFilesNative; // C:\Program Files
    std::wstring commonFiles;        // Common Files of programFiles
    std::wstring commonFilesNative;  // Common Files of programFilesNative
    std::wstring profile;            // C:\Users\<user>
    std::wstring roamingAppData;
    std::wstring localAppData;
    std::wstring temp;               // without a trailing backslash
    std::wstring programData;
    std::wstring publicProfile;      // C:\Users\Public
};

WindowsFolders FoldersOf(const MachineDescription& machine);

// Makes a host folder with its parents; false when it does not exist afterwards (errno set).
bool MakeFolders(const std::string& hostPath);

} // namespace platform

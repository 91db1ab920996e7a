// Shortcut files written and read through the layer's shell link object, as a test plants them.
#pragma once

#include "platform/Windows.h"

#include <string>

namespace testing_support {

// A new link object's two interfaces, in an apartment of the calling thread for its lifetime;
// both null when the object could not be made.
class CShellLinkHandle {
public:
    CShellLinkHandle();
    ~CShellLinkHandle();
    CShellLinkHandle(const CShellLinkHandle&) = delete;
    CShellLinkHandle& operator=(const CShellLinkHandle&) = delete;

    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
};

// Writes a ".lnk" file at the Windows path naming the target, with the description and icon;
// false when the object could not write it.
bool WriteShellLink(const std::wstring& path, const std::wstring& target, const std::wstring& description,
                    const std::wstring& iconPath, int iconIndex);
// The link's icon path and index; empty when the file is no link.
std::wstring ShellLinkIcon(const std::wstring& path, int* index);

} // namespace testing_support

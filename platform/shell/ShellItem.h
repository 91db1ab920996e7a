// The items of the shell's namespace and their identifier lists. An item's bytes are a tag and
// UTF-8 text: "M" the computer, "V" and a drive letter, "F" and the name of a file or folder.
#pragma once

#include "platform/win/ShellDrives.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::shell {

using ItemBytes = std::string;

struct ShellItem {
    enum class Kind { Desktop, Computer, FileSystem };

    Kind kind = Kind::Desktop;
    std::wstring path;  // FileSystem only: "D:\" for a drive, "D:\a\b" below it

    bool IsDrive() const { return kind == Kind::FileSystem && path.size() == 3; }

    // The items of its identifier list from the desktop down.
    std::vector<ItemBytes> IdItems() const;
    // The item a list of items names; nullopt when the list is malformed.
    static std::optional<ShellItem> FromIdItems(const std::vector<ItemBytes>& items);

    bool Exists() const;
    bool IsFolder() const;
    DWORD Attributes() const;
    std::wstring DisplayName() const;
    std::wstring TypeName() const;
    int IconIndex() const;

    // The children EnumObjects lists with these SHCONTF flags, each as its one item; false with the
    // last error set when a file-system folder cannot be read.
    bool Children(DWORD flags, std::vector<ItemBytes>& children) const;
};

// The raw items of a list (stopping at a size that cannot be an item) and a new list of items.
std::vector<ItemBytes> SplitIdList(LPCITEMIDLIST list);
LPITEMIDLIST MakeIdList(const std::vector<ItemBytes>& items);

// The item an absolute display name names: the computer's name or the full path of an existing
// file or folder. S_OK, or the failure ParseDisplayName reports.
HRESULT ParseAbsoluteName(const std::wstring& name, ShellItem& item);

} // namespace platform::shell

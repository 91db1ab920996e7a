// A category's place in the shell: its absolute identifier list, its folder object and what the
// shell shows of it, and the walk of the files below it.
#pragma once

#include "FilePlace.h"

#include "platform/Windows.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The size a file's find data gives.
inline uint64_t FileSizeOf(const WIN32_FIND_DATAW& data)
{
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
// An identifier list the shell allocated, freed with it.
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

class CShellItemProc {
public:
    // A file met: its full path, its find data and its place as its folder's listing told it
    // (the step may take the place over); false ends the walk.
    using FileStep = std::function<bool(const std::wstring& path, const WIN32_FIND_DATAW& data, FilePlace& place)>;
    // A folder about to be entered; false passes it by.
    using FolderStep = std::function<bool(const std::wstring& path)>;
    // Walks a file-system folder with the two steps; false when the file step ended it.
    using FolderWalk = std::function<bool(const std::wstring& folder, const FileStep&, const FolderStep&)>;

    CShellItemProc() = default;
    ~CShellItemProc();
    CShellItemProc(const CShellItemProc&) = delete;
    CShellItemProc& operator=(const CShellItemProc&) = delete;

    // Takes the list over and binds its folder; the shell's result.
    HRESULT Bind(PIDLIST_ABSOLUTE idList);
    // Reads the display name and the system icon index again; false when the item is gone.
    bool ReadInfo();

    const SHFILEINFOW& Info() const { return info_; }
    // The file-system path, or "" for an item without one.
    std::wstring Path() const;

    // Calls visit with each child's absolute identifier list, which the visit may take over, while
    // it answers true.
    void ForEachChild(DWORD flags, const std::function<bool(IdList& child)>& visit) const;

    // Walks the files below the item, its file-system folders through walkFolder; false when the
    // file step ended it.
    bool Walk(const FileStep& fileStep, const FolderStep& folderStep, const FolderWalk& walkFolder) const;

private:
    PIDLIST_ABSOLUTE idList_ = nullptr;
    IShellFolder2* folder_ = nullptr;
    SHFILEINFOW info_{};
};

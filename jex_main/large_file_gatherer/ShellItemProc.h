// A category's place in the shell: its absolute identifier list, its folder object and what the
// shell shows of it, and the walk of the files below it.
#pragma once

#include "platform/Windows.h"

#include <functional>
#include <memory>
#include <string>

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
// An identifier list the shell allocated, freed with it.
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

class CShellItemProc {
public:
    // A file met: its full path and its find data; false ends the walk.
    using FileStep = std::function<bool(const std::wstring& path, const WIN32_FIND_DATAW& data)>;
    // A folder about to be entered; false passes it by.
    using FolderStep = std::function<bool(const std::wstring& path)>;

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

    // Walks the files below the item in the file system's order; false when a step ended it.
    bool Walk(const FileStep& fileStep, const FolderStep& folderStep) const;

private:
    PIDLIST_ABSOLUTE idList_ = nullptr;
    IShellFolder2* folder_ = nullptr;
    SHFILEINFOW info_{};
};

// Walks a file-system folder: files in the order listed, each folder (never a link or mount point)
// entered where it stands when the folder step agrees. False when the file step ended the walk.
bool WalkFileSystemFolder(const std::wstring& folder, const CShellItemProc::FileStep& fileStep,
                          const CShellItemProc::FolderStep& folderStep);

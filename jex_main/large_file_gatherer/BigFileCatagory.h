// A scan root shown to the user as one tile: a usable drive, or a folder added by name.
#pragma once

#include "IBulkseek.h"
#include "ShellItemProc.h"

#include <memory>
#include <set>

class CBigFileCatagory final : public IBigFileCatagory, public _BigFileItem_Info_ {
public:
    // Takes the absolute identifier list over and reads the item: its name, icon, kind of drive
    // and sizes. A failure result means the item is no usable category: it has no folder, or is a
    // removable, optical or write-protected drive.
    HRESULT Make(PIDLIST_ABSOLUTE idList);

    _BigFileItem_Info_* GetInfo() override { return this; }
    OpResult Refresh() override;

    const CShellItemProc* ShellItem() const { return shellItem_.get(); }

    // Enters each folder the first time its path is met (names compared ignoring case).
    bool FirstVisit(const std::wstring& folder) { return walked_.insert(folder).second; }
    void ForgetVisits() { walked_.clear(); }

    // The current scan's share of the overall progress and the bytes of the files met so far.
    struct Progress {
        int beginPercent = 0;
        int endPercent = 0;
        uint64_t bytesMet = 0;
    } progress;

private:
    struct NoCaseLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
    };

    void ReadShellInfo();
    void ReadSizes(const std::wstring& root);

    std::unique_ptr<CShellItemProc> shellItem_;
    std::set<std::wstring, NoCaseLess> walked_;
};

// The shell shortcuts (".lnk" files) of the user's and all users' start menus, start-up folders,
// desktops and pinned task-bar items, each read into a record, so that the shortcuts of a program
// can be found and given another icon. Used on one thread at a time.
#pragma once

#include "winlib/StringSet.h"

#include "platform/Windows.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// One shortcut; an empty text stands for none.
struct S_SHORTCUT_INFO {
    std::wstring target_;   // the program it starts, long-name form
    std::wstring folder_;   // the folder of the ".lnk" file
    std::wstring title_;    // the ".lnk" file name without its extension
    std::wstring description_;
    std::wstring arguments_;
    std::wstring workingDir_; // long-name form
    std::wstring iconPath_;   // long-name form
    int iconIndex_ = 0;
    WORD hotKey_ = 0;
    int showCmd_ = 1;
    std::wstring linkPath_; // the ".lnk" file
};

class CShortcutInventory {
public:
    // Every shortcut folder; the first eight stop at the first folder the special-folder table
    // does not know, the pinned task-bar items are looked at in any case.
    void ScanAll();
    // Junctions are not followed; each ".lnk" file is read once.
    void ScanFolder(const std::wstring& folder, bool recursive);
    // Fills the record from the ".lnk" file; false when it names no existing target or its path
    // lacks a folder or an extension.
    bool ReadShortcut(const std::wstring& linkPath, S_SHORTCUT_INFO& record) const;

    // Appends the records whose target is the path, ignoring case; true when the list is not empty
    // afterwards.
    bool FindByTarget(const std::wstring& target, std::vector<S_SHORTCUT_INFO*>& records) const;
    // The distinct targets, collected once.
    void CollectTargets();
    const CStringSet& Targets() const { return targets_; }
    // Gives the shortcut the icon file, keeping the record's icon index, and saves it; true when
    // saved.
    bool SetShortcutIcon(const S_SHORTCUT_INFO& record, const std::wstring& iconPath) const;

    // The records of the one collected target whose path ends in a backslash and the file name
    // (ignoring case); nothing when none or several match.
    void FindByFileName(const std::wstring& fileName, std::vector<S_SHORTCUT_INFO*>& records) const;
    // Replaces the target text of the records whose target is exactly the old text; the records
    // stay filed under the old text. An empty new text changes nothing.
    void RenameTarget(const std::wstring& oldTarget, const std::wstring& newTarget);
    // SetShortcutIcon on every shortcut of the target until one fails; true when none failed.
    bool SetIconForTarget(const std::wstring& target, const std::wstring& iconPath) const;

    size_t Count() const { return byFile_.size(); }

private:
    struct LessIgnoringCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    std::multimap<std::wstring, S_SHORTCUT_INFO*, LessIgnoringCase> byTarget_;
    std::map<std::wstring, std::unique_ptr<S_SHORTCUT_INFO>, LessIgnoringCase> byFile_;
    CStringSet targets_;
};

// A new empty inventory, or null when memory runs out.
std::unique_ptr<CShortcutInventory> CreateShortcutInventory();

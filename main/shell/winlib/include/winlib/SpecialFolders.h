// The table between shell folder identifiers (CSIDL values) and folder paths, filled once when it
// is made. It knows both the 32-bit and the 64-bit program and system folders, although the
// program itself is 32-bit.
#pragma once

#include <map>
#include <optional>
#include <string>

class CSpecialFolders {
public:
    CSpecialFolders();

    // The folder path of the CSIDL, or null when unknown.
    const wchar_t* Path(int csidl) const;

    // The CSIDL of the longest known folder the path begins with, where the folder ends right
    // before a backslash or "/" of the path; 0 and a prefix length of 0 when there is none.
    int FolderOf(const std::wstring& path, size_t* prefixLength) const;

    // The CSIDL stored for exactly this folder path (ignoring case).
    std::optional<int> CsidlOf(const std::wstring& folder) const;

private:
    struct LessIgnoringCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    void Store(int csidl, const std::wstring& path);

    std::map<int, std::wstring> paths_;                          // the first path stored wins
    std::map<std::wstring, int, LessIgnoringCase> csidls_;       // the last CSIDL stored wins
};

// The process-wide table: made on the first call (the program makes it before its main routine)
// and freed at exit.
const CSpecialFolders& SpecialFolders();

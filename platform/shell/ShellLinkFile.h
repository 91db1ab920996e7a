// A shell link (".lnk") file read and written in the documented binary shell-link format, the one
// reader and writer behind the shell's link object and the installer's shortcut queries: the header, the target's item list (kept as it is), the link
// information with the target's local path, the string data (description, relative path, working
// folder, arguments, icon location) and the extra data blocks. Whatever the class does not
// interpret is written back unchanged.
#pragma once

#include "platform/win/Types.h"

#include <string>

namespace platform {

class CShellLinkFile {
public:
    CShellLinkFile();

    // ERROR_SUCCESS; the Windows error of opening or reading the file; or ERROR_BAD_FORMAT when it
    // is not a whole shell link. A failed load leaves an empty link.
    DWORD Load(const std::wstring& path);
    // Writes a new file beside the path and then puts it in place of the old one.
    bool Save(const std::wstring& path) const;

    // The target: the local path of the link information, else the target of the environment
    // block with its variables expanded, else the relative path taken from the link's own folder;
    // empty when the link names none.
    std::wstring GetPath() const;
    const std::wstring& GetDescription() const { return description_; }
    const std::wstring& GetArguments() const { return arguments_; }
    const std::wstring& GetWorkingDirectory() const { return workingDir_; }
    const std::wstring& GetIconLocation(int* index) const;
    WORD GetHotkey() const;
    int GetShowCmd() const;
    // The whole extra data block with this signature (size and signature included); empty when
    // the link has none.
    std::string ExtraBlock(DWORD signature) const;

    // The target as a local path; the item list and the environment block that named the old one
    // go.
    void SetPath(const std::wstring& target);
    void SetDescription(const std::wstring& text) { description_ = text; }
    void SetArguments(const std::wstring& text) { arguments_ = text; }
    void SetWorkingDirectory(const std::wstring& folder) { workingDir_ = folder; }
    // An icon location given with environment variables before is replaced as well.
    void SetIconLocation(const std::wstring& path, int index);
    void SetHotkey(WORD hotKey);
    void SetShowCmd(int showCommand);

private:
    bool Parse(const std::string& bytes);
    DWORD Flags() const;
    void SetFlags(DWORD flags);
    // Removes the extra data block with this signature.
    void DropExtraBlock(DWORD signature);

    std::wstring linkPath_;
    std::string header_;
    std::string idList_;   // the item list without its size field; empty when there is none
    std::string linkInfo_; // the whole link information; empty when there is none
    std::wstring localPath_;
    std::wstring description_;
    std::wstring relativePath_;
    std::wstring workingDir_;
    std::wstring arguments_;
    std::wstring iconLocation_;
    std::string extra_; // the extra data blocks without the terminal block
};

} // namespace platform

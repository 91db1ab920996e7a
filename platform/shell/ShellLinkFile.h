// A shell link (".lnk") file read and written in the documented binary shell-link format, the one
// reader and writer behind the shell's link object and the installer's shortcut queries: the
// header, the target's item list, the link information, the string data (description, relative
// path, working folder, arguments, icon location) and the extra data blocks. A rewrite changes only
// what a setter set: every other part, and every string in its own encoding, is written back byte
// for byte as it was read.
#pragma once

#include "ReplaceLinkFile.h"

#include "platform/win/Types.h"

#include <string>

namespace platform {

class CShellLinkFile {
public:
    CShellLinkFile();

    // ERROR_SUCCESS; the Windows error of opening or reading the file; or ERROR_BAD_FORMAT when it
    // is not a whole shell link. A failed load leaves an empty link. Never throws.
    DWORD Load(const std::wstring& path);
    // Puts the link in place of the file at the path (shell/ReplaceLinkFile.h); false with the last
    // error set. Saving to the path it was loaded from requires the file there to be still the
    // one loaded.
    bool Save(const std::wstring& path) const;

    // The target as the shell finds it: the local path of the link information, else its network
    // path, else the path the item list spells, else the target of the environment block with its
    // variables expanded, else the relative path taken from the link's own folder; empty when the
    // link names none.
    std::wstring GetPath() const;
    const std::wstring& GetDescription() const { return strings_[kDescription].text_; }
    const std::wstring& GetArguments() const { return strings_[kArguments].text_; }
    const std::wstring& GetWorkingDirectory() const { return strings_[kWorkingDir].text_; }
    const std::wstring& GetIconLocation(int* index) const;
    WORD GetHotkey() const;
    int GetShowCmd() const;
    // The whole extra data block with this signature (size and signature included); empty when
    // the link has none.
    std::string ExtraBlock(DWORD signature) const;

    // The target as a local path; the item list and the environment block that named the old one
    // go.
    void SetPath(const std::wstring& target);
    void SetDescription(const std::wstring& text) { SetString(kDescription, text); }
    void SetArguments(const std::wstring& text) { SetString(kArguments, text); }
    void SetWorkingDirectory(const std::wstring& folder) { SetString(kWorkingDir, folder); }
    // An icon location given with environment variables before is replaced as well.
    void SetIconLocation(const std::wstring& path, int index);
    void SetHotkey(WORD hotKey);
    void SetShowCmd(int showCommand);

private:
    // The string data in the order the format stores it.
    enum StringIndex { kDescription, kRelativePath, kWorkingDir, kArguments, kIconLocation, kStringCount };
    struct LinkString_ {
        bool present_ = false; // its flag is set: read from the file, or set to a text
        bool set_ = false;     // set since the load: written from the text, else from raw_
        std::string raw_;      // the characters as read, in the file's encoding
        std::wstring text_;
    };

    bool Parse(const std::string& bytes);
    bool ParseStrings(const std::string& bytes, size_t& at);
    void ParseExtraData(const std::string& bytes, size_t at);
    // The string data as the file will hold it; false when a text is too long for the format.
    bool StringData(bool unicode, std::string& out) const;
    bool WritesUnicode() const;
    DWORD Flags() const;
    void SetFlags(DWORD flags);
    void SetString(StringIndex index, const std::wstring& text);
    // Removes every extra data block with this signature.
    void DropExtraBlock(DWORD signature);

    std::wstring linkPath_;
    shell::LoadedFile_ loaded_;
    std::string header_;
    std::string idList_;   // the item list without its size field
    std::string linkInfo_; // the whole link information, kept where ForceNoLinkInfo ignores it
    std::wstring target_;  // what the link information or else the item list names
    LinkString_ strings_[kStringCount];
    std::string extra_;    // the whole extra data blocks
    std::string tail_;     // from the terminal block on, as read (a terminal block when none was)
};

} // namespace platform

// An INI file as Windows' profile functions see it: sections and keys matched ignoring case, blanks
// around names and values trimmed, lines starting with ';' kept as comments. Writing keeps every
// other line of the file as it was and the file's encoding (UTF-16LE with its byte-order mark, or
// UTF-8), and replaces the file atomically, keeping its permissions.
//
// A file is parsed once and the parsed copy shared by every later reading until the file changes
// (another inode, size, modification or change time to the nanosecond), so that a program reading
// many values pays for the file once and still sees another process's write at its next read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#pragma GCC visibility push(default)

namespace platform {

// The parsed text of a file (see IniFile.cpp).
struct IniContent;

class IniFile {
public:
    // Reads the file; a missing or unreadable file is an empty one (Exists() tells which).
    explicit IniFile(std::string hostPath);

    bool Exists() const { return exists_; }
    const std::string& Path() const { return path_; }

    std::optional<std::wstring> Get(const std::wstring& section, const std::wstring& key) const;
    std::wstring Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) const;
    long long GetInt(const std::wstring& section, const std::wstring& key, long long fallback) const;

    std::vector<std::wstring> Sections() const;
    std::vector<std::wstring> Keys(const std::wstring& section) const;

    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void RemoveKey(const std::wstring& section, const std::wstring& key);
    void RemoveSection(const std::wstring& section);

    // Writes the file (creating it) through a full copy that then takes its place; prepare, when
    // given, is called with the copy's host path first and may refuse (false, errno set). False
    // with errno set when the file could not be written; it is then left as it was.
    bool Save(const std::function<bool(const std::string&)>& prepare = {}) const;

private:
    // Index of the section header, or -1.
    int FindSection(const std::wstring& section) const;
    // Index of the key line within the section starting at header index, or -1.
    int FindKey(int header, const std::wstring& key) const;
    int SectionEnd(int header) const;

    // The content to change: this file's own copy, no longer the one readers share.
    IniContent& Writable();

    std::string path_;
    bool exists_ = false;
    std::shared_ptr<const IniContent> content_; // shared with other readers of the same file
    std::shared_ptr<IniContent> own_;          // once changed: content_ is this copy of its own
};

} // namespace platform

#pragma GCC visibility pop

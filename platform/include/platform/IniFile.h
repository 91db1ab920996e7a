// An INI file as Windows' profile functions see it: sections and keys matched ignoring case, blanks
// around names and values trimmed, lines starting with ';' kept as comments. Writing keeps every
// other line of the file as it was and the file's encoding (UTF-16LE with its byte-order mark, or
// UTF-8), and replaces the file atomically, keeping its permissions.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

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
    struct Line {
        std::wstring text;     // the line as read (without its end)
        std::wstring section;  // for a section header: its name
        std::wstring key;      // for a key line: its name
        std::wstring value;    // for a key line: its value
        enum Kind { Other, Section, Key } kind = Other;
    };

    // Index of the section header, or -1.
    int FindSection(const std::wstring& section) const;
    // Index of the key line within the section starting at header index, or -1.
    int FindKey(int header, const std::wstring& key) const;
    int SectionEnd(int header) const;

    std::string path_;
    bool exists_ = false;
    bool utf16_ = false;
    std::vector<Line> lines_;
};

} // namespace platform

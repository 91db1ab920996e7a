// An INI file as Windows' profile functions see it: sections and keys matched ignoring case, blanks
// around names and values trimmed, lines starting with ';' kept as comments.
//
// Reading takes plain files of up to 1 MiB only: a larger one is a damaged file, and a FIFO, a
// device or a folder is none, so a reader never blocks and never runs out of memory. Text is
// UTF-16LE after its byte-order mark, else UTF-8, and a line that is no UTF-8 holds the ANSI bytes
// of a Windows PC (read as code page 1252, every byte a character).
//
// Writing changes only the lines it changes: every other line goes back byte for byte, and a
// changed or new line is written in the file's own encoding (ANSI where the file holds ANSI lines
// and the text has its bytes). The file is replaced by a draft that takes its name in one step in
// its folder, keeping its permissions (without set-id bits) and, for the superuser, its owner; a
// file whose bytes would not change is not rewritten.
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

// The parsed text of a file and the folder a file is kept in (see IniFile.cpp).
struct IniContent;
struct IniFolder;

// Larger files are damaged ones.
constexpr int64_t kLargestIniFile = 1 << 20;

class IniFile {
public:
    // Reads the file at the host path (links followed); a missing or unreadable file is an empty
    // one (Exists() and Error() tell which).
    explicit IniFile(std::string hostPath);
    // Reads the file of that name in the folder held by folderFd (never through a link at the name);
    // the folder is held by a copy of the descriptor, and Save writes there.
    IniFile(int folderFd, std::string name);

    bool Exists() const { return exists_; }
    // Why the file could not be read (errno): ENOENT missing, EFBIG larger than kLargestIniFile,
    // EACCES no plain file or not readable. 0 when it was read.
    int Error() const { return error_; }

    std::optional<std::wstring> Get(const std::wstring& section, const std::wstring& key) const;
    std::wstring Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) const;
    long long GetInt(const std::wstring& section, const std::wstring& key, long long fallback) const;

    std::vector<std::wstring> Sections() const;
    std::vector<std::wstring> Keys(const std::wstring& section) const;

    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void RemoveKey(const std::wstring& section, const std::wstring& key);
    void RemoveSection(const std::wstring& section);

    // Writes the file (creating it) through a draft that then takes its place; prepare, when
    // given, is called with the draft's descriptor once it is written and may refuse (false, errno
    // set). False with errno set when the file could not be written; it is then left as it was.
    bool Save(const std::function<bool(int)>& prepare = {}) const;

private:
    // Index of the section header, or -1.
    int FindSection(const std::wstring& section) const;
    // Index of the key line within the section starting at header index, or -1.
    int FindKey(int header, const std::wstring& key) const;
    int SectionEnd(int header) const;

    // The content to change: this file's own copy, no longer the one readers share.
    IniContent& Writable();
    void Load(int named);

    std::string path_;                         // the host path, where the file was named so
    std::shared_ptr<const IniFolder> folder_; // the folder held open, where it was named so
    std::string name_;                         // the name in that folder
    bool exists_ = false;
    int error_ = 0;
    std::shared_ptr<const IniContent> content_; // shared with other readers of the same file
    std::shared_ptr<IniContent> own_;          // once changed: content_ is this copy of its own
};

} // namespace platform

#pragma GCC visibility pop

#include "platform/IniFile.h"

#include "platform/Text.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::wstring Trim(const std::wstring& text)
{
    const auto first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos)
        return {};
    const auto last = text.find_last_not_of(L" \t\r");
    return text.substr(first, last - first + 1);
}

bool ReadWhole(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return true;
}

// The copy that replaces a file takes the file's permissions (and, for the superuser, its owner).
bool KeepPermissions(int copy, const std::string& original)
{
    struct stat st {};
    if (stat(original.c_str(), &st) != 0)
        return true;
    if (geteuid() == 0 && fchown(copy, st.st_uid, st.st_gid) != 0)
        return false;
    return fchmod(copy, st.st_mode & 07777) == 0;
}

} // namespace

IniFile::IniFile(std::string hostPath) : path_(std::move(hostPath))
{
    std::string bytes;
    if (!ReadWhole(path_, bytes))
        return;
    exists_ = true;
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        utf16_ = true;
        text = FromUtf16LEBytes(bytes.data() + 2, bytes.size() - 2);
    } else {
        if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        text = FromUtf8(bytes);
    }
    size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        Line line;
        line.text = text.substr(start, end - start);
        if (!line.text.empty() && line.text.back() == L'\r')
            line.text.pop_back();
        const std::wstring trimmed = Trim(line.text);
        if (!trimmed.empty() && trimmed.front() == L'[') {
            const auto close = trimmed.find(L']');
            line.kind = Line::Section;
            line.section = Trim(trimmed.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
        } else if (!trimmed.empty() && trimmed.front() != L';') {
            const auto eq = trimmed.find(L'=');
            if (eq != std::wstring::npos) {
                line.kind = Line::Key;
                line.key = Trim(trimmed.substr(0, eq));
                line.value = Trim(trimmed.substr(eq + 1));
            }
        }
        if (end == text.size() && line.text.empty())
            break;
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

int IniFile::FindSection(const std::wstring& section) const
{
    const std::wstring wanted = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Section && EqualsIgnoringCase(lines_[i].section, wanted))
            return static_cast<int>(i);
    return -1;
}

int IniFile::SectionEnd(int header) const
{
    size_t i = static_cast<size_t>(header) + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Section)
        ++i;
    return static_cast<int>(i);
}

int IniFile::FindKey(int header, const std::wstring& key) const
{
    const std::wstring wanted = Trim(key);
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Key && EqualsIgnoringCase(lines_[i].key, wanted))
            return i;
    return -1;
}

std::optional<std::wstring> IniFile::Get(const std::wstring& section, const std::wstring& key) const
{
    const int header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const int line = FindKey(header, key);
    if (line < 0)
        return std::nullopt;
    return lines_[line].value;
}

std::wstring IniFile::Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) const
{
    auto value = Get(section, key);
    return value ? *value : fallback;
}

long long IniFile::GetInt(const std::wstring& section, const std::wstring& key, long long fallback) const
{
    auto value = Get(section, key);
    if (!value || value->empty())
        return fallback;
    try {
        size_t used = 0;
        const long long result = std::stoll(*value, &used, 0);
        return result;
    } catch (...) {
        return fallback;
    }
}

std::vector<std::wstring> IniFile::Sections() const
{
    std::vector<std::wstring> names;
    for (const auto& line : lines_)
        if (line.kind == Line::Section)
            names.push_back(line.section);
    return names;
}

std::vector<std::wstring> IniFile::Keys(const std::wstring& section) const
{
    std::vector<std::wstring> names;
    const int header = FindSection(section);
    if (header < 0)
        return names;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Key)
            names.push_back(lines_[i].key);
    return names;
}

void IniFile::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    Line line;
    line.kind = Line::Key;
    line.key = Trim(key);
    line.value = value;
    line.text = line.key + L"=" + value;
    int header = FindSection(section);
    if (header < 0) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back(Line{});
        Line head;
        head.kind = Line::Section;
        head.section = Trim(section);
        head.text = L"[" + head.section + L"]";
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(line));
        return;
    }
    const int existing = FindKey(header, key);
    if (existing >= 0) {
        lines_[existing].value = value;
        lines_[existing].text = lines_[existing].key + L"=" + value;
        return;
    }
    // After the section's last non-blank line, so a blank line between sections stays.
    int insertAt = SectionEnd(header);
    while (insertAt - 1 > header && Trim(lines_[insertAt - 1].text).empty())
        --insertAt;
    lines_.insert(lines_.begin() + insertAt, std::move(line));
}

void IniFile::RemoveKey(const std::wstring& section, const std::wstring& key)
{
    const int header = FindSection(section);
    if (header < 0)
        return;
    const int line = FindKey(header, key);
    if (line >= 0)
        lines_.erase(lines_.begin() + line);
}

void IniFile::RemoveSection(const std::wstring& section)
{
    const int header = FindSection(section);
    if (header < 0)
        return;
    lines_.erase(lines_.begin() + header, lines_.begin() + SectionEnd(header));
}

bool IniFile::Save(const std::function<bool(const std::string&)>& prepare) const
{
    std::wstring text;
    for (const auto& line : lines_) {
        text += line.text;
        text += L"\r\n";
    }
    std::string bytes = utf16_ ? std::string("\xFF\xFE", 2) + ToUtf16LEBytes(text) : ToUtf8(text);
    const std::string temp = path_ + ".new" + std::to_string(getpid());
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
                         KeepPermissions(fileno(file), path_) && fsync(fileno(file)) == 0;
    int savedErrno = errno;
    std::fclose(file);
    const bool replaced = written && (!prepare || prepare(temp)) && std::rename(temp.c_str(), path_.c_str()) == 0;
    if (!replaced) {
        if (written)
            savedErrno = errno;
        std::remove(temp.c_str());
        errno = savedErrno;
    }
    return replaced;
}

} // namespace platform

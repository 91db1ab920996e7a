#include "platform/IniFile.h"

#include "platform/Text.h"

#include "files/PathResolver.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace platform {

// A place in the content's text.
struct TextSpan {
    uint32_t start = 0;
    uint32_t length = 0;
};

struct IniLine {
    TextSpan text;  // the line as read (without its end)
    TextSpan name;  // a section header's name, or a key line's key
    TextSpan value; // a key line's value
    enum Kind : uint8_t { Other, Section, Key } kind = Other;
};

// The file's text once, each line as places in it: a line costs a few numbers, not strings of
// its own. Lines set since the file was read are appended to the text.
struct IniContent {
    std::wstring text;
    std::vector<IniLine> lines;
    bool utf16 = false;

    std::wstring_view View(TextSpan span) const { return std::wstring_view(text).substr(span.start, span.length); }

    TextSpan Append(const std::wstring& more)
    {
        const TextSpan span{static_cast<uint32_t>(text.size()), static_cast<uint32_t>(more.size())};
        text += more;
        return span;
    }
};

namespace {

// A span reaches this many characters: a file of more text is not read.
constexpr size_t kMostCharacters = UINT32_MAX;
// The parsed copies kept for later readings: of files up to this size, of this many files at most.
constexpr off_t kLargestKept = 1 << 20;
constexpr size_t kFilesKept = 64;

// A file changed within this time of its reading might change again without its times telling
// (they move in steps of the kernel's clock tick, or of whole seconds on some file systems), so
// its parsed copy is not kept for later readings until the file has been quiet that long.
constexpr long long kQuietNanoseconds = 50'000'000;
constexpr long long kQuietNanosecondsCoarse = 2'000'000'000;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; }

TextSpan Trimmed(const std::wstring& text, TextSpan span)
{
    while (span.length && IsBlank(text[span.start])) {
        ++span.start;
        --span.length;
    }
    while (span.length && IsBlank(text[span.start + span.length - 1]))
        --span.length;
    return span;
}

std::wstring Trim(const std::wstring& text)
{
    const TextSpan span = Trimmed(text, {0, static_cast<uint32_t>(text.size())});
    return text.substr(span.start, span.length);
}

IniLine ParseLine(const std::wstring& text, TextSpan span)
{
    IniLine line;
    if (span.length && text[span.start + span.length - 1] == L'\r')
        --span.length;
    line.text = span;
    const TextSpan trimmed = Trimmed(text, span);
    if (!trimmed.length || text[trimmed.start] == L';')
        return line;
    const std::wstring_view view = std::wstring_view(text).substr(trimmed.start, trimmed.length);
    if (view.front() == L'[') {
        const auto close = view.find(L']');
        const uint32_t end = close == std::wstring_view::npos ? trimmed.length : static_cast<uint32_t>(close);
        line.kind = IniLine::Section;
        line.name = Trimmed(text, {trimmed.start + 1, end - 1});
        return line;
    }
    const auto eq = view.find(L'=');
    if (eq != std::wstring_view::npos) {
        const auto at = static_cast<uint32_t>(eq);
        line.kind = IniLine::Key;
        line.name = Trimmed(text, {trimmed.start, at});
        line.value = Trimmed(text, {trimmed.start + at + 1, trimmed.length - at - 1});
    }
    return line;
}

std::shared_ptr<IniContent> Parse(std::string bytes)
{
    auto content = std::make_shared<IniContent>();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        content->utf16 = true;
        content->text = FromUtf16LEBytes(bytes.data() + 2, bytes.size() - 2);
    } else {
        if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        content->text = FromUtf8(bytes);
    }
    if (content->text.size() > kMostCharacters)
        return nullptr;
    const std::wstring& text = content->text;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        content->lines.push_back(ParseLine(text, {static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)}));
        start = end + 1;
    }
    return content;
}

// What a file was when it was read: another process's write changes at least one of these.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    timespec changed {};

    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileStamp StampOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

bool IsQuiet(const FileStamp& stamp)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto nanoseconds = [](const timespec& time) { return time.tv_sec * 1'000'000'000LL + time.tv_nsec; };
    const bool coarse = stamp.modified.tv_nsec == 0 && stamp.changed.tv_nsec == 0;
    return nanoseconds(now) - nanoseconds(stamp.changed) > (coarse ? kQuietNanosecondsCoarse : kQuietNanoseconds);
}

struct KeptFile {
    FileStamp stamp;
    std::shared_ptr<const IniContent> content;
};

std::mutex g_keptMutex;

std::unordered_map<std::string, KeptFile>& KeptFiles()
{
    static auto* kept = new std::unordered_map<std::string, KeptFile>; // outlives every static destructor
    return *kept;
}

std::shared_ptr<const IniContent> KeptContent(const std::string& path, const FileStamp& stamp)
{
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    const auto found = KeptFiles().find(path);
    if (found == KeptFiles().end())
        return nullptr;
    if (found->second.stamp == stamp)
        return found->second.content;
    KeptFiles().erase(found);
    return nullptr;
}

void Keep(const std::string& path, const FileStamp& stamp, std::shared_ptr<const IniContent> content)
{
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    if (KeptFiles().size() >= kFilesKept)
        KeptFiles().clear();
    KeptFiles()[path] = {stamp, std::move(content)};
}

// The file's bytes and what the file was when they were read; false when it cannot be read.
bool ReadWhole(const std::string& path, std::string& bytes, FileStamp& stamp)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool read = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (read) {
        stamp = StampOf(st);
        // one byte more than the file holds, so that a file that grew meanwhile is read to its end
        bytes.assign(static_cast<size_t>(st.st_size) + 1, '\0');
        size_t done = 0;
        while (true) {
            if (done == bytes.size())
                bytes.resize(bytes.size() * 2);
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                read = n == 0;
                break;
            }
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
    }
    close(fd);
    return read;
}

// The parsed content of the file, shared while the file stays as it is; null when it cannot be
// read.
std::shared_ptr<const IniContent> Load(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return nullptr;
    if (auto kept = KeptContent(path, StampOf(st)))
        return kept;
    std::string bytes;
    FileStamp stamp;
    if (!ReadWhole(path, bytes, stamp))
        return nullptr;
    std::shared_ptr<const IniContent> content = Parse(std::move(bytes));
    if (content && stamp.size <= kLargestKept && IsQuiet(stamp))
        Keep(path, stamp, content);
    return content;
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

IniFile::IniFile(std::string hostPath)
    : path_(std::move(hostPath))
    , content_(Load(path_))
{
    exists_ = content_ != nullptr;
    if (!exists_)
        content_ = std::make_shared<IniContent>();
}

IniContent& IniFile::Writable()
{
    if (!own_) {
        own_ = std::make_shared<IniContent>(*content_);
        content_ = own_;
    }
    return *own_;
}

int IniFile::FindSection(const std::wstring& section) const
{
    const std::wstring wanted = Trim(section);
    const auto& lines = content_->lines;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == IniLine::Section && EqualsIgnoringCase(content_->View(lines[i].name), wanted))
            return static_cast<int>(i);
    return -1;
}

int IniFile::SectionEnd(int header) const
{
    const auto& lines = content_->lines;
    size_t i = static_cast<size_t>(header) + 1;
    while (i < lines.size() && lines[i].kind != IniLine::Section)
        ++i;
    return static_cast<int>(i);
}

int IniFile::FindKey(int header, const std::wstring& key) const
{
    const std::wstring wanted = Trim(key);
    const int end = SectionEnd(header);
    const auto& lines = content_->lines;
    for (int i = header + 1; i < end; ++i)
        if (lines[i].kind == IniLine::Key && EqualsIgnoringCase(content_->View(lines[i].name), wanted))
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
    return std::wstring(content_->View(content_->lines[line].value));
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
    for (const auto& line : content_->lines)
        if (line.kind == IniLine::Section)
            names.emplace_back(content_->View(line.name));
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
        if (content_->lines[i].kind == IniLine::Key)
            names.emplace_back(content_->View(content_->lines[i].name));
    return names;
}

void IniFile::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    const int header = FindSection(section);
    const int existing = header < 0 ? -1 : FindKey(header, key);
    IniContent& content = Writable();
    // a key already there keeps the spelling the file gives it
    const std::wstring name = existing >= 0 ? std::wstring(content.View(content.lines[existing].name)) : Trim(key);
    IniLine line;
    line.kind = IniLine::Key;
    line.text = content.Append(name + L"=" + value);
    line.name = {line.text.start, static_cast<uint32_t>(name.size())};
    line.value = {line.text.start + line.name.length + 1, static_cast<uint32_t>(value.size())};
    if (existing >= 0) {
        content.lines[existing] = line;
        return;
    }
    if (header < 0) {
        if (!content.lines.empty() && Trimmed(content.text, content.lines.back().text).length)
            content.lines.push_back(IniLine{});
        const std::wstring sectionName = Trim(section);
        IniLine head;
        head.kind = IniLine::Section;
        head.text = content.Append(L"[" + sectionName + L"]");
        head.name = {head.text.start + 1, static_cast<uint32_t>(sectionName.size())};
        content.lines.push_back(head);
        content.lines.push_back(line);
        return;
    }
    // After the section's last non-blank line, so a blank line between sections stays.
    int insertAt = SectionEnd(header);
    while (insertAt - 1 > header && !Trimmed(content.text, content.lines[insertAt - 1].text).length)
        --insertAt;
    content.lines.insert(content.lines.begin() + insertAt, line);
}

void IniFile::RemoveKey(const std::wstring& section, const std::wstring& key)
{
    const int header = FindSection(section);
    if (header < 0)
        return;
    const int line = FindKey(header, key);
    if (line >= 0) {
        auto& lines = Writable().lines;
        lines.erase(lines.begin() + line);
    }
}

void IniFile::RemoveSection(const std::wstring& section)
{
    const int header = FindSection(section);
    if (header < 0)
        return;
    const int end = SectionEnd(header);
    auto& lines = Writable().lines;
    lines.erase(lines.begin() + header, lines.begin() + end);
}

bool IniFile::Save(const std::function<bool(const std::string&)>& prepare) const
{
    // An INI of the program folder is the process's own; every other is its user's.
    const OwnRights rights(files::IsOwnHostPath(path_));
    std::wstring text;
    text.reserve(content_->text.size() + 2 * content_->lines.size());
    for (const auto& line : content_->lines) {
        text += content_->View(line.text);
        text += L"\r\n";
    }
    std::string bytes = content_->utf16 ? std::string("\xFF\xFE", 2) + ToUtf16LEBytes(text) : ToUtf8(text);
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

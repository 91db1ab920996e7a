#include "platform/IniFile.h"

#include "DraftFile.h"

#include "platform/Text.h"
#include "shell/AnsiText.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

struct IniFolder {
    explicit IniFolder(int descriptor) : fd(descriptor) {}
    ~IniFolder()
    {
        if (fd >= 0)
            close(fd);
    }
    IniFolder(const IniFolder&) = delete;
    IniFolder& operator=(const IniFolder&) = delete;
    int fd;
};

// A place in the content's text or bytes.
struct TextSpan {
    uint32_t start = 0;
    uint32_t length = 0;
};

struct IniLine {
    TextSpan text;  // the line as read (without its end)
    TextSpan name;  // a section header's name, or a key line's key
    TextSpan value; // a key line's value
    TextSpan bytes; // the line's bytes in the file, its end included
    enum Kind : uint8_t { Other, Section, Key } kind = Other;
};

enum class IniEncoding : uint8_t { Utf8, Utf16, Ansi };

// The file's bytes and text once, each line as places in them: a line costs a few numbers, not
// strings of its own. Lines set since the file was read are appended to both.
struct IniContent {
    std::string raw;        // the file's bytes, then those of lines set since it was read
    uint32_t bodyStart = 0; // the length of the byte-order mark
    uint32_t fileSize = 0;  // how many bytes of raw the file held
    std::wstring text;
    std::vector<IniLine> lines;
    IniEncoding encoding = IniEncoding::Utf8;
    bool crlf = true;       // how a new line ends: as the file's first line does

    std::wstring_view View(TextSpan span) const { return std::wstring_view(text).substr(span.start, span.length); }
    std::string_view Bytes(TextSpan span) const { return std::string_view(raw).substr(span.start, span.length); }

    TextSpan Append(const std::wstring& more)
    {
        const TextSpan span{static_cast<uint32_t>(text.size()), static_cast<uint32_t>(more.size())};
        text += more;
        return span;
    }

    TextSpan AppendBytes(const std::string& more)
    {
        const TextSpan span{static_cast<uint32_t>(raw.size()), static_cast<uint32_t>(more.size())};
        raw += more;
        return span;
    }

    // How wide one character unit of the file is.
    size_t Unit() const { return encoding == IniEncoding::Utf16 ? 2 : 1; }

    // The ending of a line's bytes: "\r\n", "\n" or nothing, as units of the file.
    size_t EndLength(TextSpan bytes) const
    {
        const std::string_view line = Bytes(bytes);
        const size_t unit = Unit();
        const auto endsWith = [&](size_t from, char c) {
            return line.size() >= from && line[line.size() - from] == c && (unit == 1 || line[line.size() - from + 1] == '\0');
        };
        if (line.size() % unit != 0 || !endsWith(unit, '\n'))
            return 0;
        return endsWith(2 * unit, '\r') ? 2 * unit : unit;
    }

    std::string Encoded(const std::wstring& line) const
    {
        switch (encoding) {
        case IniEncoding::Utf16: return ToUtf16LEBytes(line);
        case IniEncoding::Ansi: {
            // Bytes of the PC's ANSI code page where they hold the text and cannot be taken for
            // UTF-8 when read back; UTF-8 otherwise, which every line of the file may be.
            std::string bytes;
            if (shell::EncodeAnsi1252(line, bytes) && (shell::IsAscii(line) || !shell::IsUtf8(bytes)))
                return bytes;
            return ToUtf8(line);
        }
        case IniEncoding::Utf8: break;
        }
        return ToUtf8(line);
    }

    std::string NewLineEnd() const { return Encoded(crlf ? L"\r\n" : L"\n"); }
};

namespace {

// The parsed copies kept for later readings: of this many files at most.
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

bool StartsWith(const std::string& bytes, const char* prefix, size_t length) { return bytes.compare(0, length, prefix, length) == 0; }

// Where the line starting at start ends in the file's bytes, its end included.
size_t LineEnd(const IniContent& content, size_t start)
{
    const std::string& raw = content.raw;
    if (content.encoding != IniEncoding::Utf16) {
        const size_t newline = raw.find('\n', start);
        return newline == std::string::npos ? raw.size() : newline + 1;
    }
    for (size_t at = start; at + 1 < raw.size(); at += 2)
        if (raw[at] == '\n' && raw[at + 1] == '\0')
            return at + 2;
    return raw.size();
}

void AddLine(IniContent& content, TextSpan bytes, TextSpan text)
{
    IniLine line = ParseLine(content.text, text);
    line.bytes = bytes;
    content.lines.push_back(line);
}

std::shared_ptr<IniContent> Parse(std::string bytes)
{
    auto content = std::make_shared<IniContent>();
    content->raw = std::move(bytes);
    content->fileSize = static_cast<uint32_t>(content->raw.size());
    const std::string& raw = content->raw;
    std::wstring whole;
    if (StartsWith(raw, "\xFF\xFE", 2)) {
        content->encoding = IniEncoding::Utf16;
        content->bodyStart = 2;
    } else {
        content->bodyStart = StartsWith(raw, "\xEF\xBB\xBF", 3) ? 3 : 0;
        const std::string body = raw.substr(content->bodyStart);
        whole = FromUtf8(body);
        content->encoding = ToUtf8(whole) == body ? IniEncoding::Utf8 : IniEncoding::Ansi;
    }
    if (content->encoding == IniEncoding::Utf8) {
        // UTF-8 holds no newline byte inside a character: the text's lines are the bytes' lines
        content->text = std::move(whole);
        size_t character = 0;
        for (size_t start = content->bodyStart; start < raw.size();) {
            const size_t end = LineEnd(*content, start);
            size_t textEnd = content->text.find(L'\n', character);
            if (textEnd == std::wstring::npos)
                textEnd = content->text.size();
            AddLine(*content, {static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)},
                    {static_cast<uint32_t>(character), static_cast<uint32_t>(textEnd - character)});
            start = end;
            character = textEnd + 1;
        }
    } else {
        // each line read on its own, so that a line of other bytes costs no other line its text
        for (size_t start = content->bodyStart; start < raw.size();) {
            const size_t end = LineEnd(*content, start);
            const TextSpan lineBytes{static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
            const size_t length = end - start - content->EndLength(lineBytes);
            const std::wstring line = content->encoding == IniEncoding::Utf16 ? FromUtf16LEBytes(raw.data() + start, length)
                                                                              : shell::DecodeAnsi(raw.substr(start, length));
            AddLine(*content, lineBytes, content->Append(line));
            content->text += L'\n';
            start = end;
        }
    }
    if (!content->lines.empty()) {
        const TextSpan first = content->lines.front().bytes;
        const size_t end = content->EndLength(first);
        content->crlf = end != content->Unit();
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

using FileKey = std::pair<dev_t, ino_t>;

std::mutex g_keptMutex;

std::map<FileKey, KeptFile>& KeptFiles()
{
    static auto* kept = new std::map<FileKey, KeptFile>; // outlives every static destructor
    return *kept;
}

std::shared_ptr<const IniContent> KeptContent(const FileStamp& stamp)
{
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    const auto found = KeptFiles().find({stamp.device, stamp.inode});
    if (found == KeptFiles().end())
        return nullptr;
    if (found->second.stamp == stamp)
        return found->second.content;
    KeptFiles().erase(found);
    return nullptr;
}

void Keep(const FileStamp& stamp, std::shared_ptr<const IniContent> content)
{
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    if (KeptFiles().size() >= kFilesKept)
        KeptFiles().clear();
    KeptFiles()[{stamp.device, stamp.inode}] = {stamp, std::move(content)};
}

// The bytes of the file that the descriptor names, up to one byte more than an INI file may hold;
// errno when they cannot be read. Opened without blocking, as what was named was a plain file.
int ReadAtMost(int named, std::string& bytes, FileStamp& stamp)
{
    const int fd = open(("/proc/self/fd/" + std::to_string(named)).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = fstat(fd, &st) == 0 ? 0 : errno;
    if (!error) {
        stamp = StampOf(st);
        // Room for the bytes the file has and one more, made larger only while a file growing
        // meanwhile fills it: a small file costs no megabyte of memory cleared for it.
        const size_t most = static_cast<size_t>(kLargestIniFile) + 1;
        bytes.resize(std::min(most, static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 1));
        size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                if (done == most)
                    break;
                bytes.resize(std::min(most, 2 * done));
            }
            const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n == 0 ? 0 : errno;
                break;
            }
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        if (!error && done > static_cast<size_t>(kLargestIniFile))
            error = EFBIG;
    }
    close(fd);
    return error;
}

// The draft that replaces a file takes the file's permissions, never a set-id bit, and, for the
// superuser, its owner, where it may still give it.
bool TakePermissions(int draft, const struct stat& old)
{
    if (geteuid() == 0 && fchown(draft, old.st_uid, old.st_gid) != 0 && errno != EPERM)
        return false;
    return fchmod(draft, old.st_mode & 0777) == 0;
}

// The file's bytes as they are to be written.
std::string Compose(const IniContent& content)
{
    std::string bytes = content.raw.substr(0, content.bodyStart);
    bytes.reserve(content.fileSize + 64);
    const std::string newLine = content.NewLineEnd();
    for (size_t i = 0; i < content.lines.size(); ++i) {
        const IniLine& line = content.lines[i];
        bytes += content.Bytes(line.bytes);
        // a last line without an end that others now follow gets one
        if (i + 1 < content.lines.size() && content.EndLength(line.bytes) == 0)
            bytes += newLine;
    }
    return bytes;
}

} // namespace

IniFile::IniFile(std::string hostPath) : path_(std::move(hostPath))
{
    Load(path_.empty() ? (errno = ENOENT, -1) : open(path_.c_str(), O_PATH | O_CLOEXEC));
}

IniFile::IniFile(int folderFd, std::string name) : name_(std::move(name))
{
    const int held = fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (held >= 0)
        folder_ = std::make_shared<IniFolder>(held);
    Load(held < 0 ? -1 : openat(held, name_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
}

void IniFile::Load(int named)
{
    // Only named first, and looked at by the descriptor: a FIFO would block a read's open, a
    // device would act on it, and a huge file would take all memory.
    struct stat st {};
    if (named < 0) {
        error_ = errno;
    } else if (fstat(named, &st) != 0) {
        error_ = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error_ = EACCES;
    } else if (st.st_size > kLargestIniFile) {
        error_ = EFBIG;
    } else if (auto kept = KeptContent(StampOf(st))) {
        content_ = std::move(kept);
    } else {
        std::string bytes;
        FileStamp stamp;
        error_ = ReadAtMost(named, bytes, stamp);
        if (!error_) {
            content_ = Parse(std::move(bytes));
            if (IsQuiet(stamp))
                Keep(stamp, content_);
        }
    }
    if (named >= 0)
        close(named);
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
    // a line that holds the value already stays as it is, spacing and all
    if (existing >= 0 && content_->View(content_->lines[existing].value) == value)
        return;
    IniContent& content = Writable();
    // a key already there keeps the spelling the file gives it, and its line its end
    const std::wstring name = existing >= 0 ? std::wstring(content.View(content.lines[existing].name)) : Trim(key);
    IniLine line;
    line.kind = IniLine::Key;
    line.text = content.Append(name + L"=" + value);
    line.name = {line.text.start, static_cast<uint32_t>(name.size())};
    line.value = {line.text.start + line.name.length + 1, static_cast<uint32_t>(value.size())};
    std::string bytes = content.Encoded(name + L"=" + value);
    if (existing >= 0) {
        const TextSpan old = content.lines[existing].bytes;
        const size_t end = content.EndLength(old);
        bytes += content.Bytes({old.start + old.length - static_cast<uint32_t>(end), static_cast<uint32_t>(end)});
        line.bytes = content.AppendBytes(bytes);
        content.lines[existing] = line;
        return;
    }
    line.bytes = content.AppendBytes(bytes + content.NewLineEnd());
    if (header < 0) {
        if (!content.lines.empty() && Trimmed(content.text, content.lines.back().text).length) {
            IniLine blank;
            blank.bytes = content.AppendBytes(content.NewLineEnd());
            content.lines.push_back(blank);
        }
        const std::wstring sectionName = Trim(section);
        IniLine head;
        head.kind = IniLine::Section;
        head.text = content.Append(L"[" + sectionName + L"]");
        head.name = {head.text.start + 1, static_cast<uint32_t>(sectionName.size())};
        head.bytes = content.AppendBytes(content.Encoded(L"[" + sectionName + L"]") + content.NewLineEnd());
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

bool IniFile::Save(const std::function<bool(int)>& prepare) const
{
    const std::string bytes = Compose(*content_);
    if (exists_ && bytes.size() == content_->fileSize && content_->raw.compare(0, bytes.size(), bytes) == 0)
        return true;
    int folder = folder_ ? folder_->fd : -1;
    std::string name = name_;
    int ownFolder = -1;
    if (!folder_) {
        const auto slash = path_.rfind('/');
        const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
        name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
        folder = ownFolder = open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            return false;
    }
    struct stat old {};
    const bool replaces = fstatat(folder, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    bool saved = false;
    int error = 0;
    {
        CDraftFile draft(folder);
        const int fd = draft.Descriptor();
        // the permissions first, so that the text is never readable by more than the file's
        saved = draft.IsOpen() && (!replaces || TakePermissions(fd, old)) && WriteWhole(fd, bytes) &&
                (!prepare || prepare(fd)) && fsync(fd) == 0 && draft.PutInPlace(name, true);
        error = errno;
    }
    if (ownFolder >= 0)
        close(ownFolder);
    errno = error;
    return saved;
}

} // namespace platform

#include "ShellLinkFile.h"

#include "platform/Text.h"
#include "platform/win/Environment.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Handles.h"
#include "platform/win/Volumes.h"

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kHeaderSize = 0x4C;
const unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// Header fields by offset.
constexpr size_t kFlagsAt = 20;
constexpr size_t kIconIndexAt = 56;
constexpr size_t kShowCommandAt = 60;
constexpr size_t kHotKeyAt = 64;

enum LinkFlag : DWORD {
    HAS_ID_LIST = 0x1,
    HAS_LINK_INFO = 0x2,
    HAS_NAME = 0x4,
    HAS_RELATIVE_PATH = 0x8,
    HAS_WORKING_DIR = 0x10,
    HAS_ARGUMENTS = 0x20,
    HAS_ICON_LOCATION = 0x40,
    IS_UNICODE = 0x80,
    FORCE_NO_LINK_INFO = 0x100,
    HAS_EXP_STRING = 0x200,
    HAS_EXP_ICON = 0x4000,
};

constexpr DWORD kEnvironmentBlock = 0xA0000001;
constexpr DWORD kIconEnvironmentBlock = 0xA0000007;
// Both environment blocks: size, signature, 260 ANSI bytes, 260 UTF-16 units.
constexpr size_t kEnvironmentBlockSize = 8 + 260 + 520;

constexpr DWORD kLocalPathFlag = 0x1;
constexpr DWORD kLinkInfoHeaderWithUnicode = 0x24;
// Far above any real link; a larger file is not taken for one.
constexpr LONGLONG kMaxLinkBytes = 1 << 20;
constexpr int kShowNormal = 1;

// Little-endian reading within bounds.
class CReader {
public:
    CReader(const std::string& bytes, size_t begin, size_t end) : bytes_(bytes), at_(begin), end_(end) {}

    bool Take(size_t count, std::string* out = nullptr)
    {
        if (count > end_ - at_)
            return false;
        if (out)
            out->assign(bytes_, at_, count);
        at_ += count;
        return true;
    }

    bool Number(size_t width, DWORD& value)
    {
        std::string raw;
        if (!Take(width, &raw))
            return false;
        value = 0;
        for (size_t i = width; i-- > 0;)
            value = (value << 8) | static_cast<unsigned char>(raw[i]);
        return true;
    }

    size_t At() const { return at_; }

private:
    const std::string& bytes_;
    size_t at_;
    size_t end_;
};

DWORD ReadNumber(const std::string& bytes, size_t at, size_t width)
{
    DWORD value = 0;
    CReader(bytes, at, bytes.size()).Number(width, value);
    return value;
}

void PutNumber(std::string& bytes, size_t at, size_t width, DWORD value)
{
    for (size_t i = 0; i < width; ++i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

std::string Number(size_t width, DWORD value)
{
    std::string bytes(width, '\0');
    PutNumber(bytes, 0, width, value);
    return bytes;
}

// A zero-terminated text at the offset of a structure of the given size: ANSI (UTF-8 here) or
// UTF-16; empty when it runs past the structure.
std::wstring TextAt(const std::string& block, size_t offset, bool wide)
{
    if (offset == 0 || offset >= block.size())
        return std::wstring();
    if (!wide) {
        const size_t end = block.find('\0', offset);
        return end == std::string::npos ? std::wstring() : platform::FromUtf8(block.substr(offset, end - offset));
    }
    for (size_t end = offset; end + 1 < block.size(); end += 2) {
        if (block[end] == '\0' && block[end + 1] == '\0')
            return platform::FromUtf16LEBytes(block.data() + offset, end - offset);
    }
    return std::wstring();
}

// The local path of a link information structure, empty when it names none.
std::wstring LocalPathOf(const std::string& info)
{
    const DWORD headerSize = ReadNumber(info, 4, 4);
    if (!(ReadNumber(info, 8, 4) & kLocalPathFlag))
        return std::wstring();
    const bool wide = headerSize >= kLinkInfoHeaderWithUnicode;
    std::wstring base = wide ? TextAt(info, ReadNumber(info, 28, 4), true) : std::wstring();
    if (base.empty())
        base = TextAt(info, ReadNumber(info, 16, 4), false);
    std::wstring suffix = wide ? TextAt(info, ReadNumber(info, 32, 4), true) : std::wstring();
    if (suffix.empty())
        suffix = TextAt(info, ReadNumber(info, 24, 4), false);
    return base.empty() ? std::wstring() : base + suffix;
}

// A link information structure with a local path: header, an empty volume id, the path as ANSI
// and as UTF-16 text.
std::string MakeLinkInfo(const std::wstring& path)
{
    const std::string volume = Number(4, 0x11) + Number(4, DRIVE_FIXED) + Number(4, 0) + Number(4, 0x10) + '\0';
    const std::string ansiPath = platform::ToUtf8(path) + '\0';
    const std::string ansiSuffix(1, '\0');
    const std::string widePath = platform::ToUtf16LEBytes(path) + std::string(2, '\0');
    const std::string wideSuffix(2, '\0');
    const DWORD volumeAt = kLinkInfoHeaderWithUnicode;
    const DWORD pathAt = volumeAt + static_cast<DWORD>(volume.size());
    const DWORD suffixAt = pathAt + static_cast<DWORD>(ansiPath.size());
    const DWORD widePathAt = suffixAt + static_cast<DWORD>(ansiSuffix.size());
    const DWORD wideSuffixAt = widePathAt + static_cast<DWORD>(widePath.size());
    const DWORD size = wideSuffixAt + static_cast<DWORD>(wideSuffix.size());
    return Number(4, size) + Number(4, kLinkInfoHeaderWithUnicode) + Number(4, kLocalPathFlag) + Number(4, volumeAt) +
           Number(4, pathAt) + Number(4, 0) + Number(4, suffixAt) + Number(4, widePathAt) + Number(4, wideSuffixAt) +
           volume + ansiPath + ansiSuffix + widePath + wideSuffix;
}

std::wstring Expanded(const std::wstring& text)
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return length == 0 || length > buffer.size() ? text : std::wstring(buffer.data());
}

// ERROR_SUCCESS, the error of the failed call, or ERROR_BAD_FORMAT for a size no link has.
DWORD ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    LARGE_INTEGER size {};
    DWORD read = 0;
    DWORD result = ERROR_SUCCESS;
    if (!GetFileSizeEx(file, &size)) {
        result = GetLastError();
    } else if (size.QuadPart < kHeaderSize || size.QuadPart > kMaxLinkBytes) {
        result = ERROR_BAD_FORMAT;
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            result = GetLastError();
        else if (read != bytes.size())
            result = ERROR_BAD_FORMAT;
    }
    CloseHandle(file);
    return result;
}

} // namespace

namespace platform {

CShellLinkFile::CShellLinkFile() : header_(kHeaderSize, '\0')
{
    PutNumber(header_, 0, 4, kHeaderSize);
    std::memcpy(header_.data() + 4, kLinkClsid, sizeof(kLinkClsid));
    PutNumber(header_, kShowCommandAt, 4, kShowNormal);
}

DWORD CShellLinkFile::Load(const std::wstring& path)
{
    *this = CShellLinkFile();
    std::string bytes;
    DWORD result = ReadFileBytes(path, bytes);
    if (result == ERROR_SUCCESS && !Parse(bytes))
        result = ERROR_BAD_FORMAT;
    if (result != ERROR_SUCCESS) {
        *this = CShellLinkFile();
        return result;
    }
    linkPath_ = path;
    return ERROR_SUCCESS;
}

bool CShellLinkFile::Parse(const std::string& bytes)
{
    if (ReadNumber(bytes, 0, 4) != kHeaderSize || std::memcmp(bytes.data() + 4, kLinkClsid, sizeof(kLinkClsid)) != 0)
        return false;
    header_ = bytes.substr(0, kHeaderSize);
    const DWORD flags = Flags();
    CReader reader(bytes, kHeaderSize, bytes.size());
    DWORD size = 0;
    if (flags & HAS_ID_LIST) {
        if (!reader.Number(2, size) || !reader.Take(size, &idList_))
            return false;
    }
    if ((flags & HAS_LINK_INFO) && !(flags & FORCE_NO_LINK_INFO)) {
        const size_t at = reader.At();
        if (!reader.Number(4, size) || size < 8 || !CReader(bytes, at, bytes.size()).Take(size, &linkInfo_) ||
            !reader.Take(size - 4))
            return false;
        localPath_ = LocalPathOf(linkInfo_);
    }
    const std::pair<DWORD, std::wstring*> strings[] = {
        {HAS_NAME, &description_},       {HAS_RELATIVE_PATH, &relativePath_}, {HAS_WORKING_DIR, &workingDir_},
        {HAS_ARGUMENTS, &arguments_},    {HAS_ICON_LOCATION, &iconLocation_},
    };
    const bool wide = flags & IS_UNICODE;
    for (const auto& [flag, text] : strings) {
        if (!(flags & flag))
            continue;
        std::string raw;
        if (!reader.Number(2, size) || !reader.Take(wide ? size * 2 : size, &raw))
            return false;
        *text = wide ? platform::FromUtf16LEBytes(raw.data(), raw.size()) : platform::FromUtf8(raw);
    }
    // Extra data blocks up to the terminal block (a size below 4); a file that ends early keeps the
    // blocks that are whole.
    while (true) {
        const size_t at = reader.At();
        if (!reader.Number(4, size) || size < 4 || !CReader(bytes, at, bytes.size()).Take(size) ||
            !reader.Take(size - 4))
            break;
        extra_.append(bytes, at, size);
    }
    return true;
}

bool CShellLinkFile::Save(const std::wstring& path) const
{
    DWORD flags = Flags() & ~(HAS_ID_LIST | HAS_LINK_INFO | HAS_NAME | HAS_RELATIVE_PATH | HAS_WORKING_DIR |
                              HAS_ARGUMENTS | HAS_ICON_LOCATION);
    flags |= IS_UNICODE;
    std::string bytes = header_;
    if (!idList_.empty()) {
        flags |= HAS_ID_LIST;
        bytes += Number(2, static_cast<DWORD>(idList_.size())) + idList_;
    }
    if (!linkInfo_.empty()) {
        flags |= HAS_LINK_INFO;
        bytes += linkInfo_;
    }
    const std::pair<DWORD, const std::wstring*> strings[] = {
        {HAS_NAME, &description_},    {HAS_RELATIVE_PATH, &relativePath_}, {HAS_WORKING_DIR, &workingDir_},
        {HAS_ARGUMENTS, &arguments_}, {HAS_ICON_LOCATION, &iconLocation_},
    };
    for (const auto& [flag, text] : strings) {
        if (text->empty())
            continue;
        const std::string utf16 = platform::ToUtf16LEBytes(*text);
        if (utf16.size() / 2 > 0xFFFF)
            return false;
        flags |= flag;
        bytes += Number(2, static_cast<DWORD>(utf16.size() / 2)) + utf16;
    }
    bytes += extra_ + Number(4, 0);
    PutNumber(bytes, kFlagsAt, 4, flags);

    const std::wstring partial = path + L".saving";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    if (whole && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(partial.c_str());
    return false;
}

std::wstring CShellLinkFile::GetPath() const
{
    if (!localPath_.empty())
        return localPath_;
    if (Flags() & HAS_EXP_STRING) {
        const std::string block = ExtraBlock(kEnvironmentBlock);
        if (block.size() >= kEnvironmentBlockSize) {
            std::wstring target = TextAt(block, 8 + 260, true);
            if (target.empty())
                target = TextAt(block, 8, false);
            if (!target.empty())
                return Expanded(target);
        }
    }
    if (relativePath_.empty() || linkPath_.empty())
        return std::wstring();
    const size_t slash = linkPath_.find_last_of(L"\\/");
    return slash == std::wstring::npos ? relativePath_ : linkPath_.substr(0, slash + 1) + relativePath_;
}

const std::wstring& CShellLinkFile::GetIconLocation(int* index) const
{
    if (index)
        *index = static_cast<int>(ReadNumber(header_, kIconIndexAt, 4));
    return iconLocation_;
}

WORD CShellLinkFile::GetHotkey() const
{
    return static_cast<WORD>(ReadNumber(header_, kHotKeyAt, 2));
}

int CShellLinkFile::GetShowCmd() const
{
    return static_cast<int>(ReadNumber(header_, kShowCommandAt, 4));
}

void CShellLinkFile::SetPath(const std::wstring& target)
{
    idList_.clear();
    linkInfo_ = MakeLinkInfo(target);
    localPath_ = target;
    SetFlags(Flags() & ~(HAS_EXP_STRING | FORCE_NO_LINK_INFO));
    DropExtraBlock(kEnvironmentBlock);
}

void CShellLinkFile::SetIconLocation(const std::wstring& path, int index)
{
    iconLocation_ = path;
    PutNumber(header_, kIconIndexAt, 4, static_cast<DWORD>(index));
    SetFlags(Flags() & ~HAS_EXP_ICON);
    DropExtraBlock(kIconEnvironmentBlock);
}

void CShellLinkFile::SetHotkey(WORD hotKey)
{
    PutNumber(header_, kHotKeyAt, 2, hotKey);
}

void CShellLinkFile::SetShowCmd(int showCommand)
{
    PutNumber(header_, kShowCommandAt, 4, static_cast<DWORD>(showCommand));
}

std::string CShellLinkFile::ExtraBlock(DWORD signature) const
{
    for (size_t at = 0; at + 8 <= extra_.size(); at += ReadNumber(extra_, at, 4)) {
        if (ReadNumber(extra_, at + 4, 4) == signature)
            return extra_.substr(at, ReadNumber(extra_, at, 4));
    }
    return std::string();
}

DWORD CShellLinkFile::Flags() const
{
    return ReadNumber(header_, kFlagsAt, 4);
}

void CShellLinkFile::SetFlags(DWORD flags)
{
    PutNumber(header_, kFlagsAt, 4, flags);
}

void CShellLinkFile::DropExtraBlock(DWORD signature)
{
    for (size_t at = 0; at + 8 <= extra_.size();) {
        const DWORD size = ReadNumber(extra_, at, 4);
        if (ReadNumber(extra_, at + 4, 4) == signature)
            extra_.erase(at, size);
        else
            at += size;
    }
}

} // namespace platform

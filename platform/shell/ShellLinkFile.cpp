#include "ShellLinkFile.h"

#include "AnsiText.h"
#include "ItemListPath.h"
#include "LinkBytes.h"
#include "LinkInfoPath.h"

#include "platform/Text.h"
#include "platform/win/Environment.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Handles.h"
#include "platform/win/Volumes.h"

#include <cstring>
#include <vector>

namespace {

using platform::shell::Little;
using platform::shell::LittleAt;
using platform::shell::PutLittle;
using platform::shell::ReadLittle;

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
// The flag of each string, in the order the format stores them.
constexpr DWORD kStringFlags[] = {HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION};
constexpr DWORD kAllStringFlags = HAS_NAME | HAS_RELATIVE_PATH | HAS_WORKING_DIR | HAS_ARGUMENTS | HAS_ICON_LOCATION;
constexpr DWORD kMostChars = 0xFFFF;

constexpr DWORD kEnvironmentBlock = 0xA0000001;
constexpr DWORD kIconEnvironmentBlock = 0xA0000007;
// Both environment blocks: size, signature, 260 ANSI bytes, 260 UTF-16 units.
constexpr size_t kEnvironmentBlockSize = 8 + 260 + 520;
// An extra data block: size and signature at least. A size below 4 ends them.
constexpr DWORD kSmallestBlock = 8;
constexpr DWORD kTerminalBelow = 4;

constexpr DWORD kLocalPathFlag = 0x1;
constexpr DWORD kLinkInfoHeaderWithUnicode = 0x24;
// Far above any real link; a larger file is not taken for one.
constexpr LONGLONG kMaxLinkBytes = 1 << 20;
constexpr int kShowNormal = 1;

// A link information structure with a local path: header, an empty volume id, the path as ANSI
// and as UTF-16 text.
std::string MakeLinkInfo(const std::wstring& path)
{
    const std::string volume = Little(4, 0x11) + Little(4, DRIVE_FIXED) + Little(4, 0) + Little(4, 0x10) + '\0';
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
    return Little(4, size) + Little(4, kLinkInfoHeaderWithUnicode) + Little(4, kLocalPathFlag) + Little(4, volumeAt) +
           Little(4, pathAt) + Little(4, 0) + Little(4, suffixAt) + Little(4, widePathAt) + Little(4, wideSuffixAt) +
           volume + ansiPath + ansiSuffix + widePath + wideSuffix;
}

std::wstring Expanded(const std::wstring& text)
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return length == 0 || length > buffer.size() ? text : std::wstring(buffer.data());
}

// ERROR_SUCCESS, the error of the failed call, or ERROR_BAD_FORMAT for a size no link has.
DWORD ReadFileBytes(const std::wstring& path, std::string& bytes, platform::shell::LoadedFile_& identity)
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
    identity = platform::shell::IdentityOf(file);
    CloseHandle(file);
    return result;
}

// Takes count bytes at the offset and moves past them; false when they run past the end.
bool Take(const std::string& bytes, size_t& at, size_t count, std::string& out)
{
    if (at > bytes.size() || count > bytes.size() - at)
        return false;
    out.assign(bytes, at, count);
    at += count;
    return true;
}

// Takes a structure that begins with its own 4-byte size.
bool TakeSized(const std::string& bytes, size_t& at, std::string& out)
{
    DWORD size = 0;
    return ReadLittle(bytes, at, 4, size) && size >= 4 && Take(bytes, at, size, out);
}

// Takes what follows a 2-byte count of units of the given width, without the count.
bool TakeCounted(const std::string& bytes, size_t& at, size_t unitWidth, std::string& out)
{
    DWORD count = 0;
    if (!ReadLittle(bytes, at, 2, count))
        return false;
    at += 2;
    return Take(bytes, at, count * unitWidth, out);
}

} // namespace

namespace platform {

CShellLinkFile::CShellLinkFile() : header_(kHeaderSize, '\0'), tail_(Little(4, 0))
{
    PutLittle(header_, 0, 4, kHeaderSize);
    std::memcpy(header_.data() + 4, kLinkClsid, sizeof(kLinkClsid));
    PutLittle(header_, kFlagsAt, 4, IS_UNICODE);
    PutLittle(header_, kShowCommandAt, 4, kShowNormal);
}

DWORD CShellLinkFile::Load(const std::wstring& path)
{
    *this = CShellLinkFile();
    std::string bytes;
    shell::LoadedFile_ identity;
    DWORD result = ReadFileBytes(path, bytes, identity);
    if (result == ERROR_SUCCESS && !Parse(bytes))
        result = ERROR_BAD_FORMAT;
    if (result != ERROR_SUCCESS) {
        *this = CShellLinkFile();
        return result;
    }
    linkPath_ = path;
    loaded_ = identity;
    return ERROR_SUCCESS;
}

bool CShellLinkFile::Parse(const std::string& bytes)
{
    if (bytes.size() < kHeaderSize || LittleAt(bytes, 0, 4) != kHeaderSize ||
        std::memcmp(bytes.data() + 4, kLinkClsid, sizeof(kLinkClsid)) != 0)
        return false;
    header_ = bytes.substr(0, kHeaderSize);
    const DWORD flags = Flags();
    size_t at = kHeaderSize;
    if ((flags & HAS_ID_LIST) && !TakeCounted(bytes, at, 1, idList_))
        return false;
    const std::wstring itemListPath = shell::ItemListPath(idList_);
    // With ForceNoLinkInfo the structure is there but not to be read: it is kept as it is.
    if (flags & HAS_LINK_INFO) {
        if (!TakeSized(bytes, at, linkInfo_))
            return false;
        if (!(flags & FORCE_NO_LINK_INFO)) {
            if (!shell::IsWholeLinkInfo(linkInfo_))
                return false;
            target_ = shell::LinkInfoPath(linkInfo_, itemListPath);
        }
    }
    if (target_.empty())
        target_ = itemListPath;
    if (!ParseStrings(bytes, at))
        return false;
    ParseExtraData(bytes, at);
    return true;
}

bool CShellLinkFile::ParseStrings(const std::string& bytes, size_t& at)
{
    const bool unicode = Flags() & IS_UNICODE;
    for (int i = 0; i < kStringCount; ++i) {
        LinkString_& string = strings_[i];
        if (!(Flags() & kStringFlags[i]))
            continue;
        if (!TakeCounted(bytes, at, unicode ? 2 : 1, string.raw_))
            return false;
        string.present_ = true;
        string.text_ = unicode ? FromUtf16LEBytes(string.raw_.data(), string.raw_.size()) : shell::DecodeAnsi(string.raw_);
    }
    return true;
}

void CShellLinkFile::ParseExtraData(const std::string& bytes, size_t at)
{
    // The blocks up to the terminal block. A file that ends early, or in a block that is not whole,
    // keeps the blocks that are; what follows them is kept behind a terminal block.
    DWORD size = 0;
    while (ReadLittle(bytes, at, 4, size) && size >= kSmallestBlock && size <= bytes.size() - at) {
        extra_.append(bytes, at, size);
        at += size;
    }
    const bool terminated = ReadLittle(bytes, at, 4, size) && size < kTerminalBelow;
    tail_ = (terminated ? std::string() : Little(4, 0)) + bytes.substr(at);
}

bool CShellLinkFile::WritesUnicode() const
{
    if (Flags() & IS_UNICODE)
        return true;
    // ASCII is the same in every code page. Another text turns the strings to Unicode, where the
    // strings not set convert exactly: those in the layer's own ANSI. Strings in another PC's code
    // page keep their bytes, and the new text goes in the layer's ANSI.
    bool wider = false;
    for (const LinkString_& string : strings_) {
        if (string.set_ && !shell::IsAscii(string.text_))
            wider = true;
        else if (string.present_ && !string.set_ && !shell::IsUtf8(string.raw_))
            return false;
    }
    return wider;
}

bool CShellLinkFile::StringData(bool unicode, std::string& out) const
{
    const bool readUnicode = Flags() & IS_UNICODE;
    for (const LinkString_& string : strings_) {
        if (!string.present_)
            continue;
        std::string encoded;
        if (!string.set_ && unicode == readUnicode)
            encoded = string.raw_;
        else
            encoded = unicode ? ToUtf16LEBytes(string.text_) : ToUtf8(string.text_);
        const size_t count = unicode ? encoded.size() / 2 : encoded.size();
        if (count > kMostChars)
            return false;
        out += Little(2, static_cast<DWORD>(count)) + encoded;
    }
    return true;
}

bool CShellLinkFile::Save(const std::wstring& path) const
{
    const bool unicode = WritesUnicode();
    DWORD flags = (Flags() & ~(kAllStringFlags | IS_UNICODE)) | (unicode ? DWORD {IS_UNICODE} : 0);
    for (int i = 0; i < kStringCount; ++i)
        flags |= strings_[i].present_ ? kStringFlags[i] : 0;
    std::string bytes = header_;
    PutLittle(bytes, kFlagsAt, 4, flags);
    if (flags & HAS_ID_LIST) {
        if (idList_.size() > kMostChars)
            return false;
        bytes += Little(2, static_cast<DWORD>(idList_.size())) + idList_;
    }
    if (flags & HAS_LINK_INFO)
        bytes += linkInfo_;
    if (!StringData(unicode, bytes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    bytes += extra_ + tail_;
    return shell::ReplaceLinkFile(path, bytes, path == linkPath_ ? loaded_ : shell::LoadedFile_());
}

std::wstring CShellLinkFile::GetPath() const
{
    if (!target_.empty())
        return target_;
    if (Flags() & HAS_EXP_STRING) {
        const std::string block = ExtraBlock(kEnvironmentBlock);
        if (block.size() >= kEnvironmentBlockSize) {
            std::wstring target;
            std::string ansi;
            if ((!shell::WideAt(block, 8 + 260, target) || target.empty()) && shell::AnsiAt(block, 8, ansi))
                target = shell::DecodeAnsi(ansi);
            if (!target.empty())
                return Expanded(target);
        }
    }
    const std::wstring& relative = strings_[kRelativePath].text_;
    if (relative.empty() || linkPath_.empty())
        return std::wstring();
    const size_t slash = linkPath_.find_last_of(L"\\/");
    return slash == std::wstring::npos ? relative : linkPath_.substr(0, slash + 1) + relative;
}

const std::wstring& CShellLinkFile::GetIconLocation(int* index) const
{
    if (index)
        *index = static_cast<int>(LittleAt(header_, kIconIndexAt, 4));
    return strings_[kIconLocation].text_;
}

WORD CShellLinkFile::GetHotkey() const
{
    return static_cast<WORD>(LittleAt(header_, kHotKeyAt, 2));
}

int CShellLinkFile::GetShowCmd() const
{
    return static_cast<int>(LittleAt(header_, kShowCommandAt, 4));
}

void CShellLinkFile::SetPath(const std::wstring& target)
{
    idList_.clear();
    linkInfo_ = MakeLinkInfo(target);
    target_ = target;
    SetFlags((Flags() & ~(HAS_ID_LIST | HAS_EXP_STRING | FORCE_NO_LINK_INFO)) | HAS_LINK_INFO);
    DropExtraBlock(kEnvironmentBlock);
}

void CShellLinkFile::SetString(StringIndex index, const std::wstring& text)
{
    LinkString_& string = strings_[index];
    string.text_ = text;
    string.present_ = !text.empty();
    string.set_ = true;
}

void CShellLinkFile::SetIconLocation(const std::wstring& path, int index)
{
    SetString(kIconLocation, path);
    PutLittle(header_, kIconIndexAt, 4, static_cast<DWORD>(index));
    SetFlags(Flags() & ~HAS_EXP_ICON);
    DropExtraBlock(kIconEnvironmentBlock);
}

void CShellLinkFile::SetHotkey(WORD hotKey)
{
    PutLittle(header_, kHotKeyAt, 2, hotKey);
}

void CShellLinkFile::SetShowCmd(int showCommand)
{
    PutLittle(header_, kShowCommandAt, 4, static_cast<DWORD>(showCommand));
}

std::string CShellLinkFile::ExtraBlock(DWORD signature) const
{
    for (size_t at = 0; at + kSmallestBlock <= extra_.size(); at += LittleAt(extra_, at, 4)) {
        if (LittleAt(extra_, at + 4, 4) == signature)
            return extra_.substr(at, LittleAt(extra_, at, 4));
    }
    return std::string();
}

DWORD CShellLinkFile::Flags() const
{
    return LittleAt(header_, kFlagsAt, 4);
}

void CShellLinkFile::SetFlags(DWORD flags)
{
    PutLittle(header_, kFlagsAt, 4, flags);
}

void CShellLinkFile::DropExtraBlock(DWORD signature)
{
    // One pass that keeps the other blocks: erasing each block in place would move the rest of
    // the data once per block.
    std::string kept;
    kept.reserve(extra_.size());
    for (size_t at = 0; at + kSmallestBlock <= extra_.size();) {
        const DWORD size = LittleAt(extra_, at, 4);
        if (LittleAt(extra_, at + 4, 4) != signature)
            kept.append(extra_, at, size);
        at += size;
    }
    extra_.swap(kept);
}

} // namespace platform

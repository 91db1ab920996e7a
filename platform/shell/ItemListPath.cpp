#include "ItemListPath.h"

#include "AnsiText.h"
#include "LinkBytes.h"

#include <cctype>
#include <cstring>

namespace platform::shell {

namespace {

constexpr unsigned char kRootItem = 0x1F;
constexpr unsigned char kClassMask = 0x70;
constexpr unsigned char kDriveClass = 0x20;
constexpr unsigned char kFileClass = 0x30;
// A file entry whose short name is held in UTF-16.
constexpr unsigned char kUnicodeName = 0x04;
// The computer's folder 20D04FE0-3AEA-1069-A2D8-08002B30309D as its 16 bytes are stored.
const char kComputerClsid[16] = {'\xE0', '\x4F', '\xD0', '\x20', '\xEA', '\x3A', '\x69', '\x10',
                                 '\xA2', '\xD8', '\x08', '\x00', '\x2B', '\x30', '\x30', '\x9D'};
// A file entry: size (2), class (1), unknown (1), file size (4), modification time (4),
// attributes (2), then its short name.
constexpr size_t kShortNameAt = 14;
// An extension block: size (2), version (2), signature (4), its fields; every signature is
// 0xBEEFxxxx, and the file entry's own block, with the long name, is 0xBEEF0004.
constexpr size_t kBlockHeader = 8;
constexpr DWORD kBlockSignatureMask = 0xFFFF0000;
constexpr DWORD kBlockSignature = 0xBEEF0000;
constexpr DWORD kLongNameBlock = 0xBEEF0004;

// Where the long name begins in the extension block, by the block's version (its fields grew
// with each version); 0 for a version that holds none.
size_t LongNameOffset(DWORD version)
{
    if (version >= 9)
        return 46;
    if (version == 8)
        return 42;
    if (version == 7)
        return 38;
    return version >= 3 ? 20 : 0;
}

// Where the entry's extension blocks begin, as the offset in its last two bytes gives it; 0 when
// that offset leads to no block inside the entry (an entry of a Windows before them, or damaged).
size_t FirstBlockAt(std::string_view item)
{
    if (item.size() < kShortNameAt + kBlockHeader + 2)
        return 0;
    const size_t at = LittleAt(item, item.size() - 2, 2);
    if (at < kShortNameAt || at > item.size() - 2 - kBlockHeader || LittleAt(item, at, 2) < kBlockHeader ||
        (LittleAt(item, at + 4, 4) & kBlockSignatureMask) != kBlockSignature)
        return 0;
    return at;
}

// The long name of the entry's file extension block, found among the chain of blocks that begins
// at the offset; empty when there is none.
std::wstring LongName(std::string_view item, size_t at)
{
    for (DWORD size = 0; at && ReadLittle(item, at, 2, size) && size >= kBlockHeader && size <= item.size() - at;
         at += size) {
        if (LittleAt(item, at + 4, 4) != kLongNameBlock)
            continue;
        const std::string_view block = item.substr(at, size);
        const size_t nameAt = LongNameOffset(LittleAt(block, 2, 2));
        std::wstring name;
        return nameAt && WideAt(block, nameAt, name) ? name : std::wstring();
    }
    return std::wstring();
}

// The short name, which ends at its terminator or, where the shell left none, where the extension
// blocks begin; without blocks it needs its terminator inside the entry.
bool ShortName(std::string_view item, size_t blocksAt, std::wstring& name)
{
    const bool wide = static_cast<unsigned char>(item[2]) & kUnicodeName;
    std::string room(item.substr(0, blocksAt ? blocksAt : item.size()));
    if (blocksAt) {
        if (wide && (room.size() - kShortNameAt) % 2)
            room.pop_back();
        room.append(2, '\0');
    }
    if (room.size() <= kShortNameAt)
        return false;
    if (wide)
        return WideAt(room, kShortNameAt, name);
    std::string ansi;
    if (!AnsiAt(room, kShortNameAt, ansi))
        return false;
    name = DecodeAnsi(ansi);
    return true;
}

// A file entry's name: the long one where its extension block has it, else the short one.
std::wstring FileName(std::string_view item)
{
    const size_t blocksAt = FirstBlockAt(item);
    std::wstring name;
    if (!ShortName(item, blocksAt, name))
        return std::wstring();
    const std::wstring longName = LongName(item, blocksAt);
    return longName.empty() ? name : longName;
}

// A drive entry's "X:\"; empty when the entry holds no drive.
std::wstring DriveName(std::string_view item)
{
    std::string drive;
    if (!AnsiAt(item, 3, drive) || drive.size() < 2 || drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(drive[0])))
        return std::wstring();
    return std::wstring {static_cast<wchar_t>(drive[0]), L':', L'\\'};
}

} // namespace

std::wstring ItemListPath(std::string_view items)
{
    std::wstring path;
    size_t at = 0;
    for (bool first = true;; first = false) {
        DWORD size = 0;
        if (!ReadLittle(items, at, 2, size))
            return std::wstring();
        if (size == 0)
            return path;
        if (size < 3 || size > items.size() - at)
            return std::wstring();
        const std::string_view item = items.substr(at, size);
        at += size;
        const unsigned char type = static_cast<unsigned char>(item[2]);
        if (type == kRootItem && first) {
            if (item.size() < 20 || std::memcmp(item.data() + 4, kComputerClsid, sizeof(kComputerClsid)) != 0)
                return std::wstring();
        } else if ((type & kClassMask) == kDriveClass && path.empty()) {
            path = DriveName(item);
            if (path.empty())
                return path;
        } else if ((type & kClassMask) == kFileClass && !path.empty()) {
            const std::wstring name = FileName(item);
            if (name.empty())
                return name;
            path += (path.back() == L'\\' ? L"" : L"\\") + name;
        } else {
            return std::wstring();
        }
    }
}

} // namespace platform::shell

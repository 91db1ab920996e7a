#include "LinkInfoPath.h"

#include "AnsiText.h"
#include "LinkBytes.h"

#include "platform/Text.h"

namespace platform::shell {

namespace {

// The link information's header fields by offset; the last two are there only in a header of
// kHeaderWithUnicode bytes or more.
constexpr size_t kHeaderSizeAt = 4;
constexpr size_t kFlagsAt = 8;
constexpr size_t kNetworkLinkAt = 20;
constexpr size_t kBasePathAt = 16;
constexpr size_t kSuffixAt = 24;
constexpr size_t kWideBasePathAt = 28;
constexpr size_t kWideSuffixAt = 32;
constexpr size_t kHeaderWithoutUnicode = 0x1C;
constexpr size_t kHeaderWithUnicode = 0x24;
constexpr unsigned kLocalPath = 0x1;
constexpr unsigned kNetworkPath = 0x2;

// The common network relative link: size, flags, net name, device name, provider type, then, where
// the net name lies beyond the fields so far, the Unicode offsets of both names.
constexpr size_t kNetworkLinkMinimum = 0x14;
constexpr size_t kNetNameAt = 8;
constexpr size_t kDeviceNameAt = 12;
constexpr size_t kWideNetNameAt = 20;
constexpr size_t kWideDeviceNameAt = 24;
constexpr unsigned kValidDevice = 0x1;

// The text of a structure given by an offset field: Unicode where wide says the field is there
// and it names a text that is not empty, else ANSI; false when neither names one.
bool TextOf(std::string_view block, bool wide, size_t wideAt, size_t ansiAt, std::wstring& text, std::string* ansi = nullptr)
{
    if (wide && WideAt(block, LittleAt(block, wideAt, 4), text) && !text.empty())
        return true;
    std::string bytes;
    if (!AnsiAt(block, LittleAt(block, ansiAt, 4), bytes))
        return false;
    text = DecodeAnsi(bytes);
    if (ansi)
        *ansi = bytes;
    return true;
}

bool SameDrive(const std::wstring& a, const std::wstring& b)
{
    return a.size() >= 3 && b.size() >= 3 && a[1] == L':' && a[2] == L'\\' &&
           platform::EqualsIgnoringCase(a.substr(0, 3), b.substr(0, 3));
}

std::wstring LocalPath(std::string_view info, bool wide, const std::wstring& itemListPath)
{
    std::wstring base;
    std::string ansiBase;
    if (!TextOf(info, wide, kWideBasePathAt, kBasePathAt, base, &ansiBase) || base.empty())
        return std::wstring();
    std::wstring suffix;
    std::string ansiSuffix;
    TextOf(info, wide, kWideSuffixAt, kSuffixAt, suffix, &ansiSuffix);
    const std::wstring path = base + suffix;
    // Bytes in another PC's code page: the item list names the same target in Unicode.
    const bool foreign = !IsUtf8(ansiBase) || !IsUtf8(ansiSuffix);
    return foreign && SameDrive(path, itemListPath) ? itemListPath : path;
}

std::wstring NetworkPath(std::string_view info, bool wide)
{
    const size_t at = LittleAt(info, kNetworkLinkAt, 4);
    DWORD size = 0;
    if (at == 0 || !ReadLittle(info, at, 4, size) || size < kNetworkLinkMinimum || size > info.size() - at)
        return std::wstring();
    const std::string_view link = info.substr(at, size);
    const bool wideNames = LittleAt(link, kNetNameAt, 4) > kNetworkLinkMinimum;
    // A mapped drive is named by its letter, a share by its own name.
    std::wstring name;
    const bool device = (LittleAt(link, 4, 4) & kValidDevice) &&
                        TextOf(link, wideNames, kWideDeviceNameAt, kDeviceNameAt, name) && !name.empty();
    if ((!device && !TextOf(link, wideNames, kWideNetNameAt, kNetNameAt, name)) || name.empty())
        return std::wstring();
    std::wstring suffix;
    TextOf(info, wide, kWideSuffixAt, kSuffixAt, suffix);
    if (suffix.empty())
        return name;
    return name + (name.back() == L'\\' ? L"" : L"\\") + suffix;
}

} // namespace

bool IsWholeLinkInfo(std::string_view info)
{
    const DWORD headerSize = LittleAt(info, kHeaderSizeAt, 4);
    return LittleAt(info, 0, 4) == info.size() && headerSize >= kHeaderWithoutUnicode && headerSize <= info.size();
}

std::wstring LinkInfoPath(std::string_view info, const std::wstring& itemListPath)
{
    if (!IsWholeLinkInfo(info))
        return std::wstring();
    const bool wide = LittleAt(info, kHeaderSizeAt, 4) >= kHeaderWithUnicode;
    const DWORD flags = LittleAt(info, kFlagsAt, 4);
    if (flags & kLocalPath) {
        const std::wstring local = LocalPath(info, wide, itemListPath);
        if (!local.empty())
            return local;
    }
    return flags & kNetworkPath ? NetworkPath(info, wide) : std::wstring();
}

} // namespace platform::shell

#include "common/ProfileText.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kFirstBuffer = 256;
// Past the longest text a file the reader takes can hold.
constexpr DWORD kLargestBuffer = (1u << 20) + 2;

// What the reader answers for the key, or with a null key the section's key names, each ended by
// a null. A value cut to fit ends size - 1 characters in, a list of names size - 2.
std::wstring ProfileAnswer(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    const DWORD cut = key ? 1 : 2;
    std::vector<wchar_t> buffer(kFirstBuffer);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD copied = GetPrivateProfileStringW(section, key, L"", buffer.data(), size, file.c_str());
        if (copied + cut < size || size >= kLargestBuffer)
            return std::wstring(buffer.data(), copied < size ? copied : size - cut);
        buffer.resize(std::min<size_t>(buffer.size() * 4, kLargestBuffer));
    }
}

} // namespace

std::wstring ReadProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    return ProfileAnswer(file, section, key);
}

std::optional<std::wstring> FindProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    const std::wstring names = ProfileAnswer(file, section, nullptr);
    for (size_t start = 0; start < names.size();) {
        const size_t end = names.find(L'\0', start);
        const size_t length = (end == std::wstring::npos ? names.size() : end) - start;
        if (platform::EqualsIgnoringCase(std::wstring_view(names).substr(start, length), key))
            return ProfileAnswer(file, section, key);
        start += length + 1;
    }
    return std::nullopt;
}

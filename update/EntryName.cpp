#include "update/EntryName.h"

#include "update/Cp437.h"

#include "platform/Windows.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Windows ignores trailing dots and blanks of a path part, so "...", ". ." and ".. " all name a
// folder above when they reduce to nothing after two or more dots.
bool IsParentLike(const std::wstring& part)
{
    size_t dots = 0;
    for (wchar_t c : part) {
        if (c == L'.')
            ++dots;
        else if (c != L' ')
            return false;
    }
    return dots >= 2;
}

// The text of UTF-8 bytes; empty when they are not UTF-8 and strict is set.
std::wstring FromUtf8(const std::string& bytes, bool strict)
{
    const int length = static_cast<int>(bytes.size());
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int needed = MultiByteToWideChar(CP_UTF8, flags, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    return MultiByteToWideChar(CP_UTF8, flags, bytes.data(), length, wide.data(), needed) == needed ? wide
                                                                                                   : std::wstring();
}

} // namespace

std::wstring DecodeEntryName(const std::string& bytes, bool utf8Flag)
{
    if (bytes.empty())
        return std::wstring();
    if (utf8Flag)
        return FromUtf8(bytes, false);
    std::wstring wide = FromUtf8(bytes, true);
    return wide.empty() ? Cp437ToWide(bytes) : wide;
}

std::wstring SanitiseEntryName(const std::wstring& name)
{
    static const wchar_t* const kClimbs[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
    std::wstring rest = name;
    for (;;) {
        if (rest.size() >= 2 && rest[1] == L':') {
            rest.erase(0, 2);
            continue;
        }
        if (!rest.empty() && IsSeparator(rest[0])) {
            rest.erase(0, 1);
            continue;
        }
        bool cut = false;
        for (const wchar_t* climb : kClimbs) {
            const size_t at = rest.find(climb);
            if (at != std::wstring::npos) {
                rest.erase(0, at + 4);
                cut = true;
                break;
            }
        }
        if (!cut)
            return rest;
    }
}

bool IsContainedEntryName(const std::wstring& name)
{
    if (name.empty() || name.find(L':') != std::wstring::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (IsParentLike(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

#include "platform/win/Profile.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"

#include "ProfileLock.h"

#include "files/FilePaths.h"
#include "files/FileStatus.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::files::Place;

// A link at a profile's name is followed this many times at most.
constexpr int kMostLinks = 40;

// A file name without a folder is one of the Windows folder's, as Windows takes it; a null name
// is win.ini.
std::wstring ProfileWindowsPath(LPCWSTR fileName)
{
    std::wstring name = fileName ? fileName : L"win.ini";
    if (name.find_first_of(L"\\/") == std::wstring::npos)
        name = L"C:\\Windows\\" + name;
    return name;
}

// The host path of the folder held open, as the kernel reached it.
std::string RealFolder(int folderFd)
{
    char text[PATH_MAX];
    const ssize_t length = readlink(platform::files::PathOf(folderFd).c_str(), text, sizeof(text) - 1);
    return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

// The Windows path a link at the place leads to; "" when it leads out of the machine.
std::wstring LinkTarget(const Place& place)
{
    char text[PATH_MAX];
    const ssize_t length = readlinkat(place.parent->Fd(), place.name.c_str(), text, sizeof(text) - 1);
    if (length <= 0)
        return {};
    const std::string target(text, static_cast<size_t>(length));
    if (target.front() == '/')
        return platform::WindowsPath(target);
    // relative to the folder as the kernel reached it; as the machine names it where the kernel's
    // path is none of the machine's (a machine root reached through a link)
    const std::wstring fromReal = platform::WindowsPath(RealFolder(place.parent->Fd()) + "/" + target);
    return fromReal.empty() ? platform::WindowsPath(platform::files::ParentFolder(place.host) + "/" + target) : fromReal;
}

// Where the profile file lies: its folder held open, walked inside the machine, and its name
// there. A link at the name is followed while it leads to a place of the machine, so that the
// file it leads to is read and written, and the link stays; the place is the process's own only
// where every link on the way lay in its own places too. False with the last error set.
bool FindProfile(LPCWSTR fileName, Place& place)
{
    std::wstring path = ProfileWindowsPath(fileName);
    bool own = true;
    for (int links = 0;; ++links) {
        if (!platform::files::ResolvePath(path.c_str(), place))
            return false;
        own = own && place.own;
        place.own = own;
        if (!place.parent || place.name == ".") {
            SetLastError(place.parent ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
            return false;
        }
        if (!place.exists || !S_ISLNK(place.mode))
            return true;
        if (links == kMostLinks || (path = LinkTarget(place)).empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
    }
}

platform::IniFile ReadProfileFile(LPCWSTR fileName)
{
    const DWORD lastError = GetLastError();
    Place place;
    const bool found = FindProfile(fileName, place);
    SetLastError(lastError);
    // A file the folder does not hold is not asked for: the resolution has just looked.
    return found && place.exists ? platform::IniFile(place.parent->Fd(), place.name) : platform::IniFile(std::string());
}

std::wstring Unquoted(const std::wstring& value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// What a reader answers before it is fitted into the caller's buffer: one text, or a list of
// texts each ended by a null.
struct ProfileReply {
    bool isList = false;
    std::vector<std::wstring> texts;
};

ProfileReply ReadProfile(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPCWSTR fileName)
{
    const platform::IniFile ini = ReadProfileFile(fileName);
    SetLastError(ini.Exists() ? ERROR_SUCCESS : platform::ErrorFromErrno(ini.Error()));
    if (!section)
        return {true, ini.Sections()};
    if (!key)
        return {true, ini.Keys(section)};
    if (auto value = ini.Get(section, key))
        return {false, {Unquoted(*value)}};
    std::wstring fallback = defaultValue ? defaultValue : L"";
    fallback.erase(fallback.find_last_not_of(L" \t") + 1);
    return {false, {fallback}};
}

std::wstring Encode(const std::wstring& text, wchar_t) { return text; }
std::string Encode(const std::wstring& text, char) { return platform::ToUtf8(text); }

// Windows' buffer rules of the profile readers: a text that does not fit is cut and size - 1
// returned; a list that does not fit is cut, ends in two nulls and size - 2 is returned.
template <typename Char>
DWORD FitReply(const ProfileReply& reply, Char* out, DWORD size)
{
    if (!out || size == 0)
        return 0;
    std::basic_string<Char> joined;
    for (const auto& text : reply.texts) {
        joined += Encode(text, Char{});
        if (reply.isList)
            joined += Char{};
    }
    if (joined.size() < size) {
        std::copy(joined.begin(), joined.end(), out);
        out[joined.size()] = Char{};
        if (reply.isList && joined.empty() && size > 1)
            out[1] = Char{};
        return static_cast<DWORD>(joined.size());
    }
    const DWORD kept = reply.isList ? (size >= 2 ? size - 2 : 0) : size - 1;
    std::copy_n(joined.begin(), kept, out);
    std::fill(out + kept, out + size, Char{});
    return kept;
}

// The attributes of Windows' own that a rewritten INI keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// One locked read-modify-write of the file. Deleting from a missing file leaves it missing; a
// read-only file, or one that is there but cannot be read, is refused and left as it was.
BOOL ChangeProfile(LPCWSTR fileName, bool deletes, const std::function<void(platform::IniFile&)>& change)
{
    Place place;
    if (!FindProfile(fileName, place))
        return FALSE;
    const platform::OwnRights rights(place.own);
    const int folder = place.parent->Fd();
    const platform::CProfileLock lock(RealFolder(folder) + "/" + place.name);
    if (!lock.Held()) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    platform::IniFile ini(folder, place.name);
    platform::files::FileStatus status;
    const bool present = platform::files::StatusOfEntry(folder, 0, platform::files::ParentFolder(place.host),
                                                        place.name.c_str(), -1, status);
    if (deletes && !present)
        return TRUE;
    if (present && !ini.Exists()) {
        SetLastError(platform::ErrorFromErrno(ini.Error()));
        return FALSE;
    }
    if (present && (status.attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    change(ini);
    const auto keepAttributes = [&](int draft) {
        const DWORD kept = status.attributes & kKeptAttributes;
        if (!present || kept == FILE_ATTRIBUTE_ARCHIVE) // what a new file has
            return true;
        return platform::files::ApplyAttributes(draft, kept ? kept : FILE_ATTRIBUTE_NORMAL);
    };
    if (!ini.Save(keepAttributes)) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : platform::ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

std::optional<std::wstring> Wide(LPCSTR text)
{
    if (!text)
        return std::nullopt;
    return platform::FromUtf8(text);
}

const wchar_t* Pointer(const std::optional<std::wstring>& text) { return text ? text->c_str() : nullptr; }

} // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR returned, DWORD size,
                               LPCWSTR fileName)
{
    return FitReply(ReadProfile(section, key, defaultValue, fileName), returned, size);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned, DWORD size,
                               LPCSTR fileName)
{
    const auto wideSection = Wide(section), wideKey = Wide(key), wideDefault = Wide(defaultValue),
               wideFile = Wide(fileName);
    return FitReply(ReadProfile(Pointer(wideSection), Pointer(wideKey), Pointer(wideDefault), Pointer(wideFile)),
                    returned, size);
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName)
{
    if (!section || !key)
        return static_cast<UINT>(defaultValue);
    const ProfileReply reply = ReadProfile(section, key, L"", fileName);
    const std::wstring& text = reply.texts.front();
    if (text.empty())
        return static_cast<UINT>(defaultValue);
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    return static_cast<UINT>(std::clamp<long long>(value, INT_MIN, UINT_MAX));
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR returned, DWORD size, LPCWSTR fileName)
{
    return GetPrivateProfileStringW(nullptr, nullptr, nullptr, returned, size, fileName);
}

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size, LPCWSTR fileName)
{
    ProfileReply reply{true, {}};
    if (section) {
        const platform::IniFile ini = ReadProfileFile(fileName);
        for (const auto& key : ini.Keys(section))
            reply.texts.push_back(key + L"=" + ini.Get(section, key, L""));
    }
    return FitReply(reply, returned, size);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName)
{
    if (!section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ChangeProfile(fileName, !key || !value, [&](platform::IniFile& ini) {
        if (!key)
            ini.RemoveSection(section);
        else if (!value)
            ini.RemoveKey(section, key);
        else
            ini.Set(section, key, value);
    });
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    const auto wideSection = Wide(section), wideKey = Wide(key), wideValue = Wide(value), wideFile = Wide(fileName);
    return WritePrivateProfileStringW(Pointer(wideSection), Pointer(wideKey), Pointer(wideValue), Pointer(wideFile));
}

BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR entries, LPCWSTR fileName)
{
    if (!section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ChangeProfile(fileName, !entries, [&](platform::IniFile& ini) {
        if (!entries) {
            ini.RemoveSection(section);
            return;
        }
        for (const auto& key : ini.Keys(section))
            ini.RemoveKey(section, key);
        for (const wchar_t* entry = entries; *entry; entry += std::wcslen(entry) + 1) {
            const std::wstring text = entry;
            const auto equals = text.find(L'=');
            if (equals != std::wstring::npos)
                ini.Set(section, text.substr(0, equals), text.substr(equals + 1));
        }
    });
}

#include "platform/win/Profile.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"

#include "ProfileLock.h"

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

// A file name without a folder is one of the Windows folder's, as Windows takes it; a null name
// is win.ini.
std::string ProfilePath(LPCWSTR fileName)
{
    std::wstring name = fileName ? fileName : L"win.ini";
    if (name.find_first_of(L"\\/") == std::wstring::npos)
        name = L"C:\\Windows\\" + name;
    return platform::HostPath(name);
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
    const platform::IniFile ini(ProfilePath(fileName));
    SetLastError(ini.Exists() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
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

bool IsWithin(const std::string& path, const std::string& folder)
{
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved))
        return false;
    const std::string root = resolved;
    return path.compare(0, root.size(), root) == 0 && (path.size() == root.size() || path[root.size()] == '/');
}

// The file a write of the INI at path changes: a link is written through to its target, which
// must lie in the machine or the program folder, as every file a Windows call reaches does. ""
// with the last error set when there is none.
std::string WriteTarget(std::string path)
{
    constexpr int kMostLinks = 40;
    int links = 0;
    for (struct stat st {}; lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode); ++links) {
        char text[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), text, sizeof(text) - 1);
        if (length <= 0 || links == kMostLinks) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return {};
        }
        const std::string target(text, static_cast<size_t>(length));
        path = target.front() == '/' ? target : path.substr(0, path.rfind('/') + 1) + target;
    }
    if (links == 0)
        return path;
    const auto slash = path.rfind('/');
    char folder[PATH_MAX];
    if (!realpath(path.substr(0, slash).c_str(), folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    path = std::string(folder) + path.substr(slash);
    if (!IsWithin(path, platform::Machine().root) && !IsWithin(path, platform::ProgramFolder())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return {};
    }
    return path;
}

// The file's attributes as Windows sees them; INVALID_FILE_ATTRIBUTES when it is missing. A file
// that no Windows path reaches has those of its mode.
DWORD AttributesOf(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    const DWORD attributes = GetFileAttributesW(platform::WindowsPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes;
    return (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
}

// The attributes of Windows' own that a rewritten INI keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// One locked read-modify-write of the file. Deleting from a missing file leaves it missing; a
// read-only file is refused and left as it was.
BOOL ChangeProfile(LPCWSTR fileName, bool deletes, const std::function<void(platform::IniFile&)>& change)
{
    const std::string named = ProfilePath(fileName);
    if (named.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const std::string path = WriteTarget(named);
    if (path.empty())
        return FALSE;
    const platform::CProfileLock lock(path);
    platform::IniFile ini(path);
    const DWORD attributes = AttributesOf(path);
    if (deletes && attributes == INVALID_FILE_ATTRIBUTES)
        return TRUE;
    // a file that is there but could not be read is not replaced by one without its lines
    if (attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_READONLY) || !ini.Exists())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    change(ini);
    const auto keepAttributes = [&](const std::string& copy) {
        const DWORD kept = attributes & kKeptAttributes;
        if (attributes == INVALID_FILE_ATTRIBUTES || kept == FILE_ATTRIBUTE_ARCHIVE) // what a new file has
            return true;
        if (SetFileAttributesW(platform::WindowsPath(copy).c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL))
            return true;
        errno = EIO;
        return false;
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
        const platform::IniFile ini(ProfilePath(fileName));
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

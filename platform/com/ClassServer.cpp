#include "ClassServer.h"

#include "platform/win/CommandLine.h"
#include "platform/win/Files.h"
#include "platform/win/Registry.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/SystemInfo.h"

#include <string>
#include <vector>

namespace platform {

namespace {

struct ServerKind {
    DWORD context;
    const wchar_t* key;
    bool commandLine;   // a local server's value is the command line that starts it
    HRESULT missing;    // what Windows answers when its file is not there
};

const ServerKind kServerKinds[] = {
    {CLSCTX_INPROC_SERVER, L"InprocServer32", false, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
    {CLSCTX_INPROC_HANDLER, L"InprocHandler32", false, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
    {CLSCTX_LOCAL_SERVER, L"LocalServer32", true, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
};

std::wstring Unquoted(const std::wstring& text)
{
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The files a registration may name as its server. A quoted program is the first word of a
// command line; an unquoted one may hold blanks, so, as Windows does when it starts one, each
// text before a blank is tried, then the whole.
std::vector<std::wstring> ServerFiles(const std::wstring& value, bool commandLine)
{
    if (!commandLine)
        return {Unquoted(value)};
    if (!value.empty() && value.front() == L'"') {
        const std::vector<std::wstring> words = SplitCommandLine(value);
        return {words.empty() ? std::wstring() : words.front()};
    }
    std::vector<std::wstring> files;
    for (size_t blank = value.find(L' '); blank != std::wstring::npos; blank = value.find(L' ', blank + 1))
        files.push_back(value.substr(0, blank));
    files.push_back(value);
    return files;
}

bool FileExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    std::wstring full = path;
    if (path.find(L'\\') == std::wstring::npos) {
        wchar_t system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return false;
        full = std::wstring(system, length) + L"\\" + path;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The registered value of a server kind; false when the class has none of that kind.
bool RegisteredServer(const std::wstring& classKey, const ServerKind& kind, std::wstring& value)
{
    wchar_t text[MAX_PATH * 2] = {};
    DWORD bytes = sizeof(text);
    const std::wstring key = classKey + L"\\" + kind.key;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, text,
                     &bytes) != ERROR_SUCCESS)
        return false;
    value = text;
    return !value.empty();
}

} // namespace

HRESULT FindClassServer(REFCLSID classId, DWORD classContext)
{
    wchar_t idText[40] = {};
    if (!StringFromGUID2(classId, idText, 40))
        return E_INVALIDARG;
    const std::wstring classKey = std::wstring(L"CLSID\\") + idText;
    HRESULT result = REGDB_E_CLASSNOTREG;
    for (const ServerKind& kind : kServerKinds) {
        std::wstring value;
        if (!(classContext & kind.context) || !RegisteredServer(classKey, kind, value))
            continue;
        for (const std::wstring& file : ServerFiles(value, kind.commandLine))
            if (FileExists(file))
                return S_OK;
        if (result == REGDB_E_CLASSNOTREG)
            result = kind.missing;
    }
    return result;
}

} // namespace platform

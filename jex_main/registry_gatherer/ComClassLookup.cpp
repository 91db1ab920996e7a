#include "ComClassLookup.h"

#include "EnclosingQuotes.h"
#include "RegistryReads.h"

#include "platform/win/CommandLine.h"

#include <cwctype>
#include <vector>

namespace com_lookup {

namespace {

bool HexValue(const std::wstring& text, size_t start, size_t digits, uint64_t& value)
{
    value = 0;
    for (size_t i = start; i < start + digits; ++i) {
        if (!std::iswxdigit(static_cast<wint_t>(text[i])))
            return false;
        const wchar_t c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i])));
        value = value * 16 + static_cast<uint64_t>(c <= L'9' ? c - L'0' : c - L'a' + 10);
    }
    return true;
}

// Fills the identifier only when the whole text is valid.
bool ParseClassId(const std::wstring& text, GUID& classId)
{
    // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
    if (text.size() != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' || text[14] != L'-' ||
        text[19] != L'-' || text[24] != L'-')
        return false;
    uint64_t data1 = 0, data2 = 0, data3 = 0, clock = 0, node = 0;
    if (!HexValue(text, 1, 8, data1) || !HexValue(text, 10, 4, data2) || !HexValue(text, 15, 4, data3) ||
        !HexValue(text, 20, 4, clock) || !HexValue(text, 25, 12, node))
        return false;
    classId.Data1 = static_cast<uint32_t>(data1);
    classId.Data2 = static_cast<uint16_t>(data2);
    classId.Data3 = static_cast<uint16_t>(data3);
    classId.Data4[0] = static_cast<uint8_t>(clock >> 8);
    classId.Data4[1] = static_cast<uint8_t>(clock);
    for (int i = 0; i < 6; ++i)
        classId.Data4[2 + i] = static_cast<uint8_t>(node >> (8 * (5 - i)));
    return true;
}

bool FileExists(const std::wstring& path, const std::wstring& systemDirectory)
{
    if (path.empty())
        return false;
    const std::wstring full = path.find(L'\\') == std::wstring::npos ? systemDirectory + L"\\" + path : path;
    return GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files a registration may name as its server. An in-process server's value is a path. A
// local server's is a command line: a quoted program is its first word; an unquoted one may hold
// blanks, so, as Windows does when it starts one, each text before a blank is tried, then the whole.
std::vector<std::wstring> ServerFiles(const std::wstring& value, bool commandLine)
{
    if (!commandLine)
        return {WithoutEnclosingQuotes(value)};
    if (!value.empty() && value.front() == L'"') {
        const std::vector<std::wstring> words = platform::SplitCommandLine(value);
        return {words.empty() ? std::wstring() : words.front()};
    }
    std::vector<std::wstring> files;
    for (size_t blank = value.find(L' '); blank != std::wstring::npos; blank = value.find(L' ', blank + 1))
        files.push_back(value.substr(0, blank));
    files.push_back(value);
    return files;
}

} // namespace

bool ClassIdFromText(const std::wstring& text, GUID& classId)
{
    classId = GUID{};
    return ParseClassId(text, classId);
}

bool ClassServerAvailable(const GUID& classId, const std::wstring& systemDirectory)
{
    wchar_t idText[40] = {};
    if (!StringFromGUID2(classId, idText, 40))
        return false;
    const struct {
        const wchar_t* key;
        bool commandLine;
    } servers[] = {{L"InprocServer32", false}, {L"InprocHandler32", false}, {L"LocalServer32", true}};
    for (const auto& server : servers) {
        const std::wstring path = std::wstring(L"CLSID\\") + idText + L"\\" + server.key;
        wchar_t value[registry_reads::kNameChars] = {};
        DWORD bytes = sizeof(value);
        if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
            continue;
        for (const std::wstring& file : ServerFiles(value, server.commandLine))
            if (FileExists(file, systemDirectory))
                return true;
    }
    return false;
}

} // namespace com_lookup

#include "common/RuleXml.h"

#include "common/RuleFileSize.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <string>
#include <strings.h>

namespace rule_xml {

namespace {

// The whole file, when it is no larger than a rule file may be; false with the last error set.
bool ReadRuleFile(const std::wstring& path, std::string& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    char chunk[64 * 1024];
    size_t read = 0;
    while (static_cast<long long>(bytes.size()) <= kLargestRuleFile &&
           (read = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || static_cast<long long>(bytes.size()) > kLargestRuleFile) {
        SetLastError(failed ? ERROR_GEN_FAILURE : ERROR_FILE_TOO_LARGE);
        return false;
    }
    return true;
}

} // namespace

bool LoadXmlFile(const std::wstring& path, TiXmlDocument& document)
{
    std::string bytes;
    if (!ReadRuleFile(path, bytes))
        return false;
    if (bytes.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    // TinyXML reads a stream as it reads a file, line ends and all.
    FILE* memory = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!memory) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const bool loaded = document.LoadFile(memory, TIXML_DEFAULT_ENCODING);
    std::fclose(memory);
    return loaded;
}

bool NameIs(const TiXmlElement& element, const char* name) { return strcasecmp(element.Value(), name) == 0; }

std::optional<std::wstring> Attribute(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    if (!value)
        return std::nullopt;
    return platform::FromUtf8(value);
}

std::wstring TextAttribute(const TiXmlElement& element, const char* name)
{
    return Attribute(element, name).value_or(std::wstring());
}

int IntAttribute(const TiXmlElement& element, const char* name, int fallback)
{
    int value = fallback;
    return element.QueryIntAttribute(name, &value) == TIXML_SUCCESS ? value : fallback;
}

std::vector<std::wstring> ListAttribute(const TiXmlElement& element, const char* name)
{
    std::vector<std::wstring> entries;
    const std::optional<std::wstring> text = Attribute(element, name);
    if (!text)
        return entries;
    size_t start = 0;
    while (true) {
        const size_t bar = text->find(L'|', start);
        entries.push_back(text->substr(start, bar - start));
        if (bar == std::wstring::npos)
            return entries;
        start = bar + 1;
    }
}

} // namespace rule_xml

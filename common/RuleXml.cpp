#include "common/RuleXml.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <strings.h>

namespace rule_xml {

bool LoadXmlFile(const std::wstring& path, TiXmlDocument& document)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    const bool loaded = document.LoadFile(file, TIXML_DEFAULT_ENCODING);
    std::fclose(file);
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

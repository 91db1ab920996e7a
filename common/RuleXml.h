// Reading the gatherers' rule files and display-text files with TinyXML: files opened through the
// layer's paths, attribute and text values taken as UTF-8.
#pragma once

#include <tinyxml.h>

#include <optional>
#include <string>
#include <vector>

namespace rule_xml {

// False when the file cannot be opened, is larger than a rule file may be (kLargestRuleFile) or is
// not well-formed XML.
bool LoadXmlFile(const std::wstring& path, TiXmlDocument& document);

// Element names of the rule file are compared without regard to case.
bool NameIs(const TiXmlElement& element, const char* name);

std::optional<std::wstring> Attribute(const TiXmlElement& element, const char* name);
// Empty when the attribute is absent.
std::wstring TextAttribute(const TiXmlElement& element, const char* name);
// The fallback when the attribute is absent or not an integer.
int IntAttribute(const TiXmlElement& element, const char* name, int fallback);
// Split at "|": an absent attribute is an empty list, an empty one a list of one empty text.
std::vector<std::wstring> ListAttribute(const TiXmlElement& element, const char* name);

} // namespace rule_xml

#include "RegGarbageCatagory.h"

#include "common/RuleXml.h"

bool CRegGarbageCatagory::Load(const TiXmlElement& element)
{
    rules_.clear();
    LoadResId(element);
    const std::optional<std::wstring> name = rule_xml::Attribute(element, "Name");
    if (name)
        info_.displayName = *name;
    bool namesKeyOrPattern = false;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (!rule_xml::NameIs(*child, "RegGarbageInfo"))
            continue;
        rules_.push_back(std::make_unique<CRegGarbageCollect>(*child, owner_, this));
        namesKeyOrPattern = namesKeyOrPattern || rules_.back()->NamesKeyOrPattern();
    }
    return name || namesKeyOrPattern;
}

void CRegGarbageCatagory::Collect()
{
    for (const auto& rule : rules_)
        rule->Collect();
}

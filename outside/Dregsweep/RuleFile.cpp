#include "RuleFile.h"

#include "common/RuleXml.h"

#include "common/WriteLog.h"
#include "platform/Text.h"

namespace rule_file {

namespace {

constexpr uint64_t kTicksPerHour = 36000000000ull;

class CBuilder {
public:
    explicit CBuilder(const TiXmlElement* texts) : texts_(texts) {}

    CJunkCatagory* Top(const TiXmlElement& element)
    {
        const int kind = rule_xml::IntAttribute(element, "Kind", -1);
        if (kind < 0) {
            WriteLog(L"[Dregsweep] a category without a valid Kind is left out");
            return nullptr;
        }
        return Fill(new CJunkCatagory(nullptr, Info(element, kind, true)), element, "DregsweepProgram",
                    &CBuilder::Program);
    }

private:
    using ChildBuilder = bool (CBuilder::*)(CJunkCatagory*, const TiXmlElement&);

    // Adds the children made from the elements of that name; a category left empty is dropped.
    CJunkCatagory* Fill(CJunkCatagory* catagory, const TiXmlElement& element, const char* childName, ChildBuilder build)
    {
        for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
            if (rule_xml::NameIs(*child, childName))
                (this->*build)(catagory, *child);
        if (!catagory->IsEmpty())
            return catagory;
        WriteLogText((L"[Dregsweep] left out, nothing below it: " + catagory->GetName()->name).c_str());
        catagory->Detach();
        catagory->Release();
        return nullptr;
    }

    bool Program(CJunkCatagory* top, const TiXmlElement& element)
    {
        auto* program = new CJunkCatagory(top, Info(element, top->GetName()->kind, true),
                                          rule_xml::ListAttribute(element, "Process"));
        return Adopt(top, Fill(program, element, "DregsweepType", &CBuilder::Type));
    }

    bool Type(CJunkCatagory* program, const TiXmlElement& element)
    {
        auto* type = new CJunkCatagory(program, Info(element, program->GetName()->kind, false));
        return Adopt(program, Fill(type, element, "DregsweepRule", &CBuilder::Rule));
    }

    bool Rule(CJunkCatagory* type, const TiXmlElement& element)
    {
        JunkRule rule;
        rule.folder = rule_xml::TextAttribute(element, "Folder");
        const int hours = rule_xml::IntAttribute(element, "MinAgeHours", 0);
        if (rule.folder.empty() || hours < 0) {
            WriteLogText((L"[Dregsweep] a rule without a folder or with a negative age is left out under " +
                          type->GetName()->name).c_str());
            return false;
        }
        rule.files = CFileNamePattern(rule_xml::ListAttribute(element, "Files"));
        rule.recurse = rule_xml::IntAttribute(element, "Recurse", 0) != 0;
        rule.minimumAge = static_cast<uint64_t>(hours) * kTicksPerHour;
        type->Add(new CJunkItem(type, std::move(rule)));
        return true;
    }

    static bool Adopt(CJunkCatagory* parent, CJunkCatagory* child)
    {
        if (child)
            parent->Add(child);
        return child != nullptr;
    }

    GarbageCatagoryInfo Info(const TiXmlElement& element, int kind, bool withIcon) const
    {
        GarbageCatagoryInfo info;
        info.kind = kind;
        info.name = rule_xml::TextAttribute(element, "Name");
        const char* resId = element.Attribute("ResID");
        const TiXmlElement* text = texts_ && resId && *resId ? texts_->FirstChildElement(resId) : nullptr;
        if (text && text->GetText())
            info.name = platform::FromUtf8(text->GetText());
        if (info.name.empty() && resId)
            info.name = platform::FromUtf8(resId);
        if (withIcon)
            info.icon = rule_xml::TextAttribute(element, "Icon");
        return info;
    }

    const TiXmlElement* texts_;
};

} // namespace

std::vector<CJunkCatagory*> Load(const std::wstring& rulePath, const std::wstring& textPath)
{
    TiXmlDocument rules;
    if (!rule_xml::LoadXmlFile(rulePath, rules) || !rules.RootElement()) {
        WriteLogText((L"[Dregsweep] the rule file cannot be read: " + rulePath).c_str());
        return {};
    }
    TiXmlDocument texts;
    const TiXmlElement* table = nullptr;
    if (rule_xml::LoadXmlFile(textPath, texts) && texts.RootElement())
        table = texts.RootElement()->FirstChildElement("Dregsweep");
    else
        WriteLogText((L"[Dregsweep] the text table cannot be read, the rule file's names are shown: " + textPath).c_str());
    CBuilder builder(table);
    std::vector<CJunkCatagory*> catagories;
    for (const TiXmlElement* element = rules.RootElement()->FirstChildElement(); element;
         element = element->NextSiblingElement())
        if (rule_xml::NameIs(*element, "DregsweepCatagory"))
            if (CJunkCatagory* top = builder.Top(*element))
                catagories.push_back(top);
    return catagories;
}

} // namespace rule_file

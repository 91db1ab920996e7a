#include "RegGarbageCollect.h"

#include "Hivesift.h"
#include "RegCollect3Proc.h"
#include "RegistryReads.h"
#include "common/RuleXml.h"

#include "common/WriteLog.h"
#include "platform/Text.h"

#include <tinyxml.h>

namespace {

HKEY RuleRoot(int regRoot)
{
    switch (regRoot) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_USER;
    case 3: return HKEY_LOCAL_MACHINE;
    default: return nullptr;
    }
}

std::unique_ptr<CRegCollectProc> MakeProcedure(int procType, const TiXmlElement& element)
{
    switch (procType) {
    case 2: return std::make_unique<RegCollectXProc::CRegCollect2Proc>(element);
    case 3: return std::make_unique<RegCollectXProc::CRegCollect3Proc>(element);
    default: return nullptr;
    }
}

// Junk when no value lies anywhere below: a subkey that cannot be opened counts as holding one.
bool NoValuesBelow(HKEY key, DWORD subKeys)
{
    for (DWORD index = 0; index < subKeys; ++index) {
        std::wstring name;
        CRegKeyHandle subKey;
        DWORD childKeys = 0;
        DWORD values = 0;
        if (registry_reads::ReadNameAt(key, index, false, name) != ERROR_SUCCESS ||
            subKey.Open(key, name, KEY_READ) != ERROR_SUCCESS ||
            !registry_reads::ReadKeyCounts(subKey.Get(), childKeys, values) || values != 0 ||
            !NoValuesBelow(subKey.Get(), childKeys))
            return false;
    }
    return true;
}

bool IsEmptyKey(HKEY key)
{
    DWORD subKeys = 0;
    DWORD values = 0;
    if (!registry_reads::ReadKeyCounts(key, subKeys, values))
        return false;
    if (values == 0)
        return NoValuesBelow(key, subKeys);
    return values == 1 && subKeys == 0 && registry_reads::HoldsOnlyEmptyDefault(key);
}

} // namespace

CRegGarbageCollect::CRegGarbageCollect(const TiXmlElement& element, CHivesift* gatherer, CRegGarbageCatagory* catagory)
    : gatherer_(gatherer), catagory_(catagory)
{
    const std::optional<std::wstring> item = rule_xml::Attribute(element, "RegItem");
    const std::optional<std::wstring> pattern = rule_xml::Attribute(element, "RegExpStr");
    namesKeyOrPattern_ = item || pattern;
    item_ = item.value_or(std::wstring());
    patternText_ = pattern.value_or(std::wstring());
    enumValues_ = rule_xml::IntAttribute(element, "EnumValue", 0) == 1;
    procType_ = rule_xml::IntAttribute(element, "ProcType", 1);

    if (const HKEY root = RuleRoot(rule_xml::IntAttribute(element, "RegRoot", 1))) {
        if (item_.empty())
            key_ = root;
        else if (openedKey_.Open(root, item_, KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE | KEY_QUERY_VALUE) == ERROR_SUCCESS)
            key_ = openedKey_.Get();
    }

    if (!patternText_.empty()) {
        pattern_.emplace();
        if (!pattern_->Compile(patternText_, false)) {
            pattern_.reset();
            WriteLogA("[Hivesift] RegExp parse fail,[%s]", platform::ToUtf8(patternText_).c_str());
            return;
        }
    }
    procedure_ = MakeProcedure(procType_, element);
}

void CRegGarbageCollect::Collect()
{
    DWORD subKeys = 0;
    DWORD values = 0;
    if (!key_ || !registry_reads::ReadKeyCounts(key_, subKeys, values))
        return;
    const DWORD count = enumValues_ ? values : subKeys;
    bool matchSeen = false;
    for (DWORD index = 0; index < count; ++index) {
        std::wstring name;
        const LSTATUS status = registry_reads::ReadNameAt(key_, index, enumValues_, name);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue; // a name that could not be read is never checked
        if (NameMatches(name)) {
            matchSeen = true;
            CheckEntry(name);
        } else if (matchSeen || !pattern_) {
            break; // the matching names form one run in the key's order
        }
    }
}

bool CRegGarbageCollect::NameMatches(const std::wstring& name) const
{
    return pattern_ ? pattern_->Match(name) : patternText_.empty();
}

void CRegGarbageCollect::CheckEntry(const std::wstring& name)
{
    if (procType_ == 1) {
        CheckEmptyKey(name);
        return;
    }
    if (!procedure_)
        return;
    std::wstring display;
    const bool junk = enumValues_ ? procedure_->CheckValue(key_, name, display)
                                  : procedure_->CheckSubKey(key_, name, display);
    if (junk)
        gatherer_->AddGarbage(display, enumValues_ ? item_ : SubKeyPath(name), procType_, catagory_);
}

// An empty name would open the rule's own key, which is no subkey of it.
void CRegGarbageCollect::CheckEmptyKey(const std::wstring& name)
{
    CRegKeyHandle subKey;
    if (name.empty() || subKey.Open(key_, name, KEY_READ) != ERROR_SUCCESS)
        return;
    if (IsEmptyKey(subKey.Get()))
        gatherer_->AddGarbage(name, SubKeyPath(name), procType_, catagory_);
}

// A rule on a root itself has subkeys whose path is just their name.
std::wstring CRegGarbageCollect::SubKeyPath(const std::wstring& name) const
{
    return item_.empty() ? name : item_ + L"\\" + name;
}

#include "RegCollect2Proc.h"

#include "EnclosingQuotes.h"
#include "RegKeyHandle.h"
#include "RegistryReads.h"
#include "common/RuleXml.h"

#include "platform/Text.h"

#include <tinyxml.h>

namespace RegCollectXProc {

namespace {

// "%name%" followed by a backslash: the name is an environment variable standing for a folder.
const wchar_t kEnvironmentPattern[] = L"\\%{.+}\\%\\\\.*";

// Every occurrence, left to right; replaced text is not searched again.
void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The first of the paths that opens below base; false when none does.
template <class PathOf>
bool OpenFirst(HKEY base, const std::vector<std::wstring>& paths, PathOf pathOf, CRegKeyHandle& opened)
{
    for (const std::wstring& path : paths)
        if (opened.Open(base, pathOf(path), KEY_READ) == ERROR_SUCCESS)
            return true;
    return false;
}

} // namespace

CRegCollect2Proc::CRegCollect2Proc(const TiXmlElement& ruleElement)
{
    for (const TiXmlElement* child = ruleElement.FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (rule_xml::NameIs(*child, "RegGarbageAlg"))
            steps_.push_back(RegAlgStep_::FromElement(*child));
        else if (rule_xml::NameIs(*child, "RegGarbageIdentify"))
            identify_ = RegAlgStep_::FromElement(*child);
        else if (rule_xml::NameIs(*child, "RegGarbageClassAlg"))
            ReadClassCheck(*child);
        else if (rule_xml::NameIs(*child, "RegGarbageDisplayItem"))
            displayTemplate_ = rule_xml::TextAttribute(*child, "DisplayItem");
    }
    wchar_t systemDirectory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(systemDirectory, MAX_PATH);
    if (length < MAX_PATH)
        systemDirectory_.assign(systemDirectory, length);
    environmentPattern_.Compile(kEnvironmentPattern, true);
}

bool CRegCollect2Proc::CheckSubKey(HKEY key, const std::wstring& name, std::wstring& display)
{
    CRegKeyHandle subKey;
    if (subKey.Open(key, name, KEY_READ) != ERROR_SUCCESS)
        return false;
    return CheckItem(subKey.Get(), name, display);
}

bool CRegCollect2Proc::CheckValue(HKEY key, const std::wstring& name, std::wstring& display)
{
    return CheckItem(key, name, display);
}

bool CRegCollect2Proc::CheckItem(HKEY current, const std::wstring& name, std::wstring& display)
{
    currentName_ = name;
    bool junk = true;
    bool decided = false;
    for (const RegAlgStep_& step : steps_) {
        const std::optional<std::wstring> value = EvaluateStep(step, current);
        if (!value) {
            junk = false;
            break;
        }
        const auto remembered = step.isKeyResult ? decisions_.find(*value) : decisions_.end();
        if (remembered != decisions_.end()) {
            junk = remembered->second;
            decided = true;
            break;
        }
    }
    if (junk && !decided) {
        junk = Identify(current);
        if (junk && classTemplate_)
            junk = !ComClassAvailable();
        if (!identify_.resultLinkTo.empty())
            decisions_[Substitute(identify_.resultLinkTo)] = junk;
    }
    display = junk && displayTemplate_ ? Substitute(*displayTemplate_) : std::wstring();
    values_.clear();
    return junk;
}

std::optional<std::wstring> CRegCollect2Proc::EvaluateStep(const RegAlgStep_& step, HKEY current)
{
    CRegKeyHandle opened;
    HKEY base = nullptr;
    if (step.rootType == -1) {
        const auto asWritten = [](const std::wstring& path) { return path; };
        if (step.procKeys.empty())
            base = current;
        else if (OpenFirst(current, step.procKeys, asWritten, opened))
            base = opened.Get();
    } else if (const HKEY root = step.Root()) {
        const auto substituted = [this](const std::wstring& path) { return Substitute(path); };
        if (step.params.empty())
            base = root;
        else if (OpenFirst(root, step.params, substituted, opened))
            base = opened.Get();
    }
    if (!base)
        return std::nullopt;

    std::wstring value;
    bool read = false;
    for (const std::wstring& name : step.procValues)
        if ((read = registry_reads::ReadTextValue(base, name, value)))
            break;
    if (!read)
        return std::nullopt;
    value = WithoutEnclosingQuotes(value);
    if (!step.result.empty())
        values_[step.result] = value;
    return value;
}

bool CRegCollect2Proc::Identify(HKEY)
{
    return !identify_.params.empty() && IsFileMissing(Substitute(identify_.params.front()));
}

std::wstring CRegCollect2Proc::Substitute(const std::wstring& text) const
{
    if (platform::EqualsIgnoringCase(text, L"%InputParam%"))
        return currentName_;
    std::wstring result = text;
    for (const auto& [name, value] : values_)
        ReplaceAll(result, L"%" + name + L"%", value);
    return result;
}

// An empty reference names no file, so it is never taken for a missing one.
bool CRegCollect2Proc::IsFileMissing(const std::wstring& path) const
{
    if (path.empty())
        return false;
    const std::wstring full = ExpandedPath(path);
    if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A bare file name lies in the system directory; "%name%\..." starts with the variable's value
// (empty when it is not set).
std::wstring CRegCollect2Proc::ExpandedPath(const std::wstring& path) const
{
    if (path.find(L'\\') == std::wstring::npos)
        return systemDirectory_ + L"\\" + path;
    RegExpMatch_ match;
    if (!environmentPattern_.Match(path, &match) || match.groups.empty() || match.groups[0].first == RegExpMatch_::npos)
        return path;
    const auto [nameStart, nameEnd] = match.groups[0];
    const std::wstring name = path.substr(nameStart, nameEnd - nameStart);
    wchar_t value[MAX_PATH] = {};
    if (GetEnvironmentVariableW(name.c_str(), value, MAX_PATH) >= MAX_PATH)
        value[0] = L'\0';
    return value + path.substr(nameEnd + 1);
}

void CRegCollect2Proc::ReadClassCheck(const TiXmlElement& element)
{
    classTemplate_ = rule_xml::TextAttribute(element, "Class");
    interfaceTemplate_ = rule_xml::TextAttribute(element, "Interface");
    CoInitialize(nullptr);
}

bool CRegCollect2Proc::ComClassAvailable() const
{
    constexpr DWORD kContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    CLSID classId{};
    IID interfaceId{};
    CLSIDFromString(Substitute(*classTemplate_).c_str(), &classId);
    CLSIDFromString(Substitute(interfaceTemplate_).c_str(), &interfaceId);
    // The host may scan on another thread than the one that read the rules.
    const HRESULT joined = CoInitialize(nullptr);
    void* object = nullptr;
    const bool available = SUCCEEDED(CoCreateInstance(classId, nullptr, kContext, interfaceId, &object)) ||
                           SUCCEEDED(CoGetClassObject(classId, kContext, nullptr, interfaceId, &object));
    if (object)
        static_cast<IUnknown*>(object)->Release();
    if (SUCCEEDED(joined))
        CoUninitialize();
    return available;
}

} // namespace RegCollectXProc

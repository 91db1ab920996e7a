#include "RegistryPath.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Registry.h"

#include <array>

namespace platform::registry {

namespace {

constexpr size_t kMaxKeyNameLength = 255;

struct Hive {
    const wchar_t* name;
    HKEY handle;
    KeyPath path;
};

const std::array<Hive, 4>& Hives()
{
    static const std::array<Hive, 4> hives{{
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, {L"HKEY_LOCAL_MACHINE", L"SOFTWARE", L"Classes"}},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER, {L"HKEY_CURRENT_USER"}},
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, {L"HKEY_LOCAL_MACHINE"}},
        {L"HKEY_USERS", HKEY_USERS, {L"HKEY_USERS"}},
    }};
    return hives;
}

bool Is(const std::wstring& component, const wchar_t* name) { return EqualsIgnoringCase(component, name); }

} // namespace

KeyPath PredefinedKeyPath(HKEY key)
{
    for (const Hive& hive : Hives())
        if (hive.handle == key)
            return hive.path;
    return {};
}

bool IsPredefinedKey(HKEY key)
{
    for (const Hive& hive : Hives())
        if (hive.handle == key)
            return true;
    return false;
}

KeyPath HiveKeyPath(const std::wstring& hiveName)
{
    for (const Hive& hive : Hives())
        if (Is(hiveName, hive.name))
            return hive.path;
    return {};
}

LONG ParseSubKey(const wchar_t* subKey, KeyPath& parts)
{
    parts.clear();
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    std::wstring text(subKey);
    if (text.front() == L'\\')
        return ERROR_BAD_PATHNAME;
    if (text.back() == L'\\')
        text.pop_back();
    for (const std::wstring& part : SplitKeyPath(text)) {
        if (part.empty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts.push_back(part);
    }
    return ERROR_SUCCESS;
}

KeyPath RedirectTo32BitView(const KeyPath& path)
{
    if (path.size() < 2 || !Is(path[0], L"HKEY_LOCAL_MACHINE") || !Is(path[1], L"SOFTWARE"))
        return path;
    // Keys that both views share, as Windows keeps them: the class registrations, policies (set by
    // administrators for every program), the default clients and the registered applications.
    if (path.size() >= 3) {
        for (const wchar_t* shared : {L"WOW6432Node", L"Classes", L"Policies", L"Clients", L"RegisteredApplications"})
            if (Is(path[2], shared))
                return path;
    }
    KeyPath redirected = path;
    redirected.insert(redirected.begin() + 2, L"WOW6432Node");
    return redirected;
}

bool IsWithin(const KeyPath& inner, const KeyPath& outer)
{
    if (inner.size() < outer.size())
        return false;
    for (size_t i = 0; i < outer.size(); ++i)
        if (!EqualsIgnoringCase(inner[i], outer[i]))
            return false;
    return true;
}

bool HoldsPermanentKey(const KeyPath& path, bool includingItself)
{
    static const KeyPath kView32Root = {L"HKEY_LOCAL_MACHINE", L"SOFTWARE", L"WOW6432Node"};
    const auto holds = [&](const KeyPath& permanent) {
        return IsWithin(permanent, path) && (includingItself || permanent.size() > path.size());
    };
    for (const Hive& hive : Hives())
        if (holds(hive.path))
            return true;
    return holds(kView32Root);
}

std::wstring JoinKeyPath(const KeyPath& path)
{
    std::wstring joined;
    for (const std::wstring& part : path) {
        if (!joined.empty())
            joined += L'\\';
        joined += part;
    }
    return joined;
}

KeyPath SplitKeyPath(const std::wstring& joined)
{
    KeyPath parts;
    size_t start = 0;
    while (true) {
        const size_t end = joined.find(L'\\', start);
        parts.push_back(joined.substr(start, end - start));
        if (end == std::wstring::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace platform::registry

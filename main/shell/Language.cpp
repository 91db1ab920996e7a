#include "Language.h"

#include "platform/Windows.h"


#include <vector>

namespace {

const wchar_t kLanguageKey[] = L"SOFTWARE\\ORVANE\\Movanta";
const char kDefaultFamily[] = "Segoe UI";

// The text of a string value, or the default when the key or value is missing or holds no text.
QString ReadRegistryText(HKEY root, const wchar_t* subKey, const wchar_t* name, const QString& fallback)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    QString text = fallback;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size)
            == ERROR_SUCCESS) {
            data.back() = L'\0';
            text = QString::fromWCharArray(data.data());
        }
    }
    RegCloseKey(key);
    return text;
}

const wchar_t* WeightKey(unsigned weight)
{
    switch (weight) {
    case FONT_LIGHT: return L"font_light";
    case FONT_NORMAL: return L"font_normal";
    case FONT_SEMIBOLD: return L"font_semibold";
    case FONT_BOLD: return L"font_bold";
    default: return nullptr;
    }
}

} // namespace

QString GetLanguage()
{
    static QString language;
    if (language.isEmpty())
        language = ReadRegistryText(HKEY_LOCAL_MACHINE, kLanguageKey, L"Language", QStringLiteral("English"));
    return language;
}

QString GetLangFontFamily(unsigned weight)
{
    QString language = GetLanguage();
    if (language.isEmpty())
        language = GetLanguage();
    const wchar_t* key = WeightKey(weight);
    if (language.isEmpty() || !key)
        return QString::fromLatin1(kDefaultFamily);

    const std::wstring file = L"..\\res\\Common\\langind.ini";
    wchar_t family[MAX_PATH] = {};
    GetPrivateProfileStringW(language.toStdWString().c_str(), key, L"", family, MAX_PATH, file.c_str());
    return family[0] ? QString::fromWCharArray(family) : QString::fromLatin1(kDefaultFamily);
}

#include "UIConfig.h"

#include "common/ModuleDir.h"
#include "platform/Windows.h"

namespace {

// Longer than any file name or number the file holds.
constexpr DWORD kLongestValue = 1024;

} // namespace

QString UIConfigText(const wchar_t* key, const QString& fallback)
{
    const std::wstring folder = GetModuleDir();
    if (folder.empty())
        return fallback;
    const std::wstring file = folder + L"UIConfigAdd.ini";
    const std::wstring preset = fallback.toStdWString();
    wchar_t value[kLongestValue] = {};
    const DWORD length = GetPrivateProfileStringW(L"Cleanup", key, preset.c_str(), value, kLongestValue, file.c_str());
    return QString::fromWCharArray(value, static_cast<int>(length));
}

int UIConfigNumber(const wchar_t* key, int fallback)
{
    bool isNumber = false;
    const int value = UIConfigText(key, QString()).toInt(&isNumber);
    return isNumber ? value : fallback;
}

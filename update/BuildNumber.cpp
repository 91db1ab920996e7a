#include "update/BuildNumber.h"

#include <climits>
#include <cwchar>

BuildNumber ParseBuildNumber(const wchar_t* text)
{
    BuildNumber parts = {0, 0, 0, 0};
    const wchar_t* at = text;
    for (size_t i = 0; at && i < parts.size(); ++i) {
        if (i > 0) {
            if (*at == L'\0')
                break;
            ++at;
        }
        wchar_t* end = nullptr;
        const long value = std::wcstol(at, &end, 10);
        if (end == at)
            break;
        parts[i] = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
        at = end;
    }
    return parts;
}

bool IsNewerBuild(const wchar_t* installed, const wchar_t* offered)
{
    return ParseBuildNumber(installed) < ParseBuildNumber(offered);
}

// Windows' rules for filling a caller's buffer, shared by the system area's functions.
#pragma once

#include "platform/win/Types.h"

#include <algorithm>
#include <string>

namespace platform {

// The rule of functions that hand back one text (GetTempPathW, GetEnvironmentVariableW, ...): the
// length without the terminator when the text fits, else the size needed with it, the buffer left
// alone.
inline DWORD CopyOrMeasure(const std::wstring& text, wchar_t* buffer, DWORD size)
{
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || size < needed)
        return needed;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return needed - 1;
}

} // namespace platform

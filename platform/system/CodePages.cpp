#include "platform/win/Strings.h"

#include "platform/Text.h"

#include <algorithm>
#include <string>

namespace {

bool IsUtf8Page(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == CP_UTF8;
}

// Checks the arguments common to both directions; false with the last error set.
bool CheckArguments(UINT codePage, DWORD flags, DWORD allowedUtf8Flags, const void* input, int inputLength,
                    const void* output, int outputSize)
{
    if (!IsUtf8Page(codePage) || !input || inputLength == 0 || inputLength < -1 || outputSize < 0 ||
        (!output && outputSize != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (codePage == CP_UTF8 && (flags & ~allowedUtf8Flags)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return false;
    }
    return true;
}

std::wstring Transcode(const std::string& utf8) { return platform::FromUtf8(utf8); }
std::string Transcode(const std::wstring& wide) { return platform::ToUtf8(wide); }

// Converts between UTF-8 and wide text and hands the result out by Windows' size rules.
template <typename In, typename Out>
int Convert(const In* input, int inputLength, bool strict, Out* output, int outputSize)
{
    const size_t length =
        inputLength == -1 ? std::char_traits<In>::length(input) + 1 : static_cast<size_t>(inputLength);
    const std::basic_string<In> text(input, length);
    const std::basic_string<Out> converted = Transcode(text);
    // Valid text survives the way back unchanged; anything replaced does not.
    if (strict && Transcode(converted) != text) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    const auto needed = static_cast<int>(converted.size());
    if (outputSize == 0)
        return needed;
    if (needed > outputSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), output);
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide, int wideSize)
{
    if (!CheckArguments(codePage, flags, MB_ERR_INVALID_CHARS, multiByte, multiByteLength, wide, wideSize))
        return 0;
    return Convert(multiByte, multiByteLength, (flags & MB_ERR_INVALID_CHARS) != 0, wide, wideSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte, int multiByteSize,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (!CheckArguments(codePage, flags, WC_ERR_INVALID_CHARS, wide, wideLength, multiByte, multiByteSize))
        return 0;
    if (codePage == CP_UTF8 && (defaultChar || usedDefaultChar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefaultChar)
        *usedDefaultChar = FALSE;
    return Convert(wide, wideLength, (flags & WC_ERR_INVALID_CHARS) != 0, multiByte, multiByteSize);
}

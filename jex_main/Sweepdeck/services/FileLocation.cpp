#include "FileLocation.h"

#include "common/Wow64FsRedirGuard.h"

#include <string>

namespace {

DWORD StartExplorer(const std::wstring& parameters, bool redirectionOff)
{
    const auto started = WithRedirection(redirectionOff, [&] {
        return reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL));
    });
    // Above 32 is success; a failed start leaves its own error as the last one.
    if (started > 32)
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_NO_ASSOCIATION;
}

QString MessageText(DWORD error, WORD languageId)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, languageId, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const QString message = length && text ? QString::fromWCharArray(text, static_cast<int>(length)) : QString();
    LocalFree(text);
    return message;
}

} // namespace

DWORD ShowFileInFolder(const wchar_t* path)
{
    if (!path || !*path)
        return ERROR_INVALID_PARAMETER;
    const std::wstring parameters = L"/select, " + std::wstring(path);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return StartExplorer(parameters, true);
    const PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
    if (!item)
        return StartExplorer(parameters, false);
    const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
    return SUCCEEDED(shown) ? ERROR_SUCCESS : HRESULT_CODE(shown);
}

QString SystemErrorText(DWORD error, WORD languageId)
{
    const QString text = MessageText(error, languageId);
    return text.isEmpty() ? MessageText(error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)) : text;
}

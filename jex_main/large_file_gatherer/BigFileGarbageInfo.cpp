#include "BigFileGarbageInfo.h"

#include "ShellItemProc.h"

#include <cwchar>

namespace {

constexpr FILEOP_FLAGS kDeleteFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
constexpr int kFileGone = 2;

std::wstring FailureText(int code)
{
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                            FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                        nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0) {
        wchar_t unknown[64];
        std::swprintf(unknown, sizeof(unknown) / sizeof(unknown[0]), L"Unknown error,code %d", code);
        return unknown;
    }
    std::wstring message(text, length);
    LocalFree(text);
    return message;
}

} // namespace

CBigFileGarbageInfo::CBigFileGarbageInfo(IBulkseek* gatherer, const std::wstring& filePath, const WIN32_FIND_DATAW& data)
{
    displayName = filePath.substr(filePath.find_last_of(L'\\') + 1);
    path = filePath;
    size = FileSizeOf(data);
    lastWriteTime = COleDateTime::FromFileTime(data.ftLastWriteTime);
    creationTime = COleDateTime::FromFileTime(data.ftCreationTime);
    owner = gatherer;
}

std::wstring CBigFileGarbageInfo::GetFailInfo()
{
    std::lock_guard<std::mutex> lock(failLock_);
    return failInfo_;
}

bool CBigFileGarbageInfo::Delete()
{
    if (!GetCheckState())
        return false;
    // The shell takes a list of names, each ended by a zero and the list by a second one.
    std::wstring names = path;
    names.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = kDeleteFlags;
    const int result = SHFileOperationW(&operation);
    if (result == 0 || result == kFileGone)
        return true;
    const std::wstring text = FailureText(result);
    std::lock_guard<std::mutex> lock(failLock_);
    failInfo_ = text;
    return false;
}

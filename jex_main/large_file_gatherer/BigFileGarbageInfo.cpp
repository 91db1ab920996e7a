#include "BigFileGarbageInfo.h"

#include "ShellItemProc.h"

#include <cwchar>

namespace {

constexpr FILEOP_FLAGS kDeleteFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
constexpr int kFileGone = 2;
constexpr wchar_t kChangedSinceScan[] = L"The file has changed since the scan and was not deleted.";

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
    scannedWriteTime_ = data.ftLastWriteTime;
}

std::wstring CBigFileGarbageInfo::GetFailInfo()
{
    std::lock_guard<std::mutex> lock(failLock_);
    return failInfo_;
}

std::wstring CBigFileGarbageInfo::ChangedSinceScan(bool* gone) const
{
    *gone = false;
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now)) {
        const DWORD error = GetLastError();
        *gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return *gone ? std::wstring() : FailureText(static_cast<int>(error));
    }
    const uint64_t sizeNow = (static_cast<uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    const bool sameTime = now.ftLastWriteTime.dwLowDateTime == scannedWriteTime_.dwLowDateTime &&
                          now.ftLastWriteTime.dwHighDateTime == scannedWriteTime_.dwHighDateTime;
    return sizeNow == size && sameTime ? std::wstring() : kChangedSinceScan;
}

void CBigFileGarbageInfo::Failed(const std::wstring& text)
{
    std::lock_guard<std::mutex> lock(failLock_);
    failInfo_ = text;
}

bool CBigFileGarbageInfo::Delete()
{
    if (!GetCheckState())
        return false;
    bool gone = false;
    const std::wstring changed = ChangedSinceScan(&gone);
    if (gone)
        return true;
    if (!changed.empty()) {
        Failed(changed);
        return false;
    }
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
    Failed(FailureText(result));
    return false;
}

#include "BigFileGarbageInfo.h"

#include "ShellItemProc.h"

#include "common/HeldFolder.h"

#include <cwchar>

namespace {

constexpr wchar_t kChangedSinceScan[] = L"The file has changed since the scan and was not deleted.";

using folder_chain::IsGone;

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

CBigFileGarbageInfo::CBigFileGarbageInfo(IBulkseek* gatherer, const std::wstring& filePath, const WIN32_FIND_DATAW& data,
                                         FilePlace place)
    : place_(std::move(place))
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

bool CBigFileGarbageInfo::IsAsScanned(HANDLE file) const
{
    BY_HANDLE_FILE_INFORMATION now{};
    if (!GetFileInformationByHandle(file, &now) || !folder_chain::IsListedFile(now, place_.volume, place_.fileIndex))
        return false;
    const uint64_t sizeNow = (static_cast<uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    return sizeNow == size && now.ftLastWriteTime.dwLowDateTime == scannedWriteTime_.dwLowDateTime &&
           now.ftLastWriteTime.dwHighDateTime == scannedWriteTime_.dwHighDateTime;
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
    // The file that is checked is the one deleted: one handle, opened without following a link in
    // the folders the scan recorded, serves both, so that nothing can take its place in between.
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = OpenPlaceForDeletion(place_, error);
    if (!file) {
        if (IsGone(error))
            return true;
        Failed(error == ERROR_DIRECTORY ? std::wstring(kChangedSinceScan) : FailureText(static_cast<int>(error)));
        return false;
    }
    bool deleted = false;
    if (!IsAsScanned(file)) {
        Failed(kChangedSinceScan);
    } else {
        const DWORD error = DeleteByHandle(file) ? ERROR_SUCCESS : GetLastError();
        deleted = error == ERROR_SUCCESS || IsGone(error);
        if (!deleted)
            Failed(FailureText(static_cast<int>(error)));
    }
    CloseHandle(file);
    return deleted;
}

#include "HeldFolder.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kHoldAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

} // namespace

CHeldFolder::CHeldFolder(const std::wstring& path, DWORD volume, uint64_t fileIndex)
{
    const HANDLE handle = CreateFileW(path.c_str(), kHoldAccess, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        state_ = IsGone(GetLastError()) ? State::Gone : State::Denied;
    else
        Hold(handle, volume, fileIndex);
}

CHeldFolder::CHeldFolder(const CHeldFolder& parent, const std::wstring& name, DWORD volume, uint64_t fileIndex)
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE handle = parent.OpenEntry(name, kHoldAccess, FILE_DIRECTORY_FILE, error);
    if (!handle)
        state_ = IsGone(error) ? State::Gone : error == ERROR_DIRECTORY ? State::Changed : State::Denied;
    else
        Hold(handle, volume, fileIndex);
}

CHeldFolder::CHeldFolder(const FolderChain& chain)
{
    DWORD error = ERROR_SUCCESS;
    folder_chain::Held held = folder_chain::Reach(chain, error);
    if (!held)
        state_ = IsGone(error) ? State::Gone : error == ERROR_DIRECTORY ? State::Changed : State::Denied;
    else
        Hold(held.release(), chain.back().volume, chain.back().fileIndex);
}

CHeldFolder::~CHeldFolder()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

void CHeldFolder::Hold(HANDLE handle, DWORD volume, uint64_t fileIndex)
{
    handle_ = handle;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle_, &information)) {
        state_ = State::Denied;
    } else if (!IsRealFolder(information.dwFileAttributes) ||
               (fileIndex && (information.dwVolumeSerialNumber != volume || FileIndexOf(information) != fileIndex))) {
        state_ = State::Changed;
    } else {
        state_ = State::Held;
        volume_ = information.dwVolumeSerialNumber;
        fileIndex_ = FileIndexOf(information);
    }
}

bool CHeldFolder::ListNext(void* buffer) const
{
    return state_ == State::Held && GetFileInformationByHandleEx(handle_, FileIdBothDirectoryInfo, buffer, kListingBytes);
}

HANDLE CHeldFolder::OpenEntry(const std::wstring& name, DWORD access, ULONG options, DWORD& error) const
{
    if (state_ != State::Held) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return folder_chain::OpenEntry(handle_, name, access, options, 0, error);
}

HANDLE CHeldFolder::OpenForDeletion(const std::wstring& name, ULONG options, DWORD access,
                                    BY_HANDLE_FILE_INFORMATION& information, Deletion& failure) const
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE entry = OpenEntry(name, access | DELETE | FILE_READ_ATTRIBUTES, options, error);
    if (!entry) {
        failure = IsGone(error) ? Deletion::Gone : Deletion::Denied;
        return nullptr;
    }
    if (!GetFileInformationByHandle(entry, &information)) {
        CloseHandle(entry);
        failure = Deletion::Denied;
        return nullptr;
    }
    return entry;
}

CHeldFolder::Deletion CHeldFolder::DeleteAndClose(HANDLE entry, bool wanted)
{
    Deletion result = Deletion::Changed;
    if (wanted) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        result = SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof(disposition))
                     ? Deletion::Deleted
                     : IsGone(GetLastError()) ? Deletion::Gone : Deletion::Denied;
    }
    CloseHandle(entry);
    return result;
}

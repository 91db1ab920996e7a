#include "HeldFolder.h"

#include <algorithm>
#include <cstddef>

namespace {

using folder_chain::IsGone;
using folder_chain::kHoldAccess;
using folder_chain::kShareAll;

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

CHeldFolder::CHeldFolder(const CHeldFolder& parent, const std::wstring& name, Making making)
{
    const HANDLE handle = parent.CreateEntry(name, kHoldAccess, making == Making::New ? FILE_CREATE : FILE_OPEN_IF,
                                             FILE_DIRECTORY_FILE, 0, error_);
    if (handle)
        Hold(handle, 0, 0);
}

CHeldFolder::CHeldFolder(HANDLE borrowed) : owned_(false) { Hold(borrowed, 0, 0); }

CHeldFolder::~CHeldFolder()
{
    if (owned_ && handle_ != INVALID_HANDLE_VALUE)
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

bool CHeldFolder::ListNext(void* buffer, bool first) const
{
    return state_ == State::Held &&
           GetFileInformationByHandleEx(handle_, first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo, buffer,
                                        kListingBytes);
}

HANDLE CHeldFolder::OpenEntry(const std::wstring& name, DWORD access, ULONG options, DWORD& error) const
{
    if (state_ != State::Held) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return folder_chain::OpenEntry(handle_, name, access, options, 0, error);
}

HANDLE CHeldFolder::CreateEntry(const std::wstring& name, DWORD access, ULONG disposition, ULONG options,
                                DWORD attributes, DWORD& error) const
{
    if (state_ != State::Held) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return folder_chain::CreateEntry(handle_, name, access, disposition, options, attributes, OBJ_CASE_INSENSITIVE, error);
}

bool CHeldFolder::MoveHere(HANDLE entry, const std::wstring& name, bool replace) const
{
    if (state_ != State::Held) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    std::vector<unsigned char> buffer(
        std::max(sizeof(FILE_RENAME_INFO), offsetof(FILE_RENAME_INFO, FileName) + name.size() * sizeof(WCHAR)));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace;
    rename->RootDirectory = handle_;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), rename->FileName);
    return SetFileInformationByHandle(entry, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}

bool CHeldFolder::ReplaceEntry(const std::wstring& name, const std::wstring& draft, const void* bytes, DWORD size) const
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = CreateEntry(draft, GENERIC_WRITE | DELETE, FILE_CREATE, FILE_NON_DIRECTORY_FILE,
                                    FILE_ATTRIBUTE_NORMAL, error);
    if (!file) {
        SetLastError(error);
        return false;
    }
    DWORD written = 0;
    const bool placed = WriteFile(file, bytes, size, &written, nullptr) && written == size && FlushFileBuffers(file) &&
                        MoveHere(file, name, true);
    error = GetLastError();
    if (!placed)
        DeleteByHandle(file);
    CloseHandle(file);
    SetLastError(error);
    return placed;
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
    if (wanted)
        result = DeleteByHandle(entry) ? Deletion::Deleted : IsGone(GetLastError()) ? Deletion::Gone : Deletion::Denied;
    CloseHandle(entry);
    return result;
}

bool DeleteByHandle(HANDLE entry)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

std::unique_ptr<CHeldFolder> HoldFoldersBelow(const CHeldFolder& root, const std::vector<std::wstring>& names,
                                              DWORD& error)
{
    std::unique_ptr<CHeldFolder> folder;
    for (const std::wstring& name : names) {
        auto next = std::make_unique<CHeldFolder>(folder ? *folder : root, name, CHeldFolder::Making::IfMissing);
        if (next->GetState() != CHeldFolder::State::Held) {
            error = next->Error() != ERROR_SUCCESS ? next->Error() : ERROR_DIRECTORY;
            return nullptr;
        }
        folder = std::move(next);
    }
    if (!folder)
        error = ERROR_INVALID_PARAMETER;
    return folder;
}

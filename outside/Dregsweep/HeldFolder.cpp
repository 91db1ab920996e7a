#include "HeldFolder.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsPlainFolder(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return TicksOf(a) == TicksOf(b); }

// Whether the file behind the handle is the one wanted, as far as its handle tells.
bool IsWanted(const BY_HANDLE_FILE_INFORMATION& information, bool folder, DWORD volume, uint64_t fileIndex,
              const FoundFile* wanted)
{
    const DWORD attributes = information.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || folder != ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
        information.dwVolumeSerialNumber != volume || FileIndexOf(information) != fileIndex)
        return false;
    if (!wanted)
        return true;
    const uint64_t size = (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return size == wanted->size && SameTime(information.ftLastWriteTime, wanted->lastWrite) &&
           SameTime(information.ftCreationTime, wanted->creation);
}

} // namespace

CHeldFolder::CHeldFolder(const std::wstring& path, DWORD volume, uint64_t fileIndex)
{
    handle_ = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        state_ = IsGone(GetLastError()) ? State::Gone : State::Denied;
        return;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle_, &information)) {
        state_ = State::Denied;
    } else if (!IsPlainFolder(information) ||
               (fileIndex && (information.dwVolumeSerialNumber != volume || FileIndexOf(information) != fileIndex))) {
        state_ = State::Changed;
    } else {
        state_ = State::Held;
        volume_ = information.dwVolumeSerialNumber;
        fileIndex_ = FileIndexOf(information);
    }
}

CHeldFolder::~CHeldFolder()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

HANDLE CHeldFolder::OpenEntry(const std::wstring& name, DWORD access, ULONG options, DWORD& error) const
{
    if (state_ != State::Held || name.empty() || name.size() * sizeof(WCHAR) > 0xFFFF) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(WCHAR)), static_cast<USHORT>(name.size() * sizeof(WCHAR)),
                        const_cast<WCHAR*>(name.data())};
    OBJECT_ATTRIBUTES attributes{sizeof(OBJECT_ATTRIBUTES), handle_, &text, 0, nullptr, nullptr};
    IO_STATUS_BLOCK io{};
    HANDLE entry = nullptr;
    const NTSTATUS status = NtOpenFile(&entry, access, &attributes, &io, kShareAll,
                                       options | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT);
    if (!NT_SUCCESS(status)) {
        error = RtlNtStatusToDosError(status);
        return nullptr;
    }
    return entry;
}

CHeldFolder::Deletion CHeldFolder::DeleteEntry(const std::wstring& name, bool folder, uint64_t fileIndex,
                                               const FoundFile* wanted) const
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE entry = OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES,
                                   folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE, error);
    if (!entry)
        return IsGone(error) ? Deletion::Gone : Deletion::Denied;
    BY_HANDLE_FILE_INFORMATION information{};
    Deletion result = Deletion::Changed;
    if (GetFileInformationByHandle(entry, &information) && IsWanted(information, folder, volume_, fileIndex, wanted)) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        result = SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof(disposition))
                     ? Deletion::Deleted
                     : IsGone(GetLastError()) ? Deletion::Gone : Deletion::Denied;
    }
    CloseHandle(entry);
    return result;
}

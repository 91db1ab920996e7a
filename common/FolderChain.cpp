#include "FolderChain.h"

#include <algorithm>
#include <cwctype>

namespace folder_chain {

namespace {

DWORD Refusal(DWORD error) { return IsGone(error) ? ERROR_PATH_NOT_FOUND : error; }

} // namespace

HANDLE CreateEntry(HANDLE folder, const std::wstring& name, DWORD access, ULONG disposition, ULONG options,
                   DWORD fileAttributes, ULONG attributes, DWORD& error)
{
    if (!folder || name.empty() || name.size() * sizeof(WCHAR) > 0xFFFF) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(WCHAR)), static_cast<USHORT>(name.size() * sizeof(WCHAR)),
                        const_cast<WCHAR*>(name.data())};
    OBJECT_ATTRIBUTES object{sizeof(OBJECT_ATTRIBUTES), folder, &text, attributes, nullptr, nullptr};
    IO_STATUS_BLOCK io{};
    HANDLE entry = nullptr;
    const NTSTATUS status = NtCreateFile(&entry, access, &object, &io, nullptr, fileAttributes, kShareAll, disposition,
                                         options | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        error = RtlNtStatusToDosError(status);
        return nullptr;
    }
    return entry;
}

HANDLE OpenEntry(HANDLE folder, const std::wstring& name, DWORD access, ULONG options, ULONG attributes, DWORD& error)
{
    return CreateEntry(folder, name, access, FILE_OPEN, options | FILE_OPEN_REPARSE_POINT, 0, attributes, error);
}

Held Open(HANDLE parent, FolderLink& link, DWORD& error)
{
    Held held;
    if (!parent) {
        const HANDLE drive = CreateFileW(link.name.c_str(), kHoldAccess, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (drive != INVALID_HANDLE_VALUE)
            held.reset(drive);
        else
            error = Refusal(GetLastError());
    } else {
        held.reset(OpenEntry(parent, link.name, kHoldAccess, FILE_DIRECTORY_FILE, OBJ_CASE_INSENSITIVE, error));
        if (!held)
            error = Refusal(error);
    }
    if (!held)
        return held;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(held.get(), &information)) {
        error = GetLastError();
        return Held();
    }
    const bool realFolder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!realFolder || (link.fileIndex && (information.dwVolumeSerialNumber != link.volume ||
                                           FileIndexOf(information) != link.fileIndex))) {
        error = ERROR_DIRECTORY;
        return Held();
    }
    link.volume = information.dwVolumeSerialNumber;
    link.fileIndex = FileIndexOf(information);
    return held;
}

Held Extend(HANDLE parent, const std::wstring& name, FolderChain& chain, DWORD& error)
{
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos) {
        error = ERROR_INVALID_NAME;
        return Held();
    }
    FolderLink link{name};
    Held held = Open(parent, link, error);
    if (held)
        chain.push_back(std::move(link));
    return held;
}

Held Record(const std::wstring& path, FolderChain& chain, DWORD& error)
{
    chain.clear();
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || !iswalpha(static_cast<wint_t>(path[0]))) {
        error = ERROR_INVALID_NAME;
        return Held();
    }
    FolderLink drive{path.substr(0, 3)};
    Held held = Open(nullptr, drive, error);
    if (!held)
        return held;
    chain.push_back(std::move(drive));
    for (size_t start = 3; held && start < path.size();) {
        const size_t slash = std::min(path.find(L'\\', start), path.size());
        held = Extend(held.get(), path.substr(start, slash - start), chain, error);
        start = slash + 1;
    }
    if (!held)
        chain.clear();
    return held;
}

Held Reach(const FolderChain& chain, DWORD& error)
{
    Held held;
    for (const FolderLink& recorded : chain) {
        FolderLink link = recorded;
        held = Open(held.get(), link, error);
        if (!held)
            return held;
    }
    if (chain.empty())
        error = ERROR_INVALID_PARAMETER;
    return held;
}

std::wstring PathOf(const FolderChain& chain)
{
    std::wstring path;
    for (const FolderLink& link : chain) {
        if (!path.empty() && path.back() != L'\\')
            path += L'\\';
        path += link.name;
    }
    return path;
}

} // namespace folder_chain

#include "platform/win/ShellFileOperation.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cwchar>
#include <string>

namespace {

DWORD Gone(DWORD error) { return error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error; }

// A read-only file goes too when no confirmation is wanted, as the shell does; it keeps its
// attribute when it could not be deleted after all.
DWORD DeleteOneFile(const std::wstring& name, DWORD attributes, bool noConfirmation)
{
    if (DeleteFileW(name.c_str()))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED || !(attributes & FILE_ATTRIBUTE_READONLY) || !noConfirmation ||
        !SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return error;
    if (DeleteFileW(name.c_str()))
        return ERROR_SUCCESS;
    error = GetLastError();
    SetFileAttributesW(name.c_str(), attributes);
    return error;
}

DWORD DeleteName(const std::wstring& name, bool noConfirmation);

// A folder's content first, then the folder; a link to a folder is removed itself, never followed.
DWORD DeleteFolder(const std::wstring& name, DWORD attributes, bool noConfirmation)
{
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((name + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
            return GetLastError();
        DWORD error = ERROR_SUCCESS;
        for (bool more = find != INVALID_HANDLE_VALUE; more && error == ERROR_SUCCESS; more = FindNextFileW(find, &data))
            if (std::wcscmp(data.cFileName, L".") != 0 && std::wcscmp(data.cFileName, L"..") != 0)
                error = DeleteName(name + L"\\" + data.cFileName, noConfirmation);
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        if (error != ERROR_SUCCESS)
            return error;
    }
    return RemoveDirectoryW(name.c_str()) ? ERROR_SUCCESS : GetLastError();
}

DWORD DeleteName(const std::wstring& name, bool noConfirmation)
{
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Gone(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return DeleteFolder(name, attributes, noConfirmation);
    return DeleteOneFile(name, attributes, noConfirmation);
}

} // namespace

int SHFileOperationW(LPSHFILEOPSTRUCTW operation)
{
    if (!operation || !operation->pFrom || operation->wFunc != FO_DELETE || (operation->fFlags & FOF_ALLOWUNDO))
        return ERROR_INVALID_PARAMETER;
    operation->fAnyOperationsAborted = FALSE;
    const bool noConfirmation = operation->fFlags & FOF_NOCONFIRMATION;
    for (const wchar_t* name = operation->pFrom; *name; name += std::wcslen(name) + 1) {
        const DWORD error = DeleteName(name, noConfirmation);
        if (error != ERROR_SUCCESS)
            return static_cast<int>(error);
    }
    return 0;
}

#include "platform/win/SystemMessages.h"

#include "platform/win/Errors.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>

namespace {

const std::map<DWORD, const wchar_t*>& Messages()
{
    static const std::map<DWORD, const wchar_t*> messages = {
        {ERROR_SUCCESS, L"The operation completed successfully."},
        {ERROR_INVALID_FUNCTION, L"Incorrect function."},
        {ERROR_FILE_NOT_FOUND, L"The system cannot find the file specified."},
        {ERROR_PATH_NOT_FOUND, L"The system cannot find the path specified."},
        {ERROR_TOO_MANY_OPEN_FILES, L"The system cannot open the file."},
        {ERROR_ACCESS_DENIED, L"Access is denied."},
        {ERROR_INVALID_HANDLE, L"The handle is invalid."},
        {ERROR_NOT_ENOUGH_MEMORY, L"Not enough memory resources are available to process this command."},
        {ERROR_INVALID_DATA, L"The data is invalid."},
        {ERROR_OUTOFMEMORY, L"Not enough memory resources are available to complete this operation."},
        {ERROR_INVALID_DRIVE, L"The system cannot find the drive specified."},
        {ERROR_NO_MORE_FILES, L"There are no more files."},
        {ERROR_WRITE_PROTECT, L"The media is write protected."},
        {ERROR_NOT_READY, L"The device is not ready."},
        {ERROR_SHARING_VIOLATION, L"The process cannot access the file because it is being used by another process."},
        {ERROR_LOCK_VIOLATION,
         L"The process cannot access the file because another process has locked a portion of the file."},
        {ERROR_HANDLE_DISK_FULL, L"The disk is full."},
        {ERROR_NOT_SUPPORTED, L"The request is not supported."},
        {ERROR_FILE_EXISTS, L"The file exists."},
        {ERROR_INVALID_PARAMETER, L"The parameter is incorrect."},
        {ERROR_DISK_FULL, L"There is not enough space on the disk."},
        {ERROR_INSUFFICIENT_BUFFER, L"The data area passed to a system call is too small."},
        {ERROR_INVALID_NAME, L"The filename, directory name, or volume label syntax is incorrect."},
        {ERROR_DIR_NOT_EMPTY, L"The directory is not empty."},
        {ERROR_ALREADY_EXISTS, L"Cannot create a file when that file already exists."},
        {ERROR_FILENAME_EXCED_RANGE, L"The filename or extension is too long."},
        {ERROR_DIRECTORY, L"The directory name is invalid."},
        {ERROR_CANCELLED, L"The operation was canceled by the user."},
        {ERROR_PRIVILEGE_NOT_HELD, L"A required privilege is not held by the client."},
        {ERROR_NO_ASSOCIATION, L"No application is associated with the specified file for this operation."},
    };
    return messages;
}

bool KnownLanguage(DWORD languageId)
{
    return languageId == 0 || languageId == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) ||
           languageId == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT) ||
           (languageId & 0x3FF) == LANG_ENGLISH;
}

DWORD Refuse(DWORD error)
{
    SetLastError(error);
    return 0;
}

} // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size, va_list*)
{
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) ||
        !buffer)
        return Refuse(ERROR_INVALID_PARAMETER);
    if (!KnownLanguage(languageId))
        return Refuse(ERROR_RESOURCE_LANG_NOT_FOUND);
    const auto found = Messages().find(messageId);
    if (found == Messages().end())
        return Refuse(ERROR_MR_MID_NOT_FOUND);
    const std::wstring text = std::wstring(found->second) + L"\r\n";
    const size_t length = text.size();
    LPWSTR target = buffer;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        const size_t capacity = std::max<size_t>(length + 1, size);
        target = static_cast<LPWSTR>(std::malloc(capacity * sizeof(wchar_t)));
        if (!target)
            return Refuse(ERROR_NOT_ENOUGH_MEMORY);
        *reinterpret_cast<LPWSTR*>(buffer) = target;
    } else if (size <= length) {
        return Refuse(ERROR_INSUFFICIENT_BUFFER);
    }
    std::wmemcpy(target, text.c_str(), length + 1);
    return static_cast<DWORD>(length);
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}

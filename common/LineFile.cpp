#include "common/LineFile.h"

#include <limits>

namespace {

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

} // namespace

bool CLineFile::Open(const std::wstring& path)
{
    Close();
    // Appending only, so that every write lands at the end of the file, whoever else writes it.
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(file, &information)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return Fail(error);
    }
    if ((information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        information.nNumberOfLinks != 1) {
        CloseHandle(file);
        return Fail(ERROR_ACCESS_DENIED);
    }
    handle_ = file;
    return true;
}

void CLineFile::Close()
{
    if (IsOpen()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

bool CLineFile::Size(ULONGLONG& size) const
{
    LARGE_INTEGER value {};
    if (!IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    if (!GetFileSizeEx(handle_, &value))
        return false;
    size = static_cast<ULONGLONG>(value.QuadPart);
    return true;
}

bool CLineFile::Empty()
{
    LARGE_INTEGER start {};
    return IsOpen() && SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

bool CLineFile::EndsWith(const std::string& text, ULONGLONG size) const
{
    if (size < text.size())
        return false;
    LARGE_INTEGER back {};
    back.QuadPart = -static_cast<LONGLONG>(text.size());
    std::string last(text.size(), '\0');
    DWORD read = 0;
    return SetFilePointerEx(handle_, back, nullptr, FILE_END) &&
           ReadFile(handle_, last.data(), static_cast<DWORD>(last.size()), &read, nullptr) && read == last.size() &&
           last == text;
}

bool CLineFile::AppendLine(const std::string& line, const std::string& lineEnd, size_t unit)
{
    ULONGLONG size = 0;
    if (!Size(size))
        return false;
    std::string bytes;
    if (size > 0 && !EndsWith(lineEnd, size)) {
        if (unit > 1 && size % unit != 0)
            bytes.assign(unit - size % unit, '\0');
        bytes += lineEnd;
    }
    bytes += line;
    if (bytes.size() > std::numeric_limits<DWORD>::max())
        return Fail(ERROR_INVALID_PARAMETER);

    DWORD written = 0;
    if (WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())
        return true;
    const DWORD error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL;
    TakeBack(written);
    return Fail(error);
}

void CLineFile::TakeBack(DWORD written)
{
    if (written == 0)
        return;
    // An appending write leaves the file pointer just after what it wrote.
    LARGE_INTEGER here {}, end {}, zero {};
    if (!SetFilePointerEx(handle_, zero, &here, FILE_CURRENT) || !GetFileSizeEx(handle_, &end) ||
        end.QuadPart != here.QuadPart)
        return;
    LARGE_INTEGER start {};
    start.QuadPart = here.QuadPart - written;
    if (SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN))
        SetEndOfFile(handle_);
}

#include "common/MachineFile.h"

#include "platform/Windows.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>

namespace machine_file {

namespace {

constexpr qint64 kChunk = 64 * 1024;

// A name beside the file that no one can have made before this write.
std::wstring DraftName(const std::wstring& file)
{
    GUID guid;
    wchar_t text[40] = {};
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, 40) == 0)
        return std::wstring();
    return file + L"." + text + L".saving";
}

// The bytes under a name of their own, made anew; what was made is gone again on failure.
bool WriteDraft(const std::wstring& draft, const QByteArray& bytes)
{
    const HANDLE file =
        CreateFileW(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == static_cast<DWORD>(bytes.size()) && FlushFileBuffers(file);
    DWORD error = GetLastError();
    const bool closed = CloseHandle(file);
    if (closed && wrote)
        return true;
    if (wrote)
        error = GetLastError();
    DeleteFileW(draft.c_str());
    SetLastError(error);
    return false;
}

} // namespace

bool OpenForReading(const QString& windowsPath, QFile& file)
{
    const int fd = _wopen(windowsPath.toStdWString().c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

bool ReadWhole(const QString& windowsPath, qint64 largest, QByteArray& bytes)
{
    QFile file;
    return OpenForReading(windowsPath, file) && ReadWhole(file, largest, bytes);
}

bool ReadWhole(QFile& file, qint64 largest, QByteArray& bytes)
{
    QByteArray read;
    read.reserve(static_cast<int>(std::min(file.size() - file.pos(), largest)));
    // One byte past the largest tells a damaged file from a whole one, whatever its size said.
    while (read.size() <= largest) {
        const QByteArray chunk = file.read(std::min(kChunk, largest + 1 - read.size()));
        if (chunk.isEmpty())
            break;
        read.append(chunk);
    }
    if (file.error() != QFileDevice::NoError) {
        errno = EIO;
        return false;
    }
    if (read.size() > largest) {
        errno = EFBIG;
        return false;
    }
    bytes = read;
    return true;
}

bool ReplaceWhole(const QString& windowsPath, const QByteArray& bytes)
{
    const std::wstring target = windowsPath.toStdWString();
    const std::wstring draft = DraftName(target);
    if (draft.empty()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (!WriteDraft(draft, bytes))
        return false;
    if (MoveFileExW(draft.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    const DWORD error = GetLastError();
    DeleteFileW(draft.c_str());
    SetLastError(error);
    return false;
}

} // namespace machine_file

#include "common/MachineFile.h"

#include "common/HeldFolder.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>
#include <vector>

namespace machine_file {

namespace {

constexpr qint64 kChunk = 64 * 1024;

constexpr const wchar_t* kDraftEnd = L".saving";
constexpr size_t kGuidChars = 38; // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
// A draft older than this is no save's any more: one that a killed save left behind.
constexpr ULONGLONG kLeftBehindAfter = 60ULL * 10'000'000ULL; // in 100 ns

// A name beside the file that no one can have made before this write: "<file>.{GUID}.saving".
std::wstring DraftName(const std::wstring& name)
{
    GUID guid;
    wchar_t text[kGuidChars + 1] = {};
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, kGuidChars + 1) != kGuidChars + 1)
        return std::wstring();
    return name + L"." + text + kDraftEnd;
}

bool IsDraftOf(const std::wstring& entry, const std::wstring& name)
{
    const std::wstring end = kDraftEnd;
    return entry.size() == name.size() + 1 + kGuidChars + end.size() && entry.compare(0, name.size(), name) == 0 &&
           entry[name.size()] == L'.' && entry[name.size() + 1] == L'{' &&
           entry[name.size() + kGuidChars] == L'}' && entry.compare(entry.size() - end.size(), end.size(), end) == 0;
}

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// Removes the drafts of the file that saves killed before their rename left in its folder: plain
// files of one name, unchanged for longer than a save takes.
void RemoveLeftDrafts(const CHeldFolder& folder, const std::wstring& name)
{
    std::vector<std::wstring> drafts;
    folder.ForEachEntry([&](const FILE_ID_BOTH_DIR_INFO& entry) {
        std::wstring entryName(entry.FileName, entry.FileNameLength / sizeof(WCHAR));
        if (IsDraftOf(entryName, name))
            drafts.push_back(std::move(entryName));
        return true;
    });
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    for (const std::wstring& draft : drafts)
        folder.DeleteEntry(draft, FILE_NON_DIRECTORY_FILE, 0, [&](HANDLE, const BY_HANDLE_FILE_INFORMATION& file) {
            return !(file.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                   file.nNumberOfLinks == 1 && Ticks(now) - Ticks(file.ftLastWriteTime) > kLeftBehindAfter;
        });
}

// The bytes in the name's place in the folder of the handle, after the drafts of that name that
// killed saves left there have gone.
bool ReplaceInFolder(HANDLE folderHandle, const std::wstring& name, const QByteArray& bytes)
{
    const CHeldFolder folder(folderHandle);
    if (folder.GetState() != CHeldFolder::State::Held) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    RemoveLeftDrafts(folder, name);
    const std::wstring draft = DraftName(name);
    if (draft.empty()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return folder.ReplaceEntry(name, draft, bytes.constData(), static_cast<DWORD>(bytes.size()));
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
    const std::wstring path = windowsPath.toStdWString();
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // The folder is reached as any open of the path would reach it; from there on every name is
    // taken in the folder held.
    const std::wstring folderPath = path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
    const HANDLE handle = CreateFileW(folderPath.c_str(), folder_chain::kHoldAccess, folder_chain::kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool placed = ReplaceInFolder(handle, path.substr(slash + 1), bytes);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return placed;
}

} // namespace machine_file

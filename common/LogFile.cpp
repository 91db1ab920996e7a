#include "common/LogFile.h"

#include "common/ModuleDir.h"
#include "platform/Text.h"

#include <cwchar>
#include <string>

namespace {

// The folder's text with one trailing backslash; empty when it cannot be read.
std::wstring LogFolder(bool inProgramFolder)
{
    if (inProgramFolder)
        return GetModuleDir();
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::wstring folder(buffer, length);
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

const std::string& LineEnd()
{
    static const std::string end = platform::ToUtf16LEBytes(L"\r\n");
    return end;
}

} // namespace

CLogFile& CLogFile::Open(bool inProgramFolder, const wchar_t* name)
{
    Close();
    mutex_.Create(MakeLogMutexName(inProgramFolder, name));

    const std::wstring folder = LogFolder(inProgramFolder);
    if (folder.empty())
        return *this;
    const std::wstring path = folder + (name ? std::wstring(name) + L".log" : std::wstring(L"unknow.log"));

    CLogMutexLock lock(mutex_);
    ULONGLONG size = 0;
    // Emptied through the handle that was checked to be the log's own plain file, never by its
    // name, which another process may have made a link since.
    if (file_.Open(path) && file_.Size(size) && size > static_cast<ULONGLONG>(LOG_SIZE_CAP) && !file_.Empty())
        file_.Close();
    return *this;
}

int CLogFile::Write(const wchar_t* text)
{
    if (!text || !*text || !file_.IsOpen())
        return 0;

    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t prefix[100];
    std::swprintf(prefix, sizeof prefix / sizeof prefix[0], L"[%04d-%02d-%02d %02d:%02d:%02d:%03d, T=%d, P=%d] ",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  static_cast<int>(GetCurrentThreadId()), static_cast<int>(GetCurrentProcessId()));
    const std::string bytes = platform::ToUtf16LEBytes(std::wstring(prefix) + text + L"\r\n");

    CLogMutexLock lock(mutex_);
    file_.AppendLine(bytes, LineEnd(), sizeof(char16_t));
    return 0;
}

void CLogFile::Close()
{
    file_.Close();
    mutex_.Close();
}

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

long FileSize(FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    return std::ftell(file);
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
    file_ = _wfopen(path.c_str(), L"ab");
    if (file_ && FileSize(file_) > LOG_SIZE_CAP) {
        std::fclose(file_);
        file_ = _wfopen(path.c_str(), L"wb");
    }
    return *this;
}

int CLogFile::Write(const wchar_t* text)
{
    if (!text || !*text || !file_)
        return 0;

    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t prefix[100];
    std::swprintf(prefix, sizeof prefix / sizeof prefix[0], L"[%04d-%02d-%02d %02d:%02d:%02d:%03d, T=%d, P=%d] ",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  static_cast<int>(GetCurrentThreadId()), static_cast<int>(GetCurrentProcessId()));
    const std::string bytes = platform::ToUtf16LEBytes(std::wstring(prefix) + text + L"\r\n");

    CLogMutexLock lock(mutex_);
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
    return 0;
}

void CLogFile::Close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    mutex_.Close();
}

#include "jex_main/Scatterscope/DefragLog.h"

#include "jex_main/Scatterscope/MiscFunc.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cinttypes>
#include <cwchar>
#include <mutex>

namespace {

std::mutex g_logLock;
HANDLE g_logFile = INVALID_HANDLE_VALUE;

bool OpenLog()
{
    std::wstring folder;
    if (IsFailure(GetHostFolder(folder)))
        return false;
    g_logFile = CreateFileW((folder + L"\\Defrag.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return g_logFile != INVALID_HANDLE_VALUE;
}

std::wstring FailureLine(const char* sourceFile, int line, OpResult result)
{
    const char* slash = std::strrchr(sourceFile, '/');
    wchar_t rest[64];
    std::swprintf(rest, 64, L" %d nRet=0x%" PRIx64, line, result);
    return platform::FromUtf8(slash ? slash + 1 : sourceFile) + rest;
}

} // namespace

void DefragLog(std::wstring message)
{
    if (message.size() >= 2 && message.back() == L'\n')
        message.insert(message.size() - 1, 1, L'\r');
    const std::string bytes = platform::ToUtf16LEBytes(message);
    std::lock_guard<std::mutex> lock(g_logLock);
    if (g_logFile == INVALID_HANDLE_VALUE && !OpenLog())
        return;
    DWORD written = 0;
    WriteFile(g_logFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(g_logFile);
}

void LogStepFailure(const char* sourceFile, int line, OpResult result)
{
    DefragLog(FailureLine(sourceFile, line, result) + L"\n");
}

void LogStepFailure(const char* sourceFile, int line, OpResult result, const std::string& output)
{
    DefragLog(FailureLine(sourceFile, line, result) + L" " + platform::FromUtf8(output) + L"\n");
}

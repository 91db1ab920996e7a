#include "ChildProcessDevice.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD POLL_STEP_MS = 5;

void CloseIfOpen(HANDLE& handle)
{
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

} // namespace

CChildProcessDevice::CChildProcessDevice() = default;

CChildProcessDevice::~CChildProcessDevice() { CChildProcessDevice::close(); }

bool CChildProcessDevice::Start(const std::wstring& commandLine)
{
    SECURITY_ATTRIBUTES inheritable {};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    HANDLE childOutput = nullptr, childInput = nullptr;
    if (!CreatePipe(&m_output, &childOutput, &inheritable, 0) || !CreatePipe(&childInput, &m_input, &inheritable, 0)) {
        m_startError = GetLastError();
        CloseIfOpen(childOutput);
        CloseHandles();
        return false;
    }
    SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    PROCESS_INFORMATION info {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &info);
    m_startError = started ? ERROR_SUCCESS : GetLastError();
    CloseHandle(childOutput);
    CloseHandle(childInput);
    if (!started) {
        CloseHandles();
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    return true;
}

bool CChildProcessDevice::waitForReadyRead(int msecs)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(msecs, 0));
    for (;;) {
        DWORD available = 0;
        if (!m_output || !PeekNamedPipe(m_output, nullptr, 0, nullptr, &available, nullptr))
            return false;
        if (available > 0)
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(POLL_STEP_MS);
    }
}

bool CChildProcessDevice::WaitForFinished(int msecs)
{
    return m_process && WaitForSingleObject(m_process, static_cast<DWORD>(std::max(msecs, 0))) == WAIT_OBJECT_0;
}

void CChildProcessDevice::Kill()
{
    if (m_process && WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, INFINITE);
        m_killed = true;
    }
}

bool CChildProcessDevice::ExitedWith(DWORD& exitCode) const
{
    DWORD code = STILL_ACTIVE;
    if (!m_process || m_killed || !GetExitCodeProcess(m_process, &code) ||
        WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0)
        return false;
    exitCode = code;
    return true;
}

qint64 CChildProcessDevice::bytesAvailable() const
{
    DWORD available = 0;
    if (m_output)
        PeekNamedPipe(m_output, nullptr, 0, nullptr, &available, nullptr);
    return QIODevice::bytesAvailable() + available;
}

void CChildProcessDevice::close()
{
    Kill();
    if (isOpen())
        QIODevice::close();
    CloseHandles();
}

qint64 CChildProcessDevice::readData(char* data, qint64 maxSize) { return Take(data, maxSize, false); }

qint64 CChildProcessDevice::readLineData(char* data, qint64 maxSize) { return Take(data, maxSize, true); }

qint64 CChildProcessDevice::writeData(const char* data, qint64 maxSize)
{
    DWORD written = 0;
    if (!m_input || maxSize < 0 || !WriteFile(m_input, data, static_cast<DWORD>(maxSize), &written, nullptr))
        return -1;
    return written;
}

qint64 CChildProcessDevice::Take(char* data, qint64 maxSize, bool toLineEnd)
{
    DWORD copied = 0, available = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<qint64>(std::max<qint64>(maxSize, 0), 65536));
    if (!m_output || !PeekNamedPipe(m_output, data, wanted, &copied, &available, nullptr))
        return -1;
    if (copied == 0)
        return 0;
    DWORD length = copied;
    if (toLineEnd) {
        const void* lineEnd = std::memchr(data, '\n', copied);
        if (lineEnd)
            length = static_cast<DWORD>(static_cast<const char*>(lineEnd) - data) + 1;
    }
    DWORD taken = 0;
    if (!ReadFile(m_output, data, length, &taken, nullptr))
        return -1;
    return taken;
}

void CChildProcessDevice::CloseHandles()
{
    CloseIfOpen(m_process);
    CloseIfOpen(m_output);
    CloseIfOpen(m_input);
}

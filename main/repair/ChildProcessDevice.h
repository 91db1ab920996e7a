// A console program started through the layer with its standard input and output on pipes, read
// and written as a Qt device. Qt's own process class would look for Windows programs on the host's
// PATH and see only 8 bits of their exit codes; this one finds them as Windows does (System32 for
// a bare name) and keeps their full 32-bit codes.
#pragma once

#include "platform/Windows.h"

#include <QIODevice>

#include <string>

class CChildProcessDevice : public QIODevice {
public:
    CChildProcessDevice();
    // Kills a program that still runs.
    ~CChildProcessDevice() override;

    // Starts the command line (split by Windows' rules) and opens the device for reading its
    // output and writing its input; false with the Windows error in StartError().
    bool Start(const std::wstring& commandLine);
    DWORD StartError() const { return m_startError; }

    // True once output is waiting; false when none came within the time or the output has ended
    // (the program closed it, normally by ending) and all of it has been read.
    bool waitForReadyRead(int msecs) override;
    // True when the program has ended within the time.
    bool WaitForFinished(int msecs);
    // Ends the program when it still runs.
    void Kill();
    // True with the program's exit code when it has ended by itself.
    bool ExitedWith(DWORD& exitCode) const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // Kills the program when it still runs and closes the pipes.
    void close() override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 readLineData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    // Takes up to maxSize waiting bytes, up to and including the first line end when toLineEnd;
    // 0 when none are waiting, -1 when the output has ended.
    qint64 Take(char* data, qint64 maxSize, bool toLineEnd);
    void CloseHandles();

    HANDLE m_process = nullptr;
    HANDLE m_output = nullptr;
    HANDLE m_input = nullptr;
    DWORD m_startError = ERROR_SUCCESS;
    bool m_killed = false;
};

// Running a Windows console program (diskpart, sc, net, chkdsk, attrib) on the calling worker
// thread: its standard output is collected line by line and handed to an optional callback, its
// yes/no questions are answered with their first choice, and the whole output is returned when it
// has ended or stayed silent too long. Blocks the calling thread.
#pragma once

#include "platform/Windows.h"

#include <QString>
#include <QVariant>

class QIODevice;

// Called on the calling thread with the context and each line (a QString, line end kept).
typedef void (*RunCmdLineCallback)(void* context, const QVariant& line);

// How a run ended, for callers that judge success.
struct RunCmdOutcome_ {
    bool bStarted = false;        // the program was started
    DWORD dwStartError = 0;       // the Windows error when it was not
    bool bExited = false;         // it ended by itself (it was not cut off after the waits)
    DWORD dwExitCode = 0;         // its 32-bit exit code when it ended by itself
};

// The program's output; empty for a null command line or a program that could not be started.
QString RunCmd(const char* cmdLine, RunCmdLineCallback callback = nullptr, void* context = nullptr);
QString RunCmd(const char* cmdLine, RunCmdLineCallback callback, void* context, RunCmdOutcome_& outcome);

// Answers a question line that contains "?" and offers its choices as "(first/...": writes the
// first choice and "\r\n" to the process. Does nothing for other lines or a null process.
void AnswerPrompt(const QString& line, QIODevice* process);

// Each of the runner's three waits (for the start, for output, for the end) lasts this long:
// 30000 ms, unless a test shortens it.
int RunCmdWaitMs();
void SetRunCmdWaitMs(int milliseconds);

#include "RunCmd.h"

#include "ChildProcessDevice.h"

#include <atomic>

namespace {

constexpr int DEFAULT_WAIT_MS = 30000;
constexpr int LINE_BUFFER_SIZE = 1024;

std::atomic<int> g_waitMs {DEFAULT_WAIT_MS};

// Reads the lines waiting now, each appended to the output, handed to the callback and answered
// when it asks a question.
void ReadWaitingLines(CChildProcessDevice& process, QString& output, RunCmdLineCallback callback, void* context)
{
    char buffer[LINE_BUFFER_SIZE];
    for (qint64 length; (length = process.readLine(buffer, sizeof(buffer))) > 0;) {
        const QString line = QString::fromLocal8Bit(buffer, static_cast<int>(length));
        output += line;
        if (callback)
            callback(context, QVariant(line));
        AnswerPrompt(line, &process);
    }
}

} // namespace

QString RunCmd(const char* cmdLine, RunCmdLineCallback callback, void* context)
{
    RunCmdOutcome_ outcome;
    return RunCmd(cmdLine, callback, context, outcome);
}

QString RunCmd(const char* cmdLine, RunCmdLineCallback callback, void* context, RunCmdOutcome_& outcome)
{
    outcome = RunCmdOutcome_();
    if (!cmdLine)
        return QString();
    CChildProcessDevice process;
    if (!process.Start(QString::fromLocal8Bit(cmdLine).toStdWString())) {
        outcome.dwStartError = process.StartError();
        return QString();
    }
    outcome.bStarted = true;
    const int waitMs = RunCmdWaitMs();
    QString output;
    while (process.waitForReadyRead(waitMs))
        ReadWaitingLines(process, output, callback, context);
    // What a program printed after a long silence, up to its end (or until it is cut off), is
    // kept too.
    process.WaitForFinished(waitMs);
    process.Kill();
    ReadWaitingLines(process, output, callback, context);
    outcome.bExited = process.ExitedWith(outcome.dwExitCode);
    process.close();
    return output;
}

void AnswerPrompt(const QString& line, QIODevice* process)
{
    if (!process || !line.contains(QLatin1Char('?')))
        return;
    const int open = line.indexOf(QLatin1Char('('));
    if (open < 0)
        return;
    const int slash = line.indexOf(QLatin1Char('/'), open + 1);
    if (slash < 0)
        return;
    process->write((line.mid(open + 1, slash - open - 1) + QStringLiteral("\r\n")).toUtf8());
}

int RunCmdWaitMs() { return g_waitMs.load(); }

void SetRunCmdWaitMs(int milliseconds) { g_waitMs.store(milliseconds); }

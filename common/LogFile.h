// One log file opened for the span of one message: opened, written once, closed. Lines are
// UTF-16LE, stamped with local time, thread id and process id, and ended by "\r\n".
#pragma once

#include "common/LineFile.h"
#include "common/LogMutex.h"

// A file longer than this when a message opens it is emptied first.
constexpr long LOG_SIZE_CAP = 0xA00000;

class CLogFile {
public:
    CLogFile() = default;
    ~CLogFile() { Close(); }
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // name + ".log" ("unknow.log" without a name) in the temporary folder, or in the running
    // program's folder when asked. A file that cannot be opened (a link at its name among them)
    // makes every write do nothing.
    CLogFile& Open(bool inProgramFolder, const wchar_t* name);

    // Appends one line: the prefix, the text unchanged and "\r\n", whole or not at all (a full
    // disk leaves the file as it was). A null or empty text adds nothing. Always 0: the logger
    // never reports a failure.
    int Write(const wchar_t* text);

    void Close();

private:
    CLineFile file_;
    CLogMutex mutex_;
};

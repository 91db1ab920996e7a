// The machine's shown top-level windows, one record each in run/windows, named by the process's
// id and start time and the window's id in that process, so that a record left by a process that
// died is known as such and a reused process id never takes it over. Beside the records lies each
// process's message port, the socket on which it hears what others send its windows.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/un.h>
#include <vector>

namespace platform {

struct WindowRecord {
    pid_t pid = 0;
    uint64_t startTime = 0;
    uint32_t localId = 0; // the window's handle in its own process
    DWORD threadId = 0;
    bool visible = false;
    std::wstring title;
};

// Writes (or rewrites) the record; its path, "" when run/windows cannot take it. Withdrawing
// removes that file. Readers take only records that root or their own user wrote.
std::string PublishWindow(const WindowRecord& record);
void WithdrawWindow(const std::string& path);
// The records of windows whose processes run now; the records of ended processes are removed.
std::vector<WindowRecord> PublishedWindows();
// The record of one window of a running process.
std::optional<WindowRecord> PublishedWindow(pid_t pid, uint32_t localId);

// The folder of the records and ports, opened as run/'s folders are, never through a link (-1
// when it cannot be made or is refused), and the address of a port in it: a socket address holds
// only 108 bytes, so it names the port through the opened folder, whatever the length of the
// machine root's path.
int OpenWindowsFolder();
sockaddr_un PortAddress(int folder, pid_t pid, uint64_t startTime);
std::string PortName(pid_t pid, uint64_t startTime);

} // namespace platform

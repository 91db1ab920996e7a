// The sending side of the message ports: another process's window is reached at its process's
// port, and only when the kernel says the process listening there is the record's.
#pragma once

#include "WindowRecords.h"

#include "platform/win/WindowManager.h"

namespace platform {

// How long one message to another process may take in all, from the connect to the last byte
// of the answer: 20000 ms, unless a test shortens it.
int MessageWaitMs();
void SetMessageWaitMs(int milliseconds);

// Whether the record's process itself listens at the record's port (and, for an elevated caller,
// is of root's or the caller's rights): the only proof that the record's window exists.
bool AnswersForWindow(const WindowRecord& record);

// Sends the message to the record's window and, when waiting, takes its answer; ERROR_SUCCESS or
// the error. Nothing is sent to a port whose process is not the record's, and nothing to a
// window that would not hear this process (ERROR_ACCESS_DENIED).
DWORD SendToWindowPort(const WindowRecord& target, UINT message, WPARAM wParam, const COPYDATASTRUCT* copy, bool wait,
                       LRESULT& result);

} // namespace platform

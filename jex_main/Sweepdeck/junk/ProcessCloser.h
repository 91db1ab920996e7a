// Ending the processes of an application that holds junk. Only ids that can name another process
// are ever signalled: never 0, never one above INT_MAX (negative as a Windows process id), never
// this program's own, and at most 64 per application.
#pragma once

#include "platform/Windows.h"

#include <QVector>

constexpr int kMaxProcessesPerApp = 64;

// The ids of a zero-terminated list worth signalling, in order, cut after 64 entries of the list.
QVector<quint64> CloseableProcessIds(const DWORD* processIds);

// Ends the process with exit code 0; false for an id CloseableProcessIds would drop, or when the
// process cannot be opened or ended.
bool TerminateProcessById(quint64 processId);

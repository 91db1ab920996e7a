// Kernel handles: every HANDLE the layer hands out points at a KernelObject.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#include <functional>
#include <memory>

#pragma GCC visibility push(default)

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// Reads and writes files and pipes alike; overlapped I/O is not supported (pass null).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped);
BOOL FlushFileBuffers(HANDLE file);

namespace platform {

// Base of the layer's handle objects. Waitable kinds override Wait.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Waits up to timeoutMs (INFINITE for no limit); returns WAIT_OBJECT_0, WAIT_ABANDONED,
    // WAIT_TIMEOUT or WAIT_FAILED (with the last error set).
    virtual DWORD Wait(DWORD timeoutMs);
    // Byte streams (files, pipes) override these; they set the last error and return false on
    // failure. The base refuses with ERROR_INVALID_HANDLE.
    virtual bool Read(void* buffer, DWORD size, DWORD& done);
    virtual bool Write(const void* buffer, DWORD size, DWORD& done);
    virtual bool Flush();
};

// The object behind a handle, or null for null, INVALID_HANDLE_VALUE and pseudo handles. The
// pointer is good only while the handle stays open; a call that may block or that another thread
// may race with CloseHandle holds the object instead.
KernelObject* ObjectOf(HANDLE handle);
std::shared_ptr<KernelObject> HoldObject(HANDLE handle);
// Opens a handle that owns the object; it goes when the handle is closed and no call holds it.
HANDLE HandleOf(KernelObject* object);

// Every open handle with its object, for handing inheritable ones to a child.
void ForEachHandle(const std::function<void(HANDLE, const std::shared_ptr<KernelObject>&)>& visit);

// A handle this process was handed by its starter: it keeps the value it had there. Called once,
// before the first handle of this process is looked up; false when the value is taken.
bool AdoptHandle(HANDLE value, KernelObject* object);
// Takes in the handles the starter handed this process; the handle table calls it once.
void AdoptInheritedHandles();

} // namespace platform

#pragma GCC visibility pop
